#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

namespace vantrel::sim {
class SimulatedMac;
}

// The commands of vantrel-sim, one file each (the on|off switches share one), and what
// they share. vantrel-sim.cpp reads the tool's own options and picks the command by name.
namespace vantrel::sim::tool {

QTextStream& out();
QTextStream& err();
// Writes "vantrel-sim: <message>" to the error output; gives `status` back.
int fail(const QString& message, int status = 1);

// ---- reading a command's arguments ------------------------------------------------------

// What an option at the end of the words, with no value after it, means.
enum class MissingValue {
    isMistake,
    isEmpty, // the option's value is ""
};

// Reads a command's arguments (the words after its name) with `parser`, which is given
// `options`. As vantrel-sim has always read them, an option is a whole word after one
// dash or two ("-n", "--arch"), never a bundle of letters, and its value is the next word
// (whatever it looks like) or comes after "=". Returns false on a mistake and sets
// `*mistake` to the word at fault as it was given: an unknown option, an option at the end
// without its value, or a switch given a value.
bool parseOptions(QCommandLineParser& parser, const QList<QCommandLineOption>& options, const QStringList& arguments,
                  QString* mistake = nullptr, MissingValue missingValue = MissingValue::isMistake);

// Reads the arguments of a command that has no options: every word is a positional value,
// even one that starts with a dash (a negative number, a "--").
void parseValues(QCommandLineParser& parser, const QStringList& arguments);

// A switch of the host: the first value is "on" or "off", given to `apply`; anything else
// fails with "say on or off".
int switchCommand(const QStringList& arguments, const std::function<void(bool)>& apply);

// ---- the commands -----------------------------------------------------------------------

// A command run on a simulated Mac that exists, with the words after its name.
using CommandFunction = int (*)(SimulatedMac& mac, const QStringList& arguments);

// init [--demo]: runs before the Mac exists; `rootArgument` is the folder as given.
int initCommand(SimulatedMac& mac, const QString& rootArgument, const QStringList& arguments);

int addAppCommand(SimulatedMac& mac, const QStringList& arguments);         // add-app
int addPluginCommand(SimulatedMac& mac, const QStringList& arguments);      // add-plugin
int pluginsCommand(SimulatedMac& mac, const QStringList& arguments);        // plugins
int openCommand(SimulatedMac& mac, const QStringList& arguments);           // open
int psCommand(SimulatedMac& mac, const QStringList& arguments);             // ps
int eventsCommand(SimulatedMac& mac, const QStringList& arguments);         // events
int quitCommand(SimulatedMac& mac, const QStringList& arguments);           // quit
int killCommand(SimulatedMac& mac, const QStringList& arguments);           // kill
int rosettaCommand(SimulatedMac& mac, const QStringList& arguments);        // rosetta
int launchServicesCommand(SimulatedMac& mac, const QStringList& arguments); // launch-services
int serviceCommand(SimulatedMac& mac, const QStringList& arguments);        // service
int accessibilityCommand(SimulatedMac& mac, const QStringList& arguments);  // accessibility
int faultCommand(SimulatedMac& mac, const QStringList& arguments);          // fault
int fullDiskCommand(SimulatedMac& mac, const QStringList& arguments);       // full-disk
int addEntryCommand(SimulatedMac& mac, const QStringList& arguments);       // add-entry
int cardsCommand(SimulatedMac& mac, const QStringList& arguments);          // cards

// Not in the usage: the processes the simulated Mac starts itself.
int appCommand(SimulatedMac& mac, const QStringList& arguments);  // app: a stand-in Logic Pro
int idleCommand(SimulatedMac& mac, const QStringList& arguments); // idle: a helper-like entry

} // namespace vantrel::sim::tool
