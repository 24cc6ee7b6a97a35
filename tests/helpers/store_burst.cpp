// Saves two different installation lists in turn, as fast as it can, until it is killed.
// The crash-safety test kills it in mid-burst and checks that nothing was torn.
#include "async/ManualClock.h"
#include "helpers/BurstLists.h"
#include "settings/PersistenceStore.h"
#include "simhost/machine/SimulatedMac.h"
#include "support/HostObjects.h"

#include <QCoreApplication>

#include <cstdio>

using namespace vantrel;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    sim::SimulatedMac mac(QString::fromLocal8Bit(argv[1]));
    CurrentHostGuard guard(mac.makeHost(std::make_shared<ManualClock>()));
    PersistenceStore store(test::host().standardDefaults(), test::host().fileSystem(), test::logger());
    const QList<LogicApp> lists[2] = {burstList(0), burstList(1)};
    std::puts("saving");
    std::fflush(stdout);
    for (unsigned n = 0;; ++n) {
        store.saveApps(lists[n % 2]);
    }
}
