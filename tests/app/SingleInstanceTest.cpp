// The single-instance channel between a running launcher and later starts: who runs, what
// crosses, and what a hostile or broken peer gets.
#include "app/SingleInstance.h"

#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

struct SingleInstanceTest : ::testing::Test {
    QTemporaryDir folder;
    const QString key = QStringLiteral("/Users/someone/simulated-mac");
    std::unique_ptr<SingleInstance> launcher;
    QList<QStringList> received;
    bool accepting = true;

    void SetUp() override { ::chmod(QFile::encodeName(folder.path()).constData(), 0700); }

    void startLauncher()
    {
        launcher = std::make_unique<SingleInstance>(folder.path(), key);
        ASSERT_EQ(launcher->start({},
                                  [this](const QStringList& paths) {
                                      received << paths;
                                      return accepting;
                                  }),
                  SingleInstance::Outcome::running);
    }

    // A later start, in a thread of its own (the launcher answers on this one's loop).
    SingleInstance::Outcome laterStart(const QStringList& paths, std::chrono::milliseconds wait = 0ms,
                                       const std::function<void()>& meanwhile = {})
    {
        auto later = std::async(std::launch::async, [&] {
            SingleInstance start(folder.path(), key);
            return start.start(paths, {}, wait);
        });
        if (meanwhile) {
            QTest::qWait(300);
            meanwhile();
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return later.wait_for(0s) == std::future_status::ready; }, 20000));
        return later.get();
    }

    // A peer that sends `bytes` as they are; what it hears back before the launcher drops
    // it, or nothing.
    QByteArray rawPeer(const QByteArray& bytes, bool closeAfterSending = false)
    {
        QLocalSocket socket;
        socket.connectToServer(launcher->socketPath());
        EXPECT_TRUE(QTest::qWaitFor([&] { return socket.state() == QLocalSocket::ConnectedState; }, 2000));
        socket.write(bytes);
        socket.flush();
        if (closeAfterSending) {
            socket.disconnectFromServer();
            QTest::qWait(200);
            return {};
        }
        (void)QTest::qWaitFor(
            [&] { return socket.bytesAvailable() > 0 || socket.state() != QLocalSocket::ConnectedState; }, 5000);
        return socket.readAll();
    }
};

} // namespace

TEST_F(SingleInstanceTest, ALiveLauncherIsNeverDisplacedAndADeadOnesSocketIsTakenOver)
{
    startLauncher();
    EXPECT_EQ(laterStart({QStringLiteral("/Users/someone/A.logicx")}), SingleInstance::Outcome::handedOver);
    EXPECT_EQ(laterStart({QStringLiteral("/Users/someone/B.logicx")}), SingleInstance::Outcome::handedOver)
        << "the first launcher still listens";
    EXPECT_EQ(received, (QList<QStringList>{{QStringLiteral("/Users/someone/A.logicx")},
                                            {QStringLiteral("/Users/someone/B.logicx")}}));

    // A launcher killed outright leaves its socket behind; the next start takes it over.
    const QString socketPath = launcher->socketPath();
    launcher.reset();
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    received.clear();
    startLauncher();
    EXPECT_EQ(laterStart({QStringLiteral("/Users/someone/C.logicx")}), SingleInstance::Outcome::handedOver);
    EXPECT_EQ(received.size(), 1);
}

TEST_F(SingleInstanceTest, MessagesAreFramedBoundedAndAnswered)
{
    startLauncher();
    // A name with a line feed stays one path; no paths at all only brings the panel forward.
    EXPECT_EQ(rawPeer(SingleInstance::encode({QStringLiteral("/Users/someone/Two\nLines.logicx")})), "y");
    EXPECT_EQ(rawPeer(SingleInstance::encode({})), "y");
    EXPECT_EQ(received, (QList<QStringList>{{QStringLiteral("/Users/someone/Two\nLines.logicx")}, {}}));

    // Too many paths, a length past the cap (600 MiB announced), a partial message, a
    // silent peer: nothing reaches the launcher.
    QStringList many;
    for (int i = 0; i <= SingleInstance::maxPaths; ++i) {
        many << QStringLiteral("/p%1.logicx").arg(i);
    }
    EXPECT_EQ(rawPeer(SingleInstance::encode(many)), "x") << "never to be taken: not 'n', which is asked again";
    QByteArray huge(4, '\0');
    qToBigEndian(quint32(600u * 1024 * 1024), huge.data());
    EXPECT_EQ(rawPeer(huge + QByteArray(1024, 'x')), "x");
    // A later start with exactly the limit hands over; one past it (or past the size) is
    // refused at once, never sent again and again until the wait runs out.
    EXPECT_EQ(laterStart(many.mid(0, SingleInstance::maxPaths)), SingleInstance::Outcome::handedOver);
    EXPECT_EQ(received.takeLast().size(), SingleInstance::maxPaths);
    EXPECT_EQ(laterStart(many, 10s), SingleInstance::Outcome::tooMuch);
    EXPECT_EQ(laterStart({QString(SingleInstance::maxMessageBytes, u'a')}, 10s), SingleInstance::Outcome::tooMuch);
    rawPeer(SingleInstance::encode({QStringLiteral("/Users/someone/Cut.logicx")}).chopped(3), true);
    QLocalSocket silent;
    silent.connectToServer(launcher->socketPath());
    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.state() == QLocalSocket::ConnectedState; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return silent.state() == QLocalSocket::UnconnectedState; }, 5000))
        << "dropped after " << inMilliseconds(SingleInstance::peerSilenceLimit) << " ms";
    EXPECT_EQ(received.size(), 2);

    // The framing itself: a message arrives whole or not at all.
    QByteArray buffer = SingleInstance::encode({QStringLiteral("/a"), QStringLiteral("/b")});
    QByteArray part = buffer.left(7);
    bool malformed = false;
    EXPECT_EQ(SingleInstance::takeMessage(part, malformed), std::nullopt);
    EXPECT_FALSE(malformed);
    EXPECT_EQ(SingleInstance::takeMessage(buffer, malformed),
              (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
    EXPECT_TRUE(buffer.isEmpty());
}

TEST_F(SingleInstanceTest, AnEndingLauncherTakesNothingAndTheNextStartWaitsForItsEnd)
{
    startLauncher();
    accepting = false; // ending: it answers no
    const auto outcome = laterStart({QStringLiteral("/Users/someone/A.logicx")}, 10s, [this] { launcher.reset(); });
    EXPECT_EQ(outcome, SingleInstance::Outcome::running) << "started on its own once the first had ended";
    EXPECT_FALSE(received.isEmpty()) << "asked, and refused (as often as it tried before the end)";
}

TEST_F(SingleInstanceTest, TheFolderIsUsedWhenItIsThisUsersOwnAndNobodyElseMayWriteInIt)
{
    using State = InstanceLock::FolderState;
    const QByteArray path = QFile::encodeName(folder.path());
    // Others entering is harmless (the socket and the lock are this user's alone); others
    // writing could swap them.
    for (const auto& [mode, expected] : {std::pair{0700, State::usable},
                                         {0750, State::usable},
                                         {0755, State::usable},
                                         {0770, State::writableByOthers},
                                         {0775, State::writableByOthers},
                                         {0757, State::writableByOthers},
                                         {01777, State::writableByOthers}}) {
        ::chmod(path.constData(), mode_t(mode));
        SingleInstance instance(folder.path(), key);
        EXPECT_EQ(instance.folderState(), expected) << std::oct << mode;
        EXPECT_EQ(instance.start({}, {}) == SingleInstance::Outcome::folderRefused, expected != State::usable)
            << std::oct << mode;
    }
    ::chmod(path.constData(), 0700);

    // A link to a good folder, a file, and (when this test may give one away) another user's.
    const QString link = folder.path() + QStringLiteral("-link");
    ASSERT_TRUE(QFile::link(folder.path(), link));
    EXPECT_EQ(SingleInstance(link, key).start({}, {}), SingleInstance::Outcome::folderRefused);
    EXPECT_EQ(InstanceLock::folderState(link), State::link);
    QFile::remove(link);
    const QString file = folder.filePath(QStringLiteral("file"));
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_EQ(SingleInstance(file, key).folderState(), State::notAFolder);
    if (::geteuid() == 0) {
        const QString theirs = folder.filePath(QStringLiteral("theirs"));
        ASSERT_EQ(::mkdir(QFile::encodeName(theirs).constData(), 0700), 0);
        ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
        EXPECT_EQ(SingleInstance(theirs, key).start({}, {}), SingleInstance::Outcome::folderRefused);
        EXPECT_EQ(InstanceLock::folderState(theirs), State::anotherUsers);
    }
}
