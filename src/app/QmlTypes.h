#pragma once

// The C++ types the views name, registered for QML in the Vantrel module. The core stays
// free of QML: its types are registered here, from outside, as foreign types. None of
// them is made by a view; the application hands them over as the views' required
// properties.

#include "settings/AppPreferences.h"
#include "text/LocalizationStore.h"
#include "viewmodels/LauncherViewModel.h"
#include "viewmodels/PopupMenuViewModel.h"
#include "viewmodels/SettingsViewModel.h"

#include <QtQml/qqml.h>

namespace vantrel::qml {

struct LauncherViewModelType {
    Q_GADGET
    QML_FOREIGN(vantrel::LauncherViewModel)
    QML_NAMED_ELEMENT(LauncherViewModel)
    QML_UNCREATABLE("made by the application")
};

struct SettingsViewModelType {
    Q_GADGET
    QML_FOREIGN(vantrel::SettingsViewModel)
    QML_NAMED_ELEMENT(SettingsViewModel)
    QML_UNCREATABLE("made by the application")
};

struct PopupMenuViewModelType {
    Q_GADGET
    QML_FOREIGN(vantrel::PopupMenuViewModel)
    QML_NAMED_ELEMENT(PopupMenuViewModel)
    QML_UNCREATABLE("made by the application")
};

struct LocalizationStoreType {
    Q_GADGET
    QML_FOREIGN(vantrel::LocalizationStore)
    QML_NAMED_ELEMENT(LocalizationStore)
    QML_UNCREATABLE("made by the application")
};

struct AppPreferencesType {
    Q_GADGET
    QML_FOREIGN(vantrel::AppPreferences)
    QML_NAMED_ELEMENT(AppPreferences)
    QML_UNCREATABLE("made by the application")
};

// Makes sure the module's registration is linked into every program that shows a view
// (the registration sits in a static library, where nothing else refers to it).
void linkQmlTypes();

} // namespace vantrel::qml
