#include "settings/PersistenceStore.h"

#include "log/LaunchLogger.h"
#include "platform/FileSystem.h"
#include "platform/UserDefaults.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

namespace vantrel {

PersistenceStore::PersistenceStore(std::shared_ptr<UserDefaults> defaults, FileSystem& fileSystem, LaunchLogger& logger)
    : m_defaults(std::move(defaults))
    , m_fileSystem(fileSystem)
    , m_logger(logger)
{
}

PersistenceStore::~PersistenceStore() = default; // the queue finishes pending writes

QString PersistenceStore::fileURL()
{
    const QString folder = m_fileSystem.applicationSupportDirectory() + QStringLiteral("/Vantrel");
    if (!m_fileSystem.isDirectory(folder)) {
        m_fileSystem.createDirectories(folder); // a failure shows up as a failed read or write
    }
    return folder + QStringLiteral("/logic-apps.json");
}

QByteArray PersistenceStore::encode(const QList<LogicApp>& apps)
{
    QJsonArray array;
    for (const LogicApp& app : apps) {
        array.append(app.toJson()); // QJsonObject keeps its keys sorted
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QList<LogicApp> PersistenceStore::loadApps()
{
    m_ioQueue.waitUntilIdle();
    m_unreadable.clear();
    auto decode = [this](const std::optional<QByteArray>& bytes) -> std::optional<QList<LogicApp>> {
        if (!bytes) {
            return std::nullopt;
        }
        auto apps = LogicApp::decodeList(*bytes);
        if (!apps && !bytes->trimmed().isEmpty() && !m_unreadable.contains(*bytes)) {
            m_unreadable.append(*bytes);
        }
        return apps;
    };
    const std::optional<QByteArray> file = m_fileSystem.readAll(fileURL());
    const std::optional<QByteArray> copy = m_defaults->data(QString::fromLatin1(defaultsKey));
    const auto fromFile = decode(file);
    // The copy is looked at even when the file wins: a save replaces it too.
    const auto fromCopy = copy == file && fromFile ? fromFile : decode(copy);
    if (fromCopy && m_defaults->boolValue(QString::fromLatin1(staleFileKey)).value_or(false)) {
        return *fromCopy; // the file missed the last saves
    }
    return fromFile ? *fromFile : fromCopy.value_or(QList<LogicApp>{});
}

bool PersistenceStore::keepUnreadableCopies(const QString& path)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    while (!m_unreadable.isEmpty()) {
        QString aside = path + QStringLiteral(".unreadable-") + stamp;
        for (int n = 2; m_fileSystem.exists(aside); ++n) {
            aside = path + QStringLiteral(".unreadable-") + stamp + u'-' + QString::number(n);
        }
        if (!m_fileSystem.writeAtomically(aside, m_unreadable.first())) {
            m_logger.log(QStringLiteral("stored installation list could not be read nor kept aside as ") + aside
                         + QStringLiteral(" — not overwriting it"));
            return false;
        }
        m_logger.log(QStringLiteral("stored installation list could not be read — kept aside as ") + aside);
        m_unreadable.removeFirst();
    }
    return true;
}

void PersistenceStore::saveApps(const QList<LogicApp>& apps)
{
    const QByteArray bytes = encode(apps);
    const QString path = fileURL();
    if (!keepUnreadableCopies(path)) {
        return;
    }
    FileSystem& fileSystem = m_fileSystem;
    m_ioQueue.post([&fileSystem, defaults = m_defaults, path, bytes] {
        const QString staleKey = QString::fromLatin1(staleFileKey);
        if (!fileSystem.writeAtomically(path, bytes)) {
            defaults->setValue(staleKey, true);
        } else if (defaults->value(staleKey)) {
            defaults->removeValue(staleKey);
        }
    });
    m_defaults->setValue(QString::fromLatin1(defaultsKey), bytes);
}

} // namespace vantrel
