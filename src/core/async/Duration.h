#pragma once

#include <chrono>

namespace vantrel {

// Every time of the launcher: its waits, deadlines, animations and limits.
using Duration = std::chrono::nanoseconds;

// Seconds as a fraction, for a platform interface that takes them (an animation's
// duration); milliseconds, for QML's animations and Qt's timers.
constexpr double inSeconds(Duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

constexpr int inMilliseconds(Duration duration)
{
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count());
}

} // namespace vantrel
