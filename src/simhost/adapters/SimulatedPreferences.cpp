#include "simhost/adapters/SimulatedPreferences.h"

#include "plist/PropertyList.h"
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/machine/EventLog.h"
#include "simhost/machine/HostState.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <functional>
#include <mutex>

namespace vantrel::sim {

namespace {

// A file changed again within the same tick of the file system's clock can keep its
// size, its modification time and even its inode number (freed by the replace and given
// out again), so a signature taken this close to the file's last change proves nothing.
constexpr qint64 racyWindowNanoseconds = 100'000'000;

qint64 nowNanoseconds()
{
    return QDateTime::currentMSecsSinceEpoch() * 1'000'000;
}

} // namespace

// What a domain's file held when last read, and how to tell whether it still does.
struct SimulatedPreferences::CachedDomain {
    QVariantMap values;
    std::optional<native::FileSignature> signature; // none: there was no file
    std::optional<quint64> writeCount;              // the disk's write count before the read
    bool signatureTrusted = false;                  // the file was older than the racy window

    static CachedDomain of(QVariantMap values, std::optional<native::FileSignature> signature,
                           std::optional<quint64> writeCount)
    {
        const bool trusted = !signature || nowNanoseconds() - signature->modifiedNanoseconds > racyWindowNanoseconds;
        return {std::move(values), signature, writeCount, trusted};
    }
};

struct SimulatedPreferences::Cache {
    std::mutex lock;
    QHash<QString, CachedDomain> domains; // by file path
};

class SimulatedPreferences::Domain final : public UserDefaults {
public:
    Domain(std::shared_ptr<RootedFileSystem> fileSystem, std::shared_ptr<Cache> cache, QString domain, QString filePath,
           QString lockPath, QString eventLogFile)
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
        if (modify([&](QVariantMap& values) { values.insert(key, value); })) {
            recordWrite(key, value.typeId() == QMetaType::QByteArray ? QStringLiteral("<data>") : value.toString());
        }
    }

    void removeValue(const QString& key) override
    {
        if (modify([&](QVariantMap& values) { values.remove(key); })) {
            recordWrite(key, QStringLiteral("<removed>"));
        }
    }

    bool synchronize() override { return true; } // every write is already on disk

    // Whether the change reached the disk.
    bool modify(const std::function<void(QVariantMap&)>& change)
    {
        // Writers of the domain, in every process, take its lock, and the file is read
        // afresh under it, so a write never builds on an outdated copy.
        StateLock lock(m_lockPath);
        const auto writeCount = m_fileSystem->writeCount(); // before the write counts itself
        const FileRead current = readFile();
        if (current.unreadable) {
            // What the file holds is not known: rewriting it would lose it. The write fails,
            // as a read back shows.
            recordEvent(QStringLiteral("preference-write-refused"),
                        {QStringLiteral("domain=") + m_domain, QStringLiteral("reason=unreadable")});
            return false;
        }
        QVariantMap values = current.domain.values;
        change(values);
        if (auto bytes = PropertyList::serialize(values, PropertyList::Format::Xml)) {
            m_fileSystem->createDirectories(m_fileSystem->preferencesDirectory());
            native::FileSignature written;
            if (m_fileSystem->writeAtomically(m_filePath, *bytes, written)) {
                // Kept as a read of the file would give it (types and precision as stored).
                // The count from before the write makes the next read look at the file once.
                const auto stored = PropertyList::parse(*bytes);
                std::lock_guard guard(m_cache->lock);
                m_cache->domains.insert(
                    m_filePath, CachedDomain::of(stored ? stored->toMap() : QVariantMap(), written, writeCount));
                return true;
            }
        }
        return false;
    }

private:
    void recordWrite(const QString& key, const QString& value) const
    {
        recordEvent(
            QStringLiteral("preference-write"),
            {QStringLiteral("domain=") + m_domain, QStringLiteral("key=") + key, QStringLiteral("value=") + value});
    }

    void recordEvent(const QString& name, const QStringList& fields) const
    {
        if (!m_eventLogFile.isEmpty()) {
            EventLog(m_eventLogFile).record(name, fields);
        }
    }

    // From memory while the file is what was read last: the disk's write count unchanged,
    // or else the file's signature, when it can be trusted. Read and parsed again only
    // when it changed.
    QVariantMap read() const
    {
        const auto writeCount = m_fileSystem->writeCount(); // before looking at the file
        std::lock_guard guard(m_cache->lock);
        auto cached = m_cache->domains.find(m_filePath);
        if (cached != m_cache->domains.end()) {
            if (writeCount && cached->writeCount == writeCount) {
                return cached->values;
            }
            if (cached->signatureTrusted && m_fileSystem->signature(m_filePath) == cached->signature) {
                cached->writeCount = writeCount;
                return cached->values;
            }
        }
        const FileRead fresh = readFile(); // an unreadable file reads as empty; only writes refuse it
        // A file there that could not be read is tried again next time.
        if (fresh.lasting) {
            m_cache->domains.insert(m_filePath,
                                    CachedDomain::of(fresh.domain.values, fresh.domain.signature, writeCount));
        } else {
            m_cache->domains.remove(m_filePath);
        }
        return fresh.domain.values;
    }

    struct FileRead {
        CachedDomain domain;
        bool lasting;            // the file was read, or there is none: not a passing failure
        bool unreadable = false; // a file is there, and what it holds is not known
    };

    // The file as it is now: a corrupt, empty or non-dictionary one reads as empty, and is
    // unreadable (never rewritten). An empty file holds nothing to lose.
    FileRead readFile() const
    {
        CachedDomain domain;
        native::FileSignature signature;
        auto bytes = m_fileSystem->readAll(m_filePath, signature);
        if (!bytes) {
            const bool present = m_fileSystem->signature(m_filePath).has_value();
            return {domain, !present, present};
        }
        domain.signature = signature;
        auto parsed = PropertyList::parse(*bytes);
        if (parsed && parsed->typeId() == QMetaType::QVariantMap) {
            domain.values = parsed->toMap();
            return {domain, true};
        }
        return {domain, true, !bytes->trimmed().isEmpty()};
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
        m_standard =
            std::make_shared<Domain>(m_fileSystem, m_cache, m_standardDomain, domainFilePath(m_standardDomain),
                                     m_lockFolder + u'/' + m_standardDomain + QStringLiteral(".lock"), m_eventLogFile);
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
