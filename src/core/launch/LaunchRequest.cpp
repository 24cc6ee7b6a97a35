#include "launch/LaunchRequest.h"

#include "log/LaunchLogger.h"
#include "model/ModeNames.h"
#include "platform/HostPath.h"
#include "text/L10n.h"

#include <QSet>
#include <QUrlQuery>

namespace vantrel {

namespace {

using L10n::Key;

// The longest link read: a web page can hand over any amount.
constexpr qsizetype maxLinkLength = 8 * 1024;

// A value from outside, as a message quotes it: at most 80 characters, control characters
// escaped.
QString quoted(const QString& value)
{
    if (value.size() <= 80) {
        return LaunchLogger::escapedControlCharacters(value);
    }
    qsizetype cut = 79;
    if (value[cut - 1].isHighSurrogate()) {
        --cut; // never half a character
    }
    return LaunchLogger::escapedControlCharacters(value.left(cut)) + u'…';
}

// The project of a link: an absolute host path, or a file URL of one.
std::optional<QString> projectPath(const QString& value)
{
    if (value.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(value);
        if (!url.isValid() || !url.isLocalFile() || !url.host().isEmpty() || !url.path().startsWith(u'/')) {
            return std::nullopt;
        }
        return HostPath::fromURL(url);
    }
    if (!value.startsWith(u'/')) {
        return std::nullopt;
    }
    return HostPath::standardized(value);
}

QString installationsText(const QList<LaunchCard>& cards, bool withPaths)
{
    QStringList names;
    QSet<QString> seen;
    for (const LaunchCard& card : cards) {
        if (seen.contains(card.app.bundlePath)) {
            continue;
        }
        seen.insert(card.app.bundlePath);
        names << (withPaths ? card.app.displayName + QStringLiteral(" (") + card.app.bundlePath + u')'
                            : card.app.displayName);
    }
    return names.join(QStringLiteral(", "));
}

} // namespace

bool LaunchRequest::isLink(const QString& text)
{
    return text.startsWith(QLatin1String("vantrel:"), Qt::CaseInsensitive);
}

LinkReading readLaunchLink(const QUrl& link)
{
    auto refuse = [](const QString& why) { return LinkReading{std::nullopt, L10n::text(Key::linkRefused, why)}; };
    if (link.toEncoded().size() > maxLinkLength) {
        return refuse(L10n::text(Key::linkTooLong));
    }
    if (!link.isValid() || link.scheme().compare(QLatin1String("vantrel"), Qt::CaseInsensitive) != 0
        || link.host() != u"launch" || !(link.path().isEmpty() || link.path() == u"/") || !link.userInfo().isEmpty()
        || link.port() != -1 || link.hasFragment()) {
        return refuse(L10n::text(Key::linkNotLaunch));
    }
    LaunchRequest request;
    using By = LaunchRequest::By;
    int targets = 0;
    QSet<QString> keys;
    const QUrlQuery query(link);
    for (const auto& item : query.queryItems(QUrl::FullyDecoded)) {
        // Named, not bound: a lambda below captures them (older Clangs cannot capture a
        // structured binding).
        const QString& key = item.first;
        const QString& value = item.second;
        if (keys.contains(key)) {
            return refuse(L10n::text(Key::linkRepeatedKey, quoted(key)));
        }
        keys.insert(key);
        const auto badValue = [&] { return refuse(L10n::text(Key::linkBadValue, quoted(value), quoted(key))); };
        if (key == u"name" || key == u"path" || key == u"id") {
            if (value.trimmed().isEmpty() || (key == u"path" && !value.startsWith(u'/'))) {
                return badValue();
            }
            ++targets;
            request.by = key == u"name" ? By::name : key == u"path" ? By::path : By::id;
            request.target = value;
        } else if (key == u"mode") {
            request.mode = fromRawValue<LaunchArchitecture>(value);
            if (!request.mode) {
                return badValue();
            }
        } else if (key == u"action") {
            const auto action = fromRawValue<LaunchAction>(value);
            if (!action || !isLaunchRequest(*action)) {
                return badValue();
            }
            request.action = *action;
        } else if (key == u"project") {
            request.project = projectPath(value);
            if (!request.project) {
                return badValue();
            }
        } else {
            return refuse(L10n::text(Key::linkUnknownKey, quoted(key)));
        }
    }
    if (targets != 1) {
        return refuse(L10n::text(Key::linkNoTarget));
    }
    return LinkReading{request, QString()};
}

CardChoice chooseCard(const LaunchRequest& request, const QList<LaunchCard>& cards)
{
    using By = LaunchRequest::By;
    const By by = request.by;
    const QString& target = request.target;
    const std::optional<LaunchArchitecture>& mode = request.mode;
    // The copy's cards, by what names it.
    QList<LaunchCard> matching;
    const QString path = by == By::path ? HostPath::standardized(target) : QString();
    for (const LaunchCard& card : cards) {
        const bool matches = by == By::id ? card.id == target || card.app.idText() == target
                             : by == By::path
                                 ? card.app.bundlePath == path
                                 : card.app.displayName.compare(target.trimmed(), Qt::CaseInsensitive) == 0;
        if (matches) {
            matching << card;
        }
    }
    if (matching.isEmpty()) {
        const QString installed = cards.isEmpty() ? L10n::text(Key::noLogicFound) : installationsText(cards, false);
        const Key key = by == By::id     ? Key::unknownCardID
                        : by == By::path ? Key::unknownInstallationPath
                                         : Key::unknownInstallationName;
        return {std::nullopt, L10n::text(key, quoted(target), installed)};
    }
    const QString first = matching.first().app.bundlePath;
    if (std::any_of(matching.cbegin(), matching.cend(),
                    [&](const LaunchCard& c) { return c.app.bundlePath != first; })) {
        return {std::nullopt,
                L10n::text(Key::ambiguousInstallationName, quoted(target), installationsText(matching, true))};
    }

    // The mode: the one asked for (a card's id names its own), else the first that can start,
    // native before Rosetta.
    std::optional<LaunchArchitecture> wanted = mode;
    if (by == By::id) {
        const auto exact =
            std::find_if(matching.cbegin(), matching.cend(), [&](const LaunchCard& c) { return c.id == target; });
        if (exact != matching.cend()) {
            if (mode && *mode != exact->architecture) {
                return {std::nullopt, L10n::text(Key::modeNotOffered, exact->app.displayName, modeDisplayName(*mode))};
            }
            wanted = exact->architecture;
        }
    }
    std::optional<LaunchCard> card;
    if (wanted) {
        const auto found = std::find_if(matching.cbegin(), matching.cend(),
                                        [&](const LaunchCard& c) { return c.architecture == *wanted; });
        if (found == matching.cend()) {
            return {std::nullopt,
                    L10n::text(Key::modeNotOffered, matching.first().app.displayName, modeDisplayName(*wanted))};
        }
        card = *found;
    } else {
        const auto available =
            std::find_if(matching.cbegin(), matching.cend(), [](const LaunchCard& c) { return c.isAvailable; });
        card = available != matching.cend() ? *available : matching.first();
    }
    if (!card->isAvailable) {
        return {std::nullopt, L10n::text(Key::cardUnavailable, card->app.displayName, card->modeText(),
                                         card->unavailabilityReason.value_or(QString()))};
    }
    return {card, QString()};
}

} // namespace vantrel
