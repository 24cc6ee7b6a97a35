#include "settings/ProjectMemory.h"

#include "log/LaunchLogger.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel {

namespace {

QString key(const char* name)
{
    return QString::fromLatin1(name);
}

} // namespace

ProjectMemory::ProjectMemory(std::shared_ptr<UserDefaults> defaults, FileSystem& fileSystem, LaunchLogger& logger)
    : m_defaults(std::move(defaults))
    , m_fileSystem(fileSystem)
    , m_logger(logger)
{
}

bool ProjectMemory::isEnabled() const
{
    return m_defaults->boolValue(key(enabledKey)).value_or(true);
}

void ProjectMemory::setEnabled(bool enabled)
{
    m_defaults->setValue(key(enabledKey), enabled);
    if (!enabled) {
        forget();
    }
}

QByteArray ProjectMemory::encode(const QList<Entry>& entries)
{
    QJsonArray array;
    for (const Entry& entry : entries) {
        array.append(QJsonObject{
            {QStringLiteral("project"), entry.projectPath},
            {QStringLiteral("installationID"), entry.installationID},
            {QStringLiteral("installationPath"), entry.installationPath},
            {QStringLiteral("mode"), rawValue(entry.mode)},
            {QStringLiteral("openedAt"), entry.openedAt.toUTC().toString(Qt::ISODate)},
        });
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<ProjectMemory::Entry>> ProjectMemory::decode(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() || document.array().size() > capacity) {
        return std::nullopt;
    }
    QList<Entry> entries;
    for (const QJsonValue& value : document.array()) {
        const QJsonObject object = value.toObject();
        Entry entry{object.value(QStringLiteral("project")).toString(),
                    object.value(QStringLiteral("installationID")).toString(),
                    object.value(QStringLiteral("installationPath")).toString(), LaunchArchitecture::native,
                    QDateTime::fromString(object.value(QStringLiteral("openedAt")).toString(), Qt::ISODate)};
        const auto mode = fromRawValue<LaunchArchitecture>(object.value(QStringLiteral("mode")).toString());
        if (!value.isObject() || !entry.projectPath.startsWith(u'/') || entry.installationID.isEmpty() || !mode) {
            return std::nullopt;
        }
        entry.mode = *mode;
        entries.append(entry);
    }
    return entries;
}

QList<ProjectMemory::Entry> ProjectMemory::read()
{
    m_unreadable.reset();
    const std::optional<QVariant> stored = m_defaults->value(key(historyKey));
    if (!stored) {
        return {};
    }
    const std::optional<QByteArray> bytes = m_defaults->data(key(historyKey));
    const auto entries = bytes ? decode(*bytes) : std::nullopt;
    if (!entries) {
        m_unreadable = *stored; // anything else under the key (a string, a dictionary) too
        return {};
    }
    return *entries;
}

void ProjectMemory::write(const QList<Entry>& entries)
{
    if (const auto unreadable = std::exchange(m_unreadable, std::nullopt)) {
        const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
        QString aside = key(historyKey) + QStringLiteral("Unreadable-") + stamp;
        for (int n = 2; m_defaults->value(aside); ++n) {
            aside = key(historyKey) + QStringLiteral("Unreadable-") + stamp + u'-' + QString::number(n);
        }
        m_defaults->setValue(aside, *unreadable);
        m_logger.log(QStringLiteral("stored project history could not be read — kept aside as ") + aside);
    }
    if (entries.isEmpty()) {
        m_defaults->removeValue(key(historyKey));
    } else {
        m_defaults->setValue(key(historyKey), encode(entries));
    }
}

QList<ProjectMemory::Entry> ProjectMemory::entries()
{
    QList<Entry> entries = read();
    const qsizetype before = entries.size();
    entries.removeIf([this](const Entry& entry) { return !m_fileSystem.exists(entry.projectPath); });
    if (entries.size() != before) {
        write(entries);
    }
    return entries;
}

std::optional<ProjectMemory::Entry> ProjectMemory::recall(const QString& projectPath)
{
    if (!isEnabled()) {
        return std::nullopt;
    }
    const QString path = HostPath::standardized(projectPath);
    QList<Entry> entries = read();
    const auto found =
        std::find_if(entries.cbegin(), entries.cend(), [&](const Entry& e) { return e.projectPath == path; });
    if (found == entries.cend()) {
        return std::nullopt;
    }
    if (!m_fileSystem.exists(path)) {
        const Entry gone = *found;
        entries.removeAll(gone);
        write(entries);
        return std::nullopt;
    }
    return *found;
}

std::optional<LaunchCard> ProjectMemory::rememberedCard(const QString& projectPath, const QList<LaunchCard>& cards)
{
    const auto entry = recall(projectPath);
    if (!entry) {
        return std::nullopt;
    }
    auto find = [&](auto matches) -> std::optional<LaunchCard> {
        for (const LaunchCard& card : cards) {
            if (card.architecture == entry->mode && matches(card)) {
                return card;
            }
        }
        return std::nullopt;
    };
    auto card = find([&](const LaunchCard& c) { return c.app.idText() == entry->installationID; });
    if (!card) {
        card = find([&](const LaunchCard& c) { return c.app.bundlePath == entry->installationPath; });
    }
    if (!card || !card->isAvailable) {
        return std::nullopt;
    }
    return card;
}

void ProjectMemory::remember(const QString& projectPath, const LaunchCard& card, const QDateTime& when)
{
    if (!isEnabled()) {
        return;
    }
    const QString path = HostPath::standardized(projectPath);
    QList<Entry> entries = read();
    entries.removeIf([&](const Entry& entry) { return entry.projectPath == path; });
    entries.prepend(Entry{path, card.app.idText(), card.app.bundlePath, card.architecture, when.toUTC()});
    if (entries.size() > capacity) {
        entries.resize(capacity);
    }
    write(entries);
}

void ProjectMemory::forget()
{
    read(); // an unreadable value is kept aside before it goes
    write({});
}

} // namespace vantrel
