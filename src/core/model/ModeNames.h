#pragma once

#include "model/LaunchArchitecture.h"
#include "text/AppLanguage.h"

#include <QString>

namespace vantrel {

// A mode's name in messages: the text of key `native` ("Native", "Нативный") or `rosetta`.
QString modeDisplayName(LaunchArchitecture mode, AppLanguage language);
// The same in the current interface language.
QString modeDisplayName(LaunchArchitecture mode);

} // namespace vantrel
