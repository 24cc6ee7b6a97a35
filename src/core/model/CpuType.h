#pragma once

#include "model/LaunchArchitecture.h"

#include <QString>

namespace vantrel {

// Mach-O CPU types, as the platform reports a running process's executable architecture.
namespace CpuType {
inline constexpr int arm64 = 0x0100000C;  // 16777228
inline constexpr int x86_64 = 0x01000007; // 16777223
inline constexpr int unknown = -1;        // counts as neither mode
} // namespace CpuType

// The names exchanged with Launch Services and the open command.
namespace ArchitectureName {
inline constexpr const char* arm64 = "arm64";
inline constexpr const char* x86_64 = "x86_64";
} // namespace ArchitectureName

// `native` is always arm64 (also on a host that is not Apple Silicon), `rosetta` x86_64.
constexpr int modeCpuType(LaunchArchitecture mode)
{
    return mode == LaunchArchitecture::native ? CpuType::arm64 : CpuType::x86_64;
}

// "arm64" or "x86_64".
QString modeArchitectureName(LaunchArchitecture mode);

// A CPU type's name for log lines and messages: "arm64 (Native)", "x86_64 (Rosetta)" or
// "unknown (<decimal>)".
QString archName(int cpuType);

} // namespace vantrel
