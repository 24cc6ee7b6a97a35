#include "simhost/adapters/SimulatedKeyboard.h"

#include "simhost/machine/EventLog.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel::sim {

SimulatedKeyboard::SimulatedKeyboard(HostState state)
    : m_state(std::move(state))
{
}

QMap<int, quint64> SimulatedKeyboard::heldKeys(const HostState& state)
{
    QMap<int, quint64> held;
    QFile file(state.keyboardFile());
    if (file.open(QIODevice::ReadOnly)) {
        const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
        for (auto it = object.begin(); it != object.end(); ++it) {
            held.insert(it.key().toInt(), quint64(it.value().toDouble()));
        }
    }
    return held;
}

bool SimulatedKeyboard::requestPostAccess()
{
    const bool granted = !QFile::exists(m_state.accessibilityOffFile());
    EventLog(m_state).record(QStringLiteral("post-access"),
                             {granted ? QStringLiteral("granted") : QStringLiteral("refused")});
    return granted;
}

void SimulatedKeyboard::setPostAccessGranted(const HostState& state, bool granted)
{
    setSwitchFile(state.accessibilityOffFile(), !granted);
}

bool SimulatedKeyboard::post(int keyCode, bool keyDown, quint64 flags)
{
    if (QFile::exists(m_state.accessibilityOffFile())) {
        // As the Mac's window server does without the permission: dropped, and the poster
        // is not told.
        EventLog(m_state).record(QStringLiteral("key-dropped"), {QStringLiteral("code=") + QString::number(keyCode)});
        return true;
    }
    StateLock lock(m_state.lockFile(QStringLiteral("keyboard")));
    QMap<int, quint64> held = heldKeys(m_state);
    if (keyDown) {
        held.insert(keyCode, flags);
    } else {
        held.remove(keyCode);
    }
    QJsonObject object;
    for (auto it = held.cbegin(); it != held.cend(); ++it) {
        object.insert(QString::number(it.key()), double(it.value()));
    }
    const bool written = writeStateFile(m_state.keyboardFile(), QJsonDocument(object).toJson());
    EventLog(m_state).record(
        keyDown ? QStringLiteral("key-down") : QStringLiteral("key-up"),
        {QStringLiteral("code=") + QString::number(keyCode), QStringLiteral("flags=") + QString::number(flags)});
    return written;
}

} // namespace vantrel::sim
