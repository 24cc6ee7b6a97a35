#include "simhost/SimulatedPreferences.h"

#include "plist/PropertyList.h"
#include "simhost/EventLog.h"
#include "simhost/HostState.h"
#include "simhost/RootedFileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <functional>
#include <mutex>

namespace vantrel::sim {

// What a domain's file held when last read, and how to tell whether it still does.
struct SimulatedPreferences::CachedDomain {
    QVariantMap values;
    std::optional<native::FileSignature> signature; // none: there was no file
    std::optional<quint64> writeCount;              // the disk's write count then
};

struct SimulatedPreferences::Cache {
    std::mutex lock;
    QHash<QString, CachedDomain> domains; // by file path
};

class SimulatedPreferences::Domain final : public UserDefaults {
public:
    Domain(std::shared_ptr<RootedFileSystem> fileSystem, std::shared_ptr<Cache> cache, QString domain,
           QString filePath, QString lockPath, QString eventLogFile)
        : m_fileSystem(std::move(fileSystem))
        , m_cache(std::move(cache))
        , m_domain(std::move(domain))
        , m_filePath(std::move(filePath))
        , m_lockPath(std::move(lockPath))
        , m_eventLogFile(std::move(eventLogFile))
    {
    }

    QString domain() const override { return m_domain; }

    std::optional<QVariant> value(const QString& key) const override
    {
        const QVariantMap values = read();
        auto it = values.constFind(key);
        if (it == values.cend()) {
            return std::nullopt;
        }
        return *it;
    }

    void setValue(const QString& key, const QVariant& value) override
    {
        if (!PropertyList::serialize(value, PropertyList::Format::Xml)) {
            return; // not a property-list value: nothing a Mac would store either
        }
        modify([&](QVariantMap& values) { values.insert(key, value); });
        recordWrite(key, value.typeId() == QMetaType::QByteArray ? QStringLiteral("<data>") : value.toString());
    }

    void removeValue(const QString& key) override
    {
        modify([&](QVariantMap& values) { values.remove(key); });
        recordWrite(key, QStringLiteral("<removed>"));
    }

    bool synchronize() override { return true; } // every write is already on disk

    void modify(const std::function<void(QVariantMap&)>& change)
    {
        // Every writer of the domain, in every process, holds its lock: between the read
        // and the replace nobody else changes the file.
        StateLock lock(m_lockPath);
        QVariantMap values = read();
        change(values);
        if (auto bytes = PropertyList::serialize(values, PropertyList::Format::Xml)) {
            m_fileSystem->createDirectories(m_fileSystem->preferencesDirectory());
            native::FileSignature written;
            if (m_fileSystem->writeAtomically(m_filePath, *bytes, written)) {
                // Kept as a read of the file would give it (types and precision as stored).
                const auto stored = PropertyList::parse(*bytes);
                std::lock_guard guard(m_cache->lock);
                m_cache->domains.insert(m_filePath,
                                        {stored ? stored->toMap() : QVariantMap(), written, m_fileSystem->writeCount()});
            }
        }
    }

private:
    void recordWrite(const QString& key, const QString& value) const
    {
        if (!m_eventLogFile.isEmpty()) {
            EventLog(m_eventLogFile)
                .record(QStringLiteral("preference-write"),
                        {QStringLiteral("domain=") + m_domain, QStringLiteral("key=") + key,
                         QStringLiteral("value=") + value});
        }
    }

    // From memory while the file is what was read last: the disk's write count unchanged,
    // or else the file's signature. Read and parsed again only when it changed.
    QVariantMap read() const
    {
        const auto writeCount = m_fileSystem->writeCount(); // before looking at the file
        std::lock_guard guard(m_cache->lock);
        auto cached = m_cache->domains.find(m_filePath);
        if (cached != m_cache->domains.end()) {
            if (writeCount && cached->writeCount == writeCount) {
                return cached->values;
            }
            if (m_fileSystem->signature(m_filePath) == cached->signature) {
                cached->writeCount = writeCount;
                return cached->values;
            }
        }
        CachedDomain fresh{{}, std::nullopt, writeCount};
        native::FileSignature signature;
        if (auto bytes = m_fileSystem->readAll(m_filePath, signature)) {
            fresh.signature = signature;
            auto parsed = PropertyList::parse(*bytes);
            if (parsed && parsed->typeId() == QMetaType::QVariantMap) {
                fresh.values = parsed->toMap();
            }
        }
        m_cache->domains.insert(m_filePath, fresh);
        return fresh.values;
    }

    std::shared_ptr<RootedFileSystem> m_fileSystem;
    std::shared_ptr<Cache> m_cache;
    QString m_domain;
    QString m_filePath;
    QString m_lockPath;
    QString m_eventLogFile;
};

SimulatedPreferences::SimulatedPreferences(std::shared_ptr<RootedFileSystem> fileSystem, QString standardDomain,
                                           QString lockFolder, QString eventLogFile)
    : m_fileSystem(std::move(fileSystem))
    , m_cache(std::make_shared<Cache>())
    , m_standardDomain(std::move(standardDomain))
    , m_lockFolder(std::move(lockFolder))
    , m_eventLogFile(std::move(eventLogFile))
{
}

QString SimulatedPreferences::domainFilePath(const QString& domain) const
{
    return m_fileSystem->preferencesDirectory() + u'/' + domain + QStringLiteral(".plist");
}

std::shared_ptr<UserDefaults> SimulatedPreferences::standard()
{
    std::lock_guard guard(m_cache->lock);
    if (!m_standard) {
        m_standard = std::make_shared<Domain>(m_fileSystem, m_cache, m_standardDomain, domainFilePath(m_standardDomain),
                                              m_lockFolder + u'/' + m_standardDomain + QStringLiteral(".lock"),
                                              m_eventLogFile);
    }
    return m_standard;
}

std::shared_ptr<UserDefaults> SimulatedPreferences::suite(const QString& name)
{
    if (!isPlainDomainName(name)) {
        return nullptr;
    }
    return std::make_shared<Domain>(m_fileSystem, m_cache, name, domainFilePath(name),
                                    m_lockFolder + u'/' + name + QStringLiteral(".lock"), m_eventLogFile);
}

void SimulatedPreferences::setAppValue(const QString& key, const std::optional<QVariant>& value,
                                       const QString& applicationID)
{
    // The same file as the suite: on a Mac both channels land in one domain.
    auto domain = std::static_pointer_cast<Domain>(suite(applicationID));
    if (!domain) {
        return;
    }
    if (value) {
        domain->setValue(key, *value);
    } else {
        domain->removeValue(key);
    }
}

bool SimulatedPreferences::appSynchronize(const QString& applicationID)
{
    return isPlainDomainName(applicationID);
}

} // namespace vantrel::sim
