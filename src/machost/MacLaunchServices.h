#pragma once

#include "platform/LaunchServices.h"

namespace vantrel::mac {

// Launch Services' private architecture preference, found at run time.
class MacLaunchServices final : public LaunchServices {
public:
    std::shared_ptr<ArchitecturePreferenceSetter> lookUpArchitecturePreferenceSetter() override;
};

} // namespace vantrel::mac
