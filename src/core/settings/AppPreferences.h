#pragma once

#include "text/LocalizationStore.h"

#include <QObject>

#include <memory>

namespace vantrel {

class UserDefaults;

// The two behaviour switches of the settings window. Both default to true when nothing is
// stored; a stored value is read as the platform reads a Boolean (a script's 0 or "NO" is
// false). Every change is stored at once.
class AppPreferences final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool closeOnFocusLoss READ closeOnFocusLoss WRITE setCloseOnFocusLoss NOTIFY closeOnFocusLossChanged)
    Q_PROPERTY(bool closeOtherLogicOnLaunch READ closeOtherLogicOnLaunch WRITE setCloseOtherLogicOnLaunch NOTIFY
                   closeOtherLogicOnLaunchChanged)
    Q_PROPERTY(vantrel::LocalizationStore* localization READ localization CONSTANT)

public:
    static constexpr const char* closeOnFocusLossKey = "closeOnFocusLoss";
    static constexpr const char* closeOtherLogicOnLaunchKey = "closeOtherLogicOnLaunch";

    AppPreferences(std::shared_ptr<UserDefaults> defaults, LocalizationStore* localization, QObject* parent = nullptr);

    bool closeOnFocusLoss() const { return m_closeOnFocusLoss; }
    void setCloseOnFocusLoss(bool value);
    bool closeOtherLogicOnLaunch() const { return m_closeOtherLogicOnLaunch; }
    void setCloseOtherLogicOnLaunch(bool value);
    LocalizationStore* localization() const { return m_localization; }

    // The rule every reader of these keys follows: the stored value read as a Boolean
    // (UserDefaults::boolValue), true only when the key is absent. The
    // launch engine reads "closeOtherLogicOnLaunch" through this at each launch.
    static bool flag(const UserDefaults& defaults, const char* key);

Q_SIGNALS:
    void closeOnFocusLossChanged();
    void closeOtherLogicOnLaunchChanged();

private:
    std::shared_ptr<UserDefaults> m_defaults;
    LocalizationStore* m_localization;
    bool m_closeOnFocusLoss;
    bool m_closeOtherLogicOnLaunch;
};

} // namespace vantrel
