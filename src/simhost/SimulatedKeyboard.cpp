#include "simhost/SimulatedKeyboard.h"

#include "simhost/EventLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>

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
    QDir().mkpath(QFileInfo(m_state.lockFile(QStringLiteral("keyboard"))).path());
    QLockFile lock(m_state.lockFile(QStringLiteral("keyboard")));
    lock.tryLock(2000);
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
    QSaveFile file(m_state.keyboardFile());
    const bool written = file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(object).toJson()) >= 0 && file.commit();
    EventLog(m_state).record(keyDown ? QStringLiteral("key-down") : QStringLiteral("key-up"),
                             {QStringLiteral("code=") + QString::number(keyCode), QStringLiteral("flags=") + QString::number(flags)});
    return written;
}

} // namespace vantrel::sim
