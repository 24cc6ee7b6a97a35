#pragma once

#include "model/RawValue.h"

#include <QSet>

namespace vantrel {

// An architecture found in an executable's Mach-O header. The raw values are also the
// texts shown to the user. The header reader never produces `unknown`.
enum class BinaryArchitecture { arm64, x86_64, unknown };

template <>
struct EnumTraits<BinaryArchitecture> {
    static constexpr std::array cases{BinaryArchitecture::arm64, BinaryArchitecture::x86_64,
                                      BinaryArchitecture::unknown};
    static constexpr std::array names{"arm64", "x86_64", "unknown"};
};

// The slices of one executable.
using SliceSet = QSet<BinaryArchitecture>;

// The set of those of arm64 and x86_64 that are present, as one instance shared by every
// copy: a folder of a thousand plug-ins holds four sets, not a thousand.
const SliceSet& sharedSliceSet(bool arm64, bool x86_64);

} // namespace vantrel
