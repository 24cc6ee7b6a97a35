#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace vantrel {

// One preference domain: the launcher's own (the standard defaults) or a named suite such
// as Logic Pro's "com.apple.logic10". Values are property-list values carried as QVariant
// (see PropertyList); reading always reflects what is stored now, including another
// process's writes.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    virtual QString domain() const = 0;

    // The stored object, of whatever property-list type it has; no value when absent.
    virtual std::optional<QVariant> value(const QString& key) const = 0;
    // Stores a property-list value; a value that cannot be stored is ignored.
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void removeValue(const QString& key) = 0;
    // Flushes pending writes; true when the domain is on disk.
    virtual bool synchronize() = 0;

    // Typed reads: no value when absent or of another type.
    std::optional<QString> string(const QString& key) const;
    std::optional<bool> boolean(const QString& key) const;
    std::optional<qint64> integer(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;

    // The platform's Boolean reading of whatever is stored: a Boolean as it is; a number is
    // true when non-zero; a string "YES"/"true" (any case) is true, "NO"/"false" false, and
    // any other string is read as a number ("1" true, "0" or "abc" false); any other type
    // is false. No value only when the key is absent.
    std::optional<bool> boolValue(const QString& key) const;
};

} // namespace vantrel
