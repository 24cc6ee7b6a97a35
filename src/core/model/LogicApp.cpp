#include "model/LogicApp.h"

#include "model/HashHelpers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRandomGenerator>

namespace vantrel {

LogicApp LogicApp::make(QString displayName, QString bundlePath, bool isUserDefined)
{
    return LogicApp{newIdentity(), std::move(displayName), std::move(bundlePath), isUserDefined, {}};
}

QUuid newIdentity()
{
    QRandomGenerator& random = *QRandomGenerator::global();
    const quint64 high = random.generate64();
    const quint64 low = random.generate64();
    // RFC 4122: the version (4, random) in the high nibble of the third field, the variant
    // (10 in binary) in the top bits of the fourth.
    return QUuid(uint(high >> 32), ushort(high >> 16), ushort((high & 0x0FFF) | 0x4000),
                 uchar(((low >> 56) & 0x3F) | 0x80), uchar(low >> 48), uchar(low >> 40), uchar(low >> 32),
                 uchar(low >> 24), uchar(low >> 16), uchar(low >> 8), uchar(low));
}

QString LogicApp::idText() const
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> parseUuid(const QString& text)
{
    // The canonical form only: 8-4-4-4-12 hexadecimal digits (checked by hand: this runs
    // for every stored entry at every start).
    if (text.size() != 36) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (hyphen ? c != u'-' : !hex) {
            return std::nullopt;
        }
    }
    return QUuid::fromString(text);
}

QJsonObject LogicApp::toJson() const
{
    QJsonArray modes;
    for (LaunchArchitecture mode : allCases<LaunchArchitecture>()) {
        if (hiddenModes.contains(mode)) {
            modes.append(rawValue(mode));
        }
    }
    return QJsonObject{
        {QStringLiteral("id"), idText()},           {QStringLiteral("displayName"), displayName},
        {QStringLiteral("bundlePath"), bundlePath}, {QStringLiteral("isUserDefined"), isUserDefined},
        {QStringLiteral("hiddenModes"), modes},
    };
}

std::optional<LogicApp> LogicApp::fromJson(const QJsonObject& object)
{
    const QJsonValue id = object.value(QStringLiteral("id"));
    const QJsonValue displayName = object.value(QStringLiteral("displayName"));
    const QJsonValue bundlePath = object.value(QStringLiteral("bundlePath"));
    if (!id.isString() || !displayName.isString() || !bundlePath.isString()) {
        return std::nullopt;
    }
    auto uuid = parseUuid(id.toString());
    if (!uuid) {
        return std::nullopt;
    }
    LogicApp app{*uuid, displayName.toString(), bundlePath.toString(), false, {}};

    // Optional keys: absent or null means the default; any other type fails.
    const QJsonValue userDefined = object.value(QStringLiteral("isUserDefined"));
    if (userDefined.isBool()) {
        app.isUserDefined = userDefined.toBool();
    } else if (!userDefined.isUndefined() && !userDefined.isNull()) {
        return std::nullopt;
    }
    const QJsonValue hidden = object.value(QStringLiteral("hiddenModes"));
    if (hidden.isArray()) {
        for (const QJsonValue mode : hidden.toArray()) {
            auto decoded = mode.isString() ? fromRawValue<LaunchArchitecture>(mode.toString()) : std::nullopt;
            if (!decoded) {
                return std::nullopt;
            }
            app.hiddenModes.insert(*decoded);
        }
    } else if (!hidden.isUndefined() && !hidden.isNull()) {
        return std::nullopt;
    }
    return app;
}

std::optional<QList<LogicApp>> LogicApp::decodeList(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        return std::nullopt;
    }
    QList<LogicApp> apps;
    for (const QJsonValue element : document.array()) {
        auto app = element.isObject() ? fromJson(element.toObject()) : std::nullopt;
        if (!app) {
            return std::nullopt;
        }
        apps.append(*app);
    }
    return apps;
}

size_t qHash(const LogicApp& app, size_t seed) noexcept
{
    seed = qHashMulti(seed, app.id, app.displayName, app.bundlePath, app.isUserDefined);
    return hashSet(app.hiddenModes, seed);
}

} // namespace vantrel
