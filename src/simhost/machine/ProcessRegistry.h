#pragma once

#include "simhost/machine/HostState.h"

#include <QList>
#include <QString>

#include <optional>

namespace vantrel::sim {

// One process in the simulated Mac's running-application list.
struct RegistryEntry {
    qint64 pid = 0;
    QString bundleIdentifier; // empty: none reported
    QString bundlePath;       // host path; empty: none reported
    QString processName;
    int activationPolicy = 0;
    int architecture = -1; // Mach-O CPU type
    bool finishedLaunching = false;
    qint64 sequence = 0; // launch order, the list's order

    friend bool operator==(const RegistryEntry&, const RegistryEntry&) = default;
};

// The running-application list: one small JSON file per process under
// ".simhost/running", each written atomically, so concurrent launches never lose each
// other's entries and a torn or corrupt file is skipped on its own. A process that dies
// without deregistering leaves its file behind: a stale entry, as on the real platform.
class ProcessRegistry {
public:
    explicit ProcessRegistry(const HostState& state);

    // Gives the entry the next launch sequence number (when it has none) and writes it.
    bool add(RegistryEntry& entry) const;
    bool update(const RegistryEntry& entry) const;
    void remove(qint64 pid) const;

    std::optional<RegistryEntry> entry(qint64 pid) const;
    // Every readable entry in launch order.
    QList<RegistryEntry> entries() const;

private:
    QString fileOf(qint64 pid) const;
    qint64 nextSequence() const;

    HostState m_state;
};

} // namespace vantrel::sim
