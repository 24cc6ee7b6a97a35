#include "simhost/SimulatedKeyboard.h"

#include "simhost/EventLog.h"

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

bool SimulatedKeyboard::post(int keyCode, bool keyDown, quint64 flags)
{
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
