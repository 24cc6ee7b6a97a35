#pragma once

#include "model/RawValue.h"

namespace vantrel {

// The requested launch mode: `native` runs the arm64 slice, `rosetta` the x86_64 slice
// translated by Rosetta 2.
enum class LaunchArchitecture { native, rosetta };

template <>
struct EnumTraits<LaunchArchitecture> {
    static constexpr std::array cases{LaunchArchitecture::native, LaunchArchitecture::rosetta};
    static constexpr std::array names{"native", "rosetta"};
};

} // namespace vantrel
