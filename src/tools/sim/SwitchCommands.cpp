// The host's on|off switches: rosetta, launch-services, service, accessibility.
#include "simhost/adapters/SimulatedKeyboard.h"
#include "simhost/adapters/SimulatedLaunchServices.h"
#include "simhost/adapters/SimulatedScripting.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

namespace vantrel::sim::tool {

// Rosetta 2 installed (/usr/libexec/rosetta/runtime) or removed.
int rosettaCommand(SimulatedMac& mac, const QStringList& arguments)
{
    return switchCommand(arguments, [&](bool on) { mac.setRosettaInstalled(on); });
}

// The Launch Services architecture preference setter present or "absent".
int launchServicesCommand(SimulatedMac& mac, const QStringList& arguments)
{
    return switchCommand(arguments, [&](bool on) { SimulatedLaunchServices::setAvailable(mac.state(), on); });
}

// The "Finder/Show Info" service succeeding or failing.
int serviceCommand(SimulatedMac& mac, const QStringList& arguments)
{
    return switchCommand(arguments, [&](bool on) { SimulatedScripting::setShowInfoServiceAvailable(mac.state(), on); });
}

// The permission to post keyboard events granted or refused (refused: presses dropped).
int accessibilityCommand(SimulatedMac& mac, const QStringList& arguments)
{
    return switchCommand(arguments, [&](bool on) { SimulatedKeyboard::setPostAccessGranted(mac.state(), on); });
}

} // namespace vantrel::sim::tool
