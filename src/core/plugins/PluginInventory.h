#pragma once

#include "async/SerialQueue.h"
#include "plugins/AudioUnitReport.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <optional>

namespace vantrel {

class AudioUnitScanner;

// The Audio Unit report of this run, made once on a background thread: start() hands the
// scan to the worker and returns; `ready` is emitted on this object's thread when the
// report is there. Until then report() has no value.
class PluginInventory final : public QObject {
    Q_OBJECT
public:
    explicit PluginInventory(std::shared_ptr<const AudioUnitScanner> scanner, QObject* parent = nullptr);
    ~PluginInventory() override;

    // Starts the scan; later calls do nothing.
    void start();
    bool isStarted() const { return m_started; }
    const std::optional<AudioUnitReport>& report() const { return m_report; }
    // The report of `inventory` once it is there; none before, or without an inventory.
    static const AudioUnitReport* readyReport(const std::shared_ptr<PluginInventory>& inventory)
    {
        return inventory && inventory->m_report ? &*inventory->m_report : nullptr;
    }
    // Blocks until a started scan has finished on the worker (its report still arrives
    // through the event loop). For tools and tests.
    void waitForScan();

Q_SIGNALS:
    void ready();

private:
    std::shared_ptr<const AudioUnitScanner> m_scanner;
    std::optional<AudioUnitReport> m_report;
    bool m_started = false;
    // Set when the inventory goes: a scan still running stops at its next component.
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
    // Last: destroyed first, so the worker has finished before anything it reads goes.
    SerialQueue m_worker;
};

} // namespace vantrel
