// How the Mac's completion handlers reach the coroutines that wait for them: from any
// thread, once, back on the waiting thread.
#include "machost/MainThreadCompletion.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

#include <thread>

using vantrel::Task;
using vantrel::mac::MainThreadCompletion;

namespace {

struct Resumed {
    std::optional<QString> value;
    QThread* thread = nullptr;
};

Task<Resumed> await(MainThreadCompletion<QString>& completion)
{
    auto result = completion.result();
    Resumed resumed;
    resumed.value = co_await result;
    resumed.thread = QThread::currentThread();
    co_return resumed;
}

} // namespace

TEST(MainThreadCompletion, AValueFromAnotherThreadResumesTheWaiterOnItsThreadOnce)
{
    MainThreadCompletion<QString> completion;
    auto deliver = completion.deliverer();
    auto waiting = await(completion);
    bool first = false;
    bool second = true;
    std::thread platform([&, deliver] {
        first = deliver(QStringLiteral("opened"));
        second = deliver(QStringLiteral("again"));
    });
    const Resumed resumed = QCoro::waitFor(waiting);
    platform.join();
    EXPECT_EQ(resumed.value, QStringLiteral("opened"));
    EXPECT_EQ(resumed.thread, QCoreApplication::instance()->thread());
    EXPECT_TRUE(first);
    EXPECT_FALSE(second) << "a second call is ignored";
}

TEST(MainThreadCompletion, ADelivererDroppedUnusedEndsTheWaitWithoutAValue)
{
    MainThreadCompletion<QString> completion;
    {
        auto deliver = completion.deliverer();
        auto copy = deliver;
    } // the platform released its handler without calling it
    EXPECT_EQ(QCoro::waitFor(await(completion)).value, std::nullopt);

    MainThreadCompletion<QString> early; // delivered before anyone waits
    early.deliverer()(QStringLiteral("done"));
    EXPECT_EQ(QCoro::waitFor(await(early)).value, QStringLiteral("done"));
}
