#pragma once

#include "platform/Host.h"

#include <memory>

namespace vantrel::mac {

// Every port over the real Mac: the machine's own disk with the user's home folder, the
// Mac adapters, the shared process probe and tool runner, and the launcher's own bundle
// path and identifier from its main bundle. Apple builds only.
std::shared_ptr<Host> makeHost(std::shared_ptr<Clock> clock);

} // namespace vantrel::mac
