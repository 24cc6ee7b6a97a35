#pragma once

#include "simhost/machine/HostState.h"

#include <QString>
#include <QStringList>

namespace vantrel::sim {

// The host's event log: one line per host-side event, "<time>  <event> key=value …",
// appended by every process of the simulated Mac. Tests and `vantrel-sim events` read it.
//
// Events: launch, finished-launching, activate, quit-request, quit, quit-refused, crash,
// document-open, document-refused, startup-reopen, safe-mode-offered, open-preferences,
// preference-write, key-down, key-up, reveal, open-url, script, service,
// security-scope-start, security-scope-stop.
class EventLog {
public:
    explicit EventLog(const HostState& state);
    explicit EventLog(QString file);

    void record(const QString& event, const QStringList& fields = {}) const;

    // The events without their time stamps, oldest first.
    QStringList events() const;
    // The raw lines.
    QStringList lines() const;

private:
    QString m_file;
};

} // namespace vantrel::sim
