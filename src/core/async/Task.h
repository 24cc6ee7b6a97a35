#pragma once

#include <qcoro/qcorotask.h>

namespace vantrel {

// Every asynchronous operation of the launcher returns a Task. Tasks start eagerly and
// resume on whichever thread completes what they await; launcher logic awaits only things
// that complete on the main thread.
template <typename T = void>
using Task = QCoro::Task<T>;

} // namespace vantrel
