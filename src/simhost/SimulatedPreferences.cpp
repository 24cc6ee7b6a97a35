#include "simhost/SimulatedPreferences.h"

#include "plist/PropertyList.h"
#include "simhost/RootedFileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <functional>

namespace vantrel::sim {

class SimulatedPreferences::Domain final : public UserDefaults {
public:
    Domain(std::shared_ptr<RootedFileSystem> fileSystem, QString domain, QString filePath, QString lockPath)
        : m_fileSystem(std::move(fileSystem))
        , m_domain(std::move(domain))
        , m_filePath(std::move(filePath))
        , m_lockPath(std::move(lockPath))
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
    }

    void removeValue(const QString& key) override
    {
        modify([&](QVariantMap& values) { values.remove(key); });
    }

    bool synchronize() override { return true; } // every write is already on disk

    void modify(const std::function<void(QVariantMap&)>& change)
    {
        QDir().mkpath(QFileInfo(m_lockPath).path());
        QLockFile lock(m_lockPath);
        lock.setStaleLockTime(std::chrono::seconds(10));
        // A writer that cannot get the lock in time writes anyway: losing a key to a race
        // is better than losing the write.
        lock.tryLock(std::chrono::seconds(2));
        QVariantMap values = read();
        change(values);
        if (auto bytes = PropertyList::serialize(values, PropertyList::Format::Xml)) {
            m_fileSystem->createDirectories(m_fileSystem->preferencesDirectory());
            m_fileSystem->writeAtomically(m_filePath, *bytes);
        }
    }

private:
    QVariantMap read() const
    {
        auto bytes = m_fileSystem->readAll(m_filePath);
        if (!bytes) {
            return {};
        }
        auto parsed = PropertyList::parse(*bytes);
        if (!parsed || parsed->typeId() != QMetaType::QVariantMap) {
            return {};
        }
        return parsed->toMap();
    }

    std::shared_ptr<RootedFileSystem> m_fileSystem;
    QString m_domain;
    QString m_filePath;
    QString m_lockPath;
};

SimulatedPreferences::SimulatedPreferences(std::shared_ptr<RootedFileSystem> fileSystem, QString standardDomain,
                                           QString lockFolder)
    : m_fileSystem(std::move(fileSystem))
    , m_standardDomain(std::move(standardDomain))
    , m_lockFolder(std::move(lockFolder))
{
}

bool SimulatedPreferences::isValidDomainName(const QString& name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(u'\0')) && name != u"."
        && name != u".." && !name.contains(QStringLiteral(".."));
}

QString SimulatedPreferences::domainFilePath(const QString& domain) const
{
    return m_fileSystem->preferencesDirectory() + u'/' + domain + QStringLiteral(".plist");
}

std::shared_ptr<UserDefaults> SimulatedPreferences::standard()
{
    return std::make_shared<Domain>(m_fileSystem, m_standardDomain, domainFilePath(m_standardDomain),
                                    m_lockFolder + u'/' + m_standardDomain + QStringLiteral(".lock"));
}

std::shared_ptr<UserDefaults> SimulatedPreferences::suite(const QString& name)
{
    if (!isValidDomainName(name)) {
        return nullptr;
    }
    return std::make_shared<Domain>(m_fileSystem, name, domainFilePath(name),
                                    m_lockFolder + u'/' + name + QStringLiteral(".lock"));
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
    return isValidDomainName(applicationID);
}

} // namespace vantrel::sim
