#include "model/ModeNames.h"

#include "text/L10n.h"

namespace vantrel {

QString modeDisplayName(LaunchArchitecture mode, AppLanguage language)
{
    return L10n::string(mode == LaunchArchitecture::native ? L10n::Key::native : L10n::Key::rosetta, language);
}

QString modeDisplayName(LaunchArchitecture mode)
{
    return modeDisplayName(mode, L10n::currentLanguage());
}

} // namespace vantrel
