#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>
#include <QStringList>

namespace vantrel::sim {

// Trouble the host itself can be made to show, so tests and demos can reproduce it.
enum class HostFault {
    openFails,          // the open command exits with status 1 without starting anything
    openHangs,          // the open command never returns
    workspaceOpenFails, // the workspace's open calls report an error
};

// Where the simulated Mac keeps its own state, under "<root>/.simhost". Every process
// that shares the root (the launcher, vantrel-sim, the stand-in Logic Pro copies) finds
// the same files here.
class HostState {
public:
    explicit HostState(QString root);

    const QString& root() const { return m_root; }
    QString folder() const;                 // .simhost
    QString registryFolder() const;         // running/<pid>.json, one per process
    QString inboxFolder(qint64 pid) const;  // inbox/<pid>/, commands for one stand-in
    QString eventLogFile() const;           // events.log
    QString launchServicesFile() const;     // launch-services.json: bundle path → architecture
    QString launchServicesOffFile() const;  // present: the preference setter is "absent"
    QString keyboardFile() const;           // keyboard.json: held key codes and flags
    QString accessibilityOffFile() const;   // present: posting keyboard events is not allowed
    QString showInfoServiceOffFile() const; // present: "Finder/Show Info" fails
    QString sequenceFile() const;           // the last launch sequence number
    QString fullDiskFile() const;           // full-disk: host folders, one a line, where writes fail
    QString writeCounterFile() const;       // disk-writes: 8 bytes, shared, counting writes to the disk
    QString lockFile(const QString& name) const;

    // A fault is on while its file faults/<name> exists.
    bool hasFault(HostFault fault) const;
    void setFault(HostFault fault, bool on) const;

    // The folders (host paths, "~" allowed) in which every write fails, as on a full disk.
    QStringList fullFolders() const;
    void setFullFolders(const QStringList& folders) const;

private:
    QString m_root;
};

// Writes a state file whole and atomically: readers see the old content or the new one.
bool writeStateFile(const QString& path, const QByteArray& bytes);
// A switch that is on while its (empty) file exists: makes or removes the file.
void setSwitchFile(const QString& path, bool present);

// Held around a read-modify-write of a state file shared by several processes. A writer
// that cannot get the lock in time goes on anyway: losing a race is better than losing
// the write. A lock left by a process that died is taken over.
class StateLock {
public:
    explicit StateLock(const QString& lockPath);

    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

private:
    QLockFile m_lock;
};

} // namespace vantrel::sim
