#pragma once

#include "cli/CommandLine.h"

#include <QString>
#include <QTextStream>

namespace vantrel {
class Services;
}

// The commands of vantrel-cli over the launcher's own long-lived objects (Services): what
// they print goes to `out`, progress and failures to `err`. Each returns the exit status:
// 0 done, 1 failed (the reason written), 2 wrong usage.
namespace vantrel::cli {

// The cards as the panel shows them, in its order: one line each, or a JSON array.
int listCards(Services& services, bool json, QTextStream& out);

// One launch, as a click on the card runs it: the copy and mode the request names, the
// quit-others preference, the log (each step written to `err` as it happens), the
// verification, and the restore of Logic's startup action before the return.
int launch(Services& services, const Invocation& invocation, QTextStream& err);

// Writes one launch-log line for a launch refused before the engine runs (as the
// engine's own refusals and a refused link are logged), and flushes the log.
void logRefusal(Services& services, const QString& reason);

// The Audio Unit report, as the launcher's information overlay reads it.
int listPlugins(Services& services, bool json, QTextStream& out);

} // namespace vantrel::cli
