#include "simhost/adapters/SimulatedLaunchServices.h"

#include "simhost/machine/EventLog.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel::sim {

namespace {

QJsonObject readPreferences(const HostState& state)
{
    QFile file(state.launchServicesFile());
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

class Setter final : public ArchitecturePreferenceSetter {
public:
    explicit Setter(HostState state)
        : m_state(std::move(state))
    {
    }

    bool canMakeBundleURL(const QString& path) const override
    {
        return path.startsWith(u'/') && !path.contains(QChar(u'\0'));
    }

    void setPreference(const QString& path, const QString& architectureName) override
    {
        StateLock lock(m_state.lockFile(QStringLiteral("launch-services")));
        QJsonObject preferences = readPreferences(m_state);
        preferences.insert(path, architectureName);
        writeStateFile(m_state.launchServicesFile(), QJsonDocument(preferences).toJson());
        EventLog(m_state).record(QStringLiteral("ls-preference"),
                                 {QStringLiteral("arch=") + architectureName, QStringLiteral("path=") + path});
    }

private:
    HostState m_state;
};

} // namespace

SimulatedLaunchServices::SimulatedLaunchServices(HostState state)
    : m_state(std::move(state))
{
}

std::shared_ptr<ArchitecturePreferenceSetter> SimulatedLaunchServices::lookUpArchitecturePreferenceSetter()
{
    if (QFile::exists(m_state.launchServicesOffFile())) {
        return nullptr;
    }
    return std::make_shared<Setter>(m_state);
}

void SimulatedLaunchServices::setAvailable(const HostState& state, bool available)
{
    setSwitchFile(state.launchServicesOffFile(), !available);
}

QString SimulatedLaunchServices::preference(const HostState& state, const QString& bundlePath)
{
    return readPreferences(state).value(bundlePath).toString();
}

} // namespace vantrel::sim
