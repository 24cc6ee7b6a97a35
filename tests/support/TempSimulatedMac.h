#pragma once

#include "async/ManualClock.h"
#include "platform/Host.h"
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/adapters/SimulatedPreferences.h"
#include "simhost/fixtures/BundleWriter.h"
#include "simhost/machine/SimulatedMac.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace vantrel::testing {

// A fresh simulated Mac in a temporary folder, installed as the current host for the
// fixture's lifetime, with a ManualClock. Nothing a test does with it touches the real
// home folder or another test's files.
class TempSimulatedMac {
public:
    explicit TempSimulatedMac(const QString& userName = QStringLiteral("tester"));
    ~TempSimulatedMac();

    sim::SimulatedMac& mac() { return *m_mac; }
    sim::RootedFileSystem& fs() { return *m_mac->fileSystem(); }
    Host& host() { return *m_host; }
    ManualClock& clock() { return *m_clock; }
    const QString& root() const { return m_root; }

    // The real file behind a host path (which need not exist yet).
    QString native(const QString& hostPath) const;
    // Writes a Logic Pro bundle (identifier "com.apple.logic10", version 11.0) whose
    // stand-in starts in 0.05 s unless `behavior` says otherwise.
    void addLogicBundle(const QString& path, QVariantMap behavior = {},
                        QList<sim::MachO::Slice> slices = {{sim::MachO::cpuTypeArm64}, {sim::MachO::cpuTypeX86_64}});
    // Writes a file at a host path through the simulated disk, creating its folders.
    void writeFile(const QString& hostPath, const QByteArray& data);
    std::optional<QByteArray> readFile(const QString& hostPath) const;

    // Ends (SIGKILL) every stand-in process this Mac started that still runs; the
    // destructor does it too, so nothing outlives a test even when it fails.
    void endStandIns() const;

private:
    QTemporaryDir m_dir;
    QString m_root;
    std::unique_ptr<sim::SimulatedMac> m_mac;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<Host> m_host;
    std::unique_ptr<CurrentHostGuard> m_guard;
};

} // namespace vantrel::testing
