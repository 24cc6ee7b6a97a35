#pragma once

namespace vantrel::sim {

class SimulatedMac;

// A believable set of installations for demos: a universal Logic Pro 11, a universal
// Logic Pro X 10.7, an arm64-only beta, an Intel-only Logic Pro X 10.4 in the user's
// Applications folder, the launcher's own bundle, plug-in folders, a recent project, and
// Rosetta installed.
bool populateDemo(SimulatedMac& mac);

} // namespace vantrel::sim
