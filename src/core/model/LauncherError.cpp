#include "model/LauncherError.h"

#include "model/ModeNames.h"
#include "text/L10n.h"

namespace vantrel {

using L10n::Key;

LauncherError::LauncherError(Case kind, Payload payload)
    : m_case(kind)
    , m_payload(std::move(payload))
{
}

LauncherError LauncherError::appNotFound(const QString& path)
{
    return {Case::appNotFound, path};
}
LauncherError LauncherError::architectureUnavailable(LaunchArchitecture mode)
{
    return {Case::architectureUnavailable, mode};
}
LauncherError LauncherError::launchFailed(const QString& detail)
{
    return {Case::launchFailed, detail};
}
LauncherError LauncherError::parallelLaunchUnsupported(const QString& message)
{
    return {Case::parallelLaunchUnsupported, message};
}
LauncherError LauncherError::preferenceMutationFailed(const QString& detail)
{
    return {Case::preferenceMutationFailed, detail};
}
LauncherError LauncherError::rosettaNotInstalled()
{
    return {Case::rosettaNotInstalled, {}};
}
LauncherError LauncherError::invalidBundle()
{
    return {Case::invalidBundle, {}};
}
LauncherError LauncherError::notLogicPro()
{
    return {Case::notLogicPro, {}};
}
LauncherError LauncherError::operationCancelled()
{
    return {Case::operationCancelled, {}};
}
LauncherError LauncherError::projectNotFound(const QString& path)
{
    return {Case::projectNotFound, path};
}

QString LauncherError::text() const
{
    const QString* text = std::get_if<QString>(&m_payload);
    return text ? *text : QString();
}

LaunchArchitecture LauncherError::architecture() const
{
    const LaunchArchitecture* mode = std::get_if<LaunchArchitecture>(&m_payload);
    return mode ? *mode : LaunchArchitecture::native;
}

QString LauncherError::errorDescription() const
{
    const AppLanguage language = L10n::currentLanguage();
    switch (m_case) {
    case Case::appNotFound:
        return L10n::text(language, Key::errorAppNotFound, text());
    case Case::architectureUnavailable:
        return L10n::text(language, Key::errorArchUnavailable, modeDisplayName(architecture(), language));
    case Case::launchFailed:
        return L10n::text(language, Key::errorLaunchFailed, text());
    case Case::parallelLaunchUnsupported:
        return text();
    case Case::preferenceMutationFailed:
        return L10n::text(language, Key::errorPreferenceMutation, text());
    case Case::rosettaNotInstalled:
        return L10n::string(Key::errorRosettaNotInstalled, language);
    case Case::invalidBundle:
        return L10n::string(Key::errorInvalidBundle, language);
    case Case::notLogicPro:
        return L10n::string(Key::errorNotLogicPro, language);
    case Case::operationCancelled:
        return L10n::string(Key::errorCancelled, language);
    case Case::projectNotFound:
        return L10n::text(language, Key::errorProjectNotFound, text());
    }
    return {};
}

QString LauncherError::localizedDescription(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const LauncherError& e) {
        return e.errorDescription();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

const char* LauncherError::what() const noexcept
{
    return EnumTraits<Case>::names[std::size_t(m_case)];
}

ShownError ShownError::of(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const LauncherError& e) {
        return e;
    } catch (...) {
        return ShownError(LauncherError::localizedDescription(error));
    }
}

QString ShownError::text() const
{
    if (const auto* error = std::get_if<LauncherError>(&m_value)) {
        return error->errorDescription();
    }
    return std::get<QString>(m_value);
}

} // namespace vantrel
