#include "launch/ArchitecturePreferenceMutator.h"

#include "model/CpuType.h"
#include "model/LauncherError.h"
#include "platform/HostPath.h"
#include "platform/LaunchServices.h"
#include "text/L10n.h"

namespace vantrel {

ArchitecturePreferenceMutator::ArchitecturePreferenceMutator(LaunchServices& launchServices)
    : m_setPreference(launchServices.lookUpArchitecturePreferenceSetter())
{
}

ArchitecturePreferenceMutator::~ArchitecturePreferenceMutator() = default;

std::optional<QString> ArchitecturePreferenceMutator::currentPreference(const QUrl& appURL)
{
    std::lock_guard lock(m_lock);
    auto it = m_knownPreferences.constFind(HostPath::fromURL(appURL));
    if (it == m_knownPreferences.cend()) {
        return std::nullopt;
    }
    return *it;
}

ArchitecturePreferenceMutator::Token
ArchitecturePreferenceMutator::beginOverride(const QUrl& appURL, LaunchArchitecture desiredArchitecture,
                                             bool hostIsAppleSilicon)
{
    std::lock_guard lock(m_lock);
    const QString name = desiredArchitecture == LaunchArchitecture::native && hostIsAppleSilicon
                             ? QString::fromLatin1(ArchitectureName::arm64)
                             : QString::fromLatin1(ArchitectureName::x86_64);
    if (!m_setPreference) {
        throw LauncherError::preferenceMutationFailed(L10n::text(L10n::Key::errorLSPrefUnavailable));
    }
    const QString path = HostPath::fromURL(appURL);
    if (!m_setPreference->canMakeBundleURL(path)) {
        throw LauncherError::preferenceMutationFailed(L10n::text(L10n::Key::errorLSPrefSetFailed, name));
    }
    std::optional<QString> previous;
    if (auto it = m_knownPreferences.constFind(path); it != m_knownPreferences.cend()) {
        previous = *it;
    }
    if (previous == name) {
        return Token{appURL, previous, false};
    }
    m_setPreference->setPreference(path, name);
    m_knownPreferences.insert(path, name);
    return Token{appURL, previous, true};
}

void ArchitecturePreferenceMutator::endOverride(const Token& token)
{
    std::lock_guard lock(m_lock);
    if (!token.didChange || !m_setPreference) {
        return;
    }
    const QString path = HostPath::fromURL(token.appURL);
    if (!m_setPreference->canMakeBundleURL(path)) {
        return;
    }
    // Restoring never clears the preference: with nothing recorded it goes back to arm64.
    const QString value = token.previousPreference.value_or(QString::fromLatin1(ArchitectureName::arm64));
    m_setPreference->setPreference(path, value);
    m_knownPreferences.insert(path, value);
}

} // namespace vantrel
