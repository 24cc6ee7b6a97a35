#include "settings/PersistenceStore.h"

#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace vantrel {

PersistenceStore::PersistenceStore()
    : PersistenceStore(Host::current().standardDefaults(), Host::current().fileSystem())
{
}

PersistenceStore::PersistenceStore(std::shared_ptr<UserDefaults> defaults, FileSystem& fileSystem)
    : m_defaults(std::move(defaults))
    , m_fileSystem(fileSystem)
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
    if (auto bytes = m_fileSystem.readAll(fileURL())) {
        if (auto apps = LogicApp::decodeList(*bytes)) {
            return *apps;
        }
    }
    if (auto bytes = m_defaults->data(QString::fromLatin1(defaultsKey))) {
        if (auto apps = LogicApp::decodeList(*bytes)) {
            return *apps;
        }
    }
    return {};
}

void PersistenceStore::saveApps(const QList<LogicApp>& apps)
{
    const QByteArray bytes = encode(apps);
    const QString path = fileURL();
    FileSystem& fileSystem = m_fileSystem;
    m_ioQueue.post([&fileSystem, path, bytes] { fileSystem.writeAtomically(path, bytes); });
    m_defaults->setValue(QString::fromLatin1(defaultsKey), bytes);
}

} // namespace vantrel
