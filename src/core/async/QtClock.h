#pragma once

#include "async/Clock.h"

namespace vantrel {

// The application's clock: the steady clock for reading, Qt timers on the calling thread's
// event loop for sleeping.
class QtClock final : public Clock {
public:
    TimePoint now() const override;
    Task<> sleep(Duration duration) override;
    Task<bool> sleep(Duration duration, std::shared_ptr<Cancellation> cancellation) override;
};

} // namespace vantrel
