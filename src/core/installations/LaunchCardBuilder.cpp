#include "installations/LaunchCardBuilder.h"

#include "installations/ArchitectureDetector.h"
#include "text/L10n.h"

#include <algorithm>

namespace vantrel::LaunchCardBuilder {

QList<LaunchCard> buildCards(const QList<ResolvedLogicApp>& installations, ArchitectureDetector& detector)
{
    QList<LaunchCard> cards;
    for (const ResolvedLogicApp& installation : installations) {
        if (!installation.metadata || installation.isMissing) {
            continue; // missing and unreadable installations get no cards
        }
        const LogicAppMetadata& metadata = *installation.metadata;
        const SliceSet& slices = metadata.executableArchitectures;
        for (LaunchArchitecture mode : allCases<LaunchArchitecture>()) {
            // No Rosetta card at all for an executable without an Intel slice.
            if (mode == LaunchArchitecture::rosetta && !slices.contains(BinaryArchitecture::x86_64)) {
                continue;
            }
            if (installation.app.hiddenModes.contains(mode)) {
                continue;
            }
            LaunchCard card{
                LaunchCard::makeID(installation.app, mode), installation.app, metadata, mode, true, std::nullopt};
            if (mode == LaunchArchitecture::native) {
                card.isAvailable = slices.contains(BinaryArchitecture::arm64);
                if (!card.isAvailable) {
                    card.unavailabilityReason = L10n::text(L10n::Key::noArm64Slice);
                }
            } else {
                card.isAvailable = detector.isRosettaInstalled();
                if (!card.isAvailable) {
                    card.unavailabilityReason = L10n::text(L10n::Key::rosettaNotInstalledShort);
                }
            }
            cards.append(card);
        }
    }
    return cards;
}

std::optional<QString> repairedSelection(const std::optional<QString>& selected, const QList<LaunchCard>& cards)
{
    if (!selected) {
        return std::nullopt;
    }
    const bool exists =
        std::any_of(cards.cbegin(), cards.cend(), [&](const LaunchCard& card) { return card.id == *selected; });
    return exists ? selected : std::nullopt;
}

} // namespace vantrel::LaunchCardBuilder
