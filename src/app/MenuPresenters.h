#pragma once

#include "platform/MenuPresenter.h"

#include <functional>
#include <memory>

namespace vantrel {

// The launcher's pop-up menus: the Mac's own (NSMenu, with the system's symbols) there,
// our own PopupMenuView elsewhere (QuickMenuPresenter). `onTrackingChanged` hears when a
// menu opens and closes.
std::unique_ptr<MenuPresenter> makeMenuPresenter(std::function<void(bool tracking)> onTrackingChanged);

} // namespace vantrel
