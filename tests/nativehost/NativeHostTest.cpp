// The pieces both hosts share: the machine's own files under host paths, and running a
// command-line tool with a time limit.
#include "nativehost/NativeFileSystem.h"
#include "nativehost/ProcessCommandRunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string_view>

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
    EXPECT_EQ(fs.nativePath(QStringLiteral("/Applications/Logic Pro.app/")),
              QStringLiteral("/Applications/Logic Pro.app"));
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
              (QStringList{home + QStringLiteral("/Library/Logs/Vantrel"),
                           home + QStringLiteral("/Library/Logs/launch.log")}));
    EXPECT_EQ(fs.listDirectory(QStringLiteral("~/Nowhere")), std::nullopt);

    EXPECT_FALSE(fs.remove(QStringLiteral("/"))) << "never the whole disk";
    EXPECT_TRUE(fs.remove(QStringLiteral("~/Library")));
    EXPECT_FALSE(fs.exists(log));
}

TEST(NativeFileSystem, WhatIsNoRegularFileOrTooLargeReadsAsNothingAndNeverBlocks)
{
    QTemporaryDir dir;
    NativeFileSystem fs(dir.path());
    const QByteArray root = QFile::encodeName(dir.path());
    // A named pipe nobody writes to (opening it for reading would wait for a writer), a
    // link to a device that never ends, a sparse 100 GB file, one byte over a limit.
    ASSERT_EQ(::mkfifo(QByteArray(root + "/pipe").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.path() + QStringLiteral("/zero")));
    {
        QFile sparse(dir.path() + QStringLiteral("/sparse"));
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(100LL * 1024 * 1024 * 1024));
    }
    ASSERT_TRUE(fs.write(QStringLiteral("~/small"), "12345"));
    for (const char* name : {"pipe", "zero", "sparse"}) {
        const QString path = QStringLiteral("~/") + QLatin1String(name);
        EXPECT_TRUE(fs.exists(path)) << name;
        EXPECT_EQ(fs.readAll(path), std::nullopt) << name;
        if (std::string_view(name) != "sparse") {
            EXPECT_EQ(fs.readPrefix(path, 4096), std::nullopt) << name;
        }
    }
    EXPECT_EQ(fs.readPrefix(QStringLiteral("~/sparse"), 4096), QByteArray(4096, '\0')) << "a prefix stays a prefix";
    EXPECT_EQ(fs.readAll(QStringLiteral("~/small"), 4), std::nullopt) << "over the caller's limit";
    EXPECT_EQ(fs.readAll(QStringLiteral("~/small"), 5), QByteArray("12345"));
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
