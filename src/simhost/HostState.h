#pragma once

#include <QString>

namespace vantrel::sim {

// Where the simulated Mac keeps its own state, under "<root>/.simhost". Every process
// that shares the root (the launcher, vantrel-sim, the stand-in Logic Pro copies) finds
// the same files here.
class HostState {
public:
    explicit HostState(QString root);

    const QString& root() const { return m_root; }
    QString folder() const;             // .simhost
    QString registryFolder() const;     // running/<pid>.json, one per process
    QString inboxFolder(qint64 pid) const; // inbox/<pid>/, commands for one stand-in
    QString eventLogFile() const;       // events.log
    QString launchServicesFile() const; // launch-services.json: bundle path → architecture
    QString launchServicesOffFile() const; // present: the preference setter is "absent"
    QString keyboardFile() const;       // keyboard.json: held key codes and flags
    QString showInfoServiceOffFile() const; // present: "Finder/Show Info" fails
    QString sequenceFile() const;       // the last launch sequence number
    QString lockFile(const QString& name) const;

private:
    QString m_root;
};

} // namespace vantrel::sim
