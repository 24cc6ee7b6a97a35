#include "machost/MacHost.h"

#include "machost/MacConversions.h"
#include "machost/MacKeyboardEvents.h"
#include "machost/MacLaunchServices.h"
#include "machost/MacPreferences.h"
#include "machost/MacScripting.h"
#include "machost/MacSecurityScope.h"
#include "machost/MacWorkspace.h"
#include "nativehost/NativeFileSystem.h"
#include "nativehost/PosixProcessProbe.h"
#include "nativehost/ProcessCommandRunner.h"

namespace vantrel::mac {

std::shared_ptr<Host> makeHost(std::shared_ptr<Clock> clock)
{
    @autoreleasepool {
        Host::Ports ports{std::make_shared<native::NativeFileSystem>(fromNSString(NSHomeDirectory())),
                          std::make_shared<MacPreferences>(),
                          std::move(clock),
                          std::make_shared<MacWorkspace>(),
                          std::make_shared<native::PosixProcessProbe>(),
                          std::make_shared<native::ProcessCommandRunner>(),
                          std::make_shared<MacLaunchServices>(),
                          std::make_shared<MacKeyboardEvents>(),
                          std::make_shared<MacScripting>(),
                          std::make_shared<MacSecurityScope>()};
        NSBundle* bundle = [NSBundle mainBundle];
        return std::make_shared<Host>(std::move(ports), fromNSString([bundle bundlePath]),
                                      fromNSString([bundle bundleIdentifier]));
    }
}

} // namespace vantrel::mac
