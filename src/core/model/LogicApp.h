#pragma once

#include "model/LaunchArchitecture.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

namespace vantrel {

// One installation the launcher knows about: found by a scan, added by the user, or read
// back from the stored list.
struct LogicApp {
    QUuid id;
    QString displayName;
    QString bundlePath;
    bool isUserDefined = false;
    QSet<LaunchArchitecture> hiddenModes;

    friend bool operator==(const LogicApp&, const LogicApp&) = default;

    // A new record with a random identifier.
    static LogicApp make(QString displayName, QString bundlePath, bool isUserDefined);

    // The canonical identifier text: 36 characters, upper-case hexadecimal.
    QString idText() const;

    // The stored form: "id", "displayName", "bundlePath", "isUserDefined", "hiddenModes".
    QJsonObject toJson() const;
    // Strict: a missing required key, a value of the wrong type, an identifier that is no
    // UUID or an unknown mode fails; unknown extra keys are ignored.
    static std::optional<LogicApp> fromJson(const QJsonObject& object);

    // A whole stored list: a JSON array of records. One bad record fails the whole list.
    static std::optional<QList<LogicApp>> decodeList(const QByteArray& json);
};

size_t qHash(const LogicApp& app, size_t seed = 0) noexcept;

// "D6A1…" → the UUID, only for the canonical hyphenated form (either case).
std::optional<QUuid> parseUuid(const QString& text);

// A new random identity (a version 4 UUID) from Qt's global generator, seeded once from the
// system's source. QUuid::createUuid() asks the system for every one, through the CPU's
// random-number instruction, which takes microseconds in a virtual machine: a scan makes
// one per copy it finds.
QUuid newIdentity();

} // namespace vantrel
