#include "platform/UserDefaults.h"

#include "platform/PreferencesSystem.h"

namespace vantrel {

std::optional<QString> UserDefaults::string(const QString& key) const
{
    auto v = value(key);
    if (!v || v->typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return v->toString();
}

std::optional<bool> UserDefaults::boolean(const QString& key) const
{
    auto v = value(key);
    if (!v || v->typeId() != QMetaType::Bool) {
        return std::nullopt;
    }
    return v->toBool();
}

std::optional<bool> UserDefaults::boolValue(const QString& key) const
{
    auto v = value(key);
    if (!v) {
        return std::nullopt;
    }
    switch (v->typeId()) {
    case QMetaType::Bool:
        return v->toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return v->toLongLong() != 0;
    case QMetaType::Double:
        return v->toDouble() != 0.0;
    case QMetaType::QString: {
        const QString text = v->toString().trimmed();
        if (text.compare(u"yes", Qt::CaseInsensitive) == 0 || text.compare(u"true", Qt::CaseInsensitive) == 0) {
            return true;
        }
        bool isNumber = false;
        const double number = text.toDouble(&isNumber);
        return isNumber && number != 0.0;
    }
    default:
        return false;
    }
}

std::optional<qint64> UserDefaults::integer(const QString& key) const
{
    auto v = value(key);
    if (!v) {
        return std::nullopt;
    }
    switch (v->typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return v->toLongLong();
    default:
        return std::nullopt;
    }
}

std::optional<QByteArray> UserDefaults::data(const QString& key) const
{
    auto v = value(key);
    if (!v || v->typeId() != QMetaType::QByteArray) {
        return std::nullopt;
    }
    return v->toByteArray();
}

bool PreferencesSystem::isPlainDomainName(const QString& name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(u'\0')) && name != u"."
           && !name.contains(QStringLiteral(".."));
}

} // namespace vantrel
