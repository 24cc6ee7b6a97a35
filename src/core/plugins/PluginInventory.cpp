#include "plugins/PluginInventory.h"

#include "plugins/AudioUnitScanner.h"

#include <QMetaObject>
#include <QPointer>

namespace vantrel {

PluginInventory::PluginInventory(std::shared_ptr<const AudioUnitScanner> scanner, QObject* parent)
    : QObject(parent)
    , m_scanner(std::move(scanner))
{
}

PluginInventory::~PluginInventory()
{
    m_cancelled->store(true); // quitting never waits for a whole scan
}

void PluginInventory::start()
{
    if (m_started) {
        return;
    }
    m_started = true;
    m_worker.post([scanner = m_scanner, cancelled = m_cancelled, self = QPointer<PluginInventory>(this)] {
        AudioUnitReport report = scanner->scan(cancelled.get());
        // Back on the object's thread; dropped with the object if it has gone by then.
        QMetaObject::invokeMethod(
            self.get(),
            [self, report = std::move(report)]() mutable {
                if (self) {
                    self->m_report = std::move(report);
                    Q_EMIT self->ready();
                }
            },
            Qt::QueuedConnection);
    });
}

void PluginInventory::waitForScan()
{
    m_worker.waitUntilIdle();
}

} // namespace vantrel
