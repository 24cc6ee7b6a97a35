#include "settings/AppPreferences.h"

#include "platform/UserDefaults.h"
#include "text/LocalizationStore.h"

namespace vantrel {

AppPreferences::AppPreferences(std::shared_ptr<UserDefaults> defaults, LocalizationStore* localization, QObject* parent)
    : QObject(parent)
    , m_defaults(std::move(defaults))
    , m_localization(localization)
    , m_closeOnFocusLoss(flag(*m_defaults, closeOnFocusLossKey))
    , m_closeOtherLogicOnLaunch(flag(*m_defaults, closeOtherLogicOnLaunchKey))
{
}

bool AppPreferences::flag(const UserDefaults& defaults, const char* key)
{
    return defaults.boolValue(QString::fromLatin1(key)).value_or(true);
}

void AppPreferences::setCloseOnFocusLoss(bool value)
{
    m_closeOnFocusLoss = value;
    Q_EMIT closeOnFocusLossChanged();
    m_defaults->setValue(QString::fromLatin1(closeOnFocusLossKey), value);
}

void AppPreferences::setCloseOtherLogicOnLaunch(bool value)
{
    m_closeOtherLogicOnLaunch = value;
    Q_EMIT closeOtherLogicOnLaunchChanged();
    m_defaults->setValue(QString::fromLatin1(closeOtherLogicOnLaunchKey), value);
}

} // namespace vantrel
