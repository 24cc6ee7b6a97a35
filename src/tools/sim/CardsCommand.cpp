// cards: the installations and launch cards Vantrel would show on this Mac. Takes no
// arguments (any given are ignored).
#include "Services.h"
#include "async/QtClock.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LaunchCardBuilder.h"
#include "installations/LogicScanner.h"
#include "settings/PersistenceStore.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

namespace vantrel::sim::tool {

int cardsCommand(SimulatedMac& mac, const QStringList&)
{
    CurrentHostGuard guard(mac.makeHost(std::make_shared<QtClock>()));
    const Services services(guard.host());
    const auto resolved = services.scanner->scan(services.store->loadApps());
    out() << "Installations:\n";
    for (const ResolvedLogicApp& entry : resolved) {
        out() << "  " << entry.app.displayName << "  " << entry.app.bundlePath;
        if (entry.isMissing) {
            out() << "  (missing)";
        } else {
            QStringList slices;
            for (BinaryArchitecture arch : allCases<BinaryArchitecture>()) {
                if (entry.metadata->executableArchitectures.contains(arch)) {
                    slices << rawValue(arch);
                }
            }
            out() << "  " << entry.metadata->shortVersion << "  [" << slices.join(QStringLiteral(", ")) << "]";
        }
        out() << '\n';
    }
    out() << "Cards:\n";
    for (const LaunchCard& card : LaunchCardBuilder::buildCards(resolved, *services.architectureDetector)) {
        out() << "  " << (card.isAvailable ? "●" : "○") << ' ' << card.app.displayName << " — " << card.modeText();
        if (card.unavailabilityReason) {
            out() << "  (" << *card.unavailabilityReason << ')';
        }
        out() << "  " << card.id << '\n';
    }
    out().flush();
    return 0;
}

} // namespace vantrel::sim::tool
