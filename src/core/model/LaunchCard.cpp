#include "model/LaunchCard.h"

#include "text/L10n.h"

namespace vantrel {

QString LaunchCard::modeText() const
{
    if (architecture == LaunchArchitecture::rosetta) {
        return L10n::text(L10n::Key::rosetta);
    }
    return L10n::text(metadata.executableArchitectures.contains(BinaryArchitecture::x86_64) ? L10n::Key::native
                                                                                            : L10n::Key::arm64Only);
}

QString LaunchCard::makeID(const LogicApp& app, LaunchArchitecture mode)
{
    return app.idText() + u'-' + rawValue(mode);
}

} // namespace vantrel
