#pragma once

#include "model/LaunchAction.h"
#include "model/LaunchArchitecture.h"
#include "model/LaunchCard.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

// A launch asked for from outside the panel, by the command line or a vantrel:// link:
// which copy (by its path, display name or card id), in which mode, with which action and
// project. What it names is looked up among the cards the panel would show.
struct LaunchRequest {
    enum class By { path, name, id };

    By by = By::path;
    QString target;
    std::optional<LaunchArchitecture> mode; // none: native where the copy has it
    LaunchAction action = LaunchAction::launch;
    std::optional<QString> project; // a host path

    friend bool operator==(const LaunchRequest&, const LaunchRequest&) = default;

    // Whether `text` is a vantrel:// link rather than a file ("vantrel:" in any case).
    static bool isLink(const QString& text);
};

// The request of "vantrel://launch?name=…|path=…|id=…[&mode=native|rosetta]
// [&action=launch|launchSafeMode|launchWithoutRecentProject][&project=…]", or, in the
// interface language, why the link is refused: another scheme or host, a key that is
// unknown, empty or given twice, a value that is not one of the key's, no copy or two.
// The project is an absolute path or a file URL.
struct LinkReading {
    std::optional<LaunchRequest> request;
    QString refusal;
};
LinkReading readLaunchLink(const QUrl& link);

// The card `request` names among `cards` (the panel's, in its order), or, in the
// interface language, why none: no such copy (the copies there are listed), a name
// several copies share, a mode the copy has no card for, a card that cannot launch.
struct CardChoice {
    std::optional<LaunchCard> card;
    QString refusal;
};
CardChoice chooseCard(const LaunchRequest& request, const QList<LaunchCard>& cards);

} // namespace vantrel
