// The pieces both hosts share: the machine's own files under host paths, and running a
// command-line tool with a time limit.
#include "nativehost/NativeFileSystem.h"
#include "nativehost/ProcessCommandRunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

using namespace vantrel;
using vantrel::native::NativeFileSystem;
using vantrel::native::ProcessCommandRunner;

TEST(NativeFileSystem, HostPathsAreTheMachinesOwnWithTheHomeBehindTheTilde)
{
    QTemporaryDir dir;
    const QString home = dir.path() + QStringLiteral("/home/me");
    NativeFileSystem fs(home);
    EXPECT_EQ(fs.nativePath(QStringLiteral("~/Music/../Library/x.plist")), home + QStringLiteral("/Library/x.plist"));
    EXPECT_EQ(fs.nativePath(QStringLiteral("/Applications/Logic Pro.app/")), QStringLiteral("/Applications/Logic Pro.app"));
    EXPECT_EQ(fs.nativePath(QStringLiteral("relative/x")), std::nullopt);
    EXPECT_EQ(fs.nativePath(QStringLiteral("/tmp/a") + QChar(u'\0') + QStringLiteral("b")), std::nullopt);
    EXPECT_EQ(fs.logsDirectory(), home + QStringLiteral("/Library/Logs"));

    ASSERT_TRUE(fs.createDirectories(QStringLiteral("~/Library/Logs")));
    const QString log = QStringLiteral("~/Library/Logs/launch.log");
    EXPECT_FALSE(fs.append(log, "x")) << "appending needs an existing file";
    ASSERT_TRUE(fs.write(log, "one\n"));
    ASSERT_TRUE(fs.append(log, "two\n"));
    EXPECT_EQ(fs.readAll(log), QByteArray("one\ntwo\n"));
    EXPECT_EQ(fs.readPrefix(log, 3), QByteArray("one"));
    ASSERT_TRUE(fs.writeAtomically(log, "whole"));
    EXPECT_EQ(fs.readAll(log), QByteArray("whole"));
    EXPECT_FALSE(fs.readAll(QStringLiteral("~/Library/Logs")).has_value()) << "a folder is not a file";

    ASSERT_TRUE(fs.write(QStringLiteral("~/Library/Logs/.hidden"), "h"));
    ASSERT_TRUE(fs.createDirectories(QStringLiteral("~/Library/Logs/Vantrel")));
    EXPECT_EQ(fs.listDirectory(QStringLiteral("~/Library/Logs")),
              (QStringList{home + QStringLiteral("/Library/Logs/Vantrel"), home + QStringLiteral("/Library/Logs/launch.log")}));
    EXPECT_EQ(fs.listDirectory(QStringLiteral("~/Nowhere")), std::nullopt);

    EXPECT_FALSE(fs.remove(QStringLiteral("/"))) << "never the whole disk";
    EXPECT_TRUE(fs.remove(QStringLiteral("~/Library")));
    EXPECT_FALSE(fs.exists(log));
}

TEST(ProcessCommandRunner, ReportsTheExitStatusAStartFailureAndKillsAtTheTimeLimit)
{
    ProcessCommandRunner runner(std::chrono::milliseconds(300));
    auto exited = runner.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 3")});
    EXPECT_EQ(QCoro::waitFor(exited).exitStatus, 3);

    auto missing = runner.run(QStringLiteral("/nonexistent/tool"), {});
    const auto notStarted = QCoro::waitFor(missing);
    EXPECT_EQ(notStarted.exitStatus, std::nullopt);
    EXPECT_FALSE(notStarted.startError.isEmpty());

    auto stuck = runner.run(QStringLiteral("/bin/sleep"), {QStringLiteral("30")});
    EXPECT_EQ(QCoro::waitFor(stuck).exitStatus, CommandRunner::killedStatus) << "reported like a failed command";
}
