#include "app/FileOpenBatcher.h"

#include <QFileOpenEvent>

namespace vantrel {

FileOpenBatcher::FileOpenBatcher(std::function<void(const QList<QUrl>&)> onBatch, QObject* parent)
    : QObject(parent)
    , m_onBatch(std::move(onBatch))
{
}

bool FileOpenBatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FileOpen) {
        return QObject::eventFilter(watched, event);
    }
    if (m_pending.isEmpty()) {
        QMetaObject::invokeMethod(this, &FileOpenBatcher::deliver, Qt::QueuedConnection);
    }
    m_pending.append(static_cast<QFileOpenEvent*>(event)->url());
    return true;
}

void FileOpenBatcher::deliver()
{
    const QList<QUrl> batch = std::exchange(m_pending, {});
    if (!batch.isEmpty()) {
        m_onBatch(batch);
    }
}

} // namespace vantrel
