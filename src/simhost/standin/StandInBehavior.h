#pragma once

#include <QString>

#include <optional>

namespace vantrel::sim {

class RootedFileSystem;

// How a simulated Logic Pro copy misbehaves, read from its bundle's Info.plist
// (dictionary "VantrelSimBehavior"), so tests and demos can reproduce real trouble.
struct StandInBehavior {
    static constexpr const char* infoKey = "VantrelSimBehavior";

    bool wrongArchitecture = false;      // starts in the other architecture than asked
    bool neverFinishesLaunching = false; // never reports finished launching
    bool refusesToQuit = false;          // ignores the graceful quit request
    bool refusesDocuments = false;       // every document open fails
    double startupDelay = 0.3;           // seconds until finished launching ("slow start" when large)
    std::optional<double> crashAfter;    // seconds after start; dies without deregistering

    static StandInBehavior read(const RootedFileSystem& fileSystem, const QString& bundlePath);
};

} // namespace vantrel::sim
