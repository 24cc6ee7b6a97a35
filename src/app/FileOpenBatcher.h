#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>

namespace vantrel {

// Documents the system hands over. Qt delivers one QFileOpenEvent per file, and those of
// one request one after the other within the same turn of the event loop (the Cocoa
// plugin's application:openFiles: sends them in one loop). Installed on the application,
// this takes them and hands the files of one turn on together, as one batch, on the next
// turn.
class FileOpenBatcher final : public QObject {
public:
    explicit FileOpenBatcher(std::function<void(const QList<QUrl>&)> onBatch, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void deliver();

    std::function<void(const QList<QUrl>&)> m_onBatch;
    QList<QUrl> m_pending;
};

} // namespace vantrel
