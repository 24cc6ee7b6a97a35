#pragma once

#include <QString>
#include <QStringList>

namespace vantrel::sim {

// The process that stands in for a running Logic Pro copy (`vantrel-sim app`). It
// registers itself in the running-application list, looks at Logic's "startupAction"
// and the held modifier keys as it starts, reports finished launching after its start-up
// delay, takes documents and "open preferences" from its inbox, answers a graceful quit
// (SIGTERM) by deregistering and ending, and obeys its bundle's behaviour switches.
// Every step is written to the host's event log. Runs the event loop until it ends.
int runStandInLogicPro(const QString& root, const QString& bundlePath, const QString& architecture,
                       const QStringList& documents);

// Sends a command to a running stand-in: "open-document <path>" or "open-preferences".
bool sendStandInCommand(const QString& root, qint64 pid, const QString& command, const QString& argument = {});

} // namespace vantrel::sim
