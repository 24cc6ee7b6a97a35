#pragma once

#include <QObject>
#include <QQuickView>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

namespace vantrel {

class AppPreferences;
class LocalizationStore;
class OpenPanel;
class Services;
class SettingsViewModel;

// The settings window: an ordinary titled window (520 × 540) showing SettingsView.qml over
// its own SettingsViewModel, over the launcher's scanner, detector and settings manager
// (the process's `Services`). Made once and kept, so a later opening finds the editor as it
// was left. Its title follows the interface language. Closing it (Done, Return, the close
// button) calls `onClose`; following an outward link calls `onQuit`.
class SettingsWindowController final : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(SettingsWindow)
    QML_UNCREATABLE("made by the application")

public:
    SettingsWindowController(Services& services, AppPreferences& preferences, std::function<void()> onClose,
                             std::function<void()> onQuit, QObject* parent = nullptr);
    ~SettingsWindowController() override;

    void show();
    bool isVisible() const;
    // Done: close the window.
    Q_INVOKABLE void close();

    QQuickView& window() { return *m_window; }
    SettingsViewModel& viewModel() { return *m_viewModel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void retitle();

    LocalizationStore& m_localization;
    std::function<void()> m_onClose;
    std::unique_ptr<OpenPanel> m_openPanel;
    std::unique_ptr<SettingsViewModel> m_viewModel;
    std::unique_ptr<QQuickView> m_window;
};

} // namespace vantrel
