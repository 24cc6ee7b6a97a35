#pragma once

#include "platform/MenuPresenter.h"

#include <QPoint>

#include <functional>
#include <memory>

namespace vantrel {

// The launcher's pop-up menus: the Mac's own (NSMenu, with the system's symbols) there,
// our own PopupMenuView elsewhere (QuickMenuPresenter). `onTrackingChanged` hears when a
// menu opens and closes.
std::unique_ptr<MenuPresenter> makeMenuPresenter(std::function<void(bool tracking)> onTrackingChanged);

// Where a menu opens, in global coordinates: at the lower left of the anchor view's item
// the menu names (a menu asked for from the keyboard), else at the pointer.
QPoint menuAnchorPoint(const Menu& menu, QObject* anchorView);

} // namespace vantrel
