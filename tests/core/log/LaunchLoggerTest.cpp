#include "log/LaunchLogger.h"
#include "support/HostObjects.h"
#include "support/TempSimulatedMac.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using vantrel::LaunchLogger;
namespace test = vantrel::test;
using vantrel::testing::TempSimulatedMac;

namespace {

const QString logPath = QStringLiteral("~/Library/Logs/Vantrel/launch.log");

QStringList messagesOf(const QByteArray& content)
{
    QStringList messages;
    for (const QString& line : QString::fromUtf8(content).split(u'\n', Qt::SkipEmptyParts)) {
        messages << line.mid(22);
    }
    return messages;
}

} // namespace

TEST(LaunchLogger, FirstRecordCreatesTheFileWithExactlyOneLine)
{
    TempSimulatedMac mac;
    LaunchLogger& logger = test::logger();
    EXPECT_TRUE(mac.fs().isDirectory(QStringLiteral("~/Library/Logs/Vantrel"))) << "the folder is made with the logger";
    EXPECT_EQ(logger.filePath(), QStringLiteral("/Users/tester/Library/Logs/Vantrel/launch.log"));
    logger.log(QStringLiteral("launch request mode=native action=launch path=/Applications/Logic Pro.app doc=nil"));
    logger.flush();
    auto content = mac.readFile(logPath);
    ASSERT_TRUE(content);
    static const QRegularExpression shape(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}Z  launch request mode=native action=launch "
                       "path=/Applications/Logic Pro.app doc=nil\\n$"));
    EXPECT_TRUE(shape.match(QString::fromUtf8(*content)).hasMatch()) << content->toStdString();
}

TEST(LaunchLogger, AppendsAfterTheLastByteOneRecordALineThatNoValueCanForge)
{
    TempSimulatedMac mac;
    mac.writeFile(logPath, "earlier record without a line feed");
    LaunchLogger& logger = test::logger();
    const QString longMessage(100000, u'x');
    logger.log(QString());
    logger.log(QStringLiteral("Logic already running in native — opening document only → «Проект» 🎹"));
    // A project named to forge a back-dated record, and other control characters.
    logger.log(
        QStringLiteral("launch request doc=/Song\n2020-01-01T00:00:00Z  launch OK\tas\x1b[31mnative\u2028\\n\u202e"));
    logger.log(longMessage);
    logger.flush();
    const QByteArray content = mac.readFile(logPath).value_or(QByteArray());
    ASSERT_TRUE(content.startsWith("earlier record without a line feed2")) << "appended right after the last byte";
    const QString text = QString::fromUtf8(content);
    static const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}Z  "));
    QStringList records = text.mid(34).split(u'\n');
    ASSERT_EQ(records.size(), 5) << "one line a record, each ended";
    EXPECT_TRUE(records.takeLast().isEmpty());
    for (QString& record : records) {
        EXPECT_TRUE(stamp.match(record).hasMatch()) << record.left(80).toStdString();
        record.remove(stamp);
    }
    EXPECT_EQ(records[0], QString());
    EXPECT_EQ(records[1], QStringLiteral("Logic already running in native — opening document only → «Проект» 🎹"));
    EXPECT_EQ(records[2],
              QStringLiteral("launch request doc=/Song\\n2020-01-01T00:00:00Z  launch OK\\tas\\u{1b}[31mnative"
                             "\\u{2028}\\\\n\\u{202e}"))
        << "a name spelling \\n stays apart from a real line break";
    EXPECT_EQ(records[3], longMessage);
    EXPECT_TRUE(content.contains("\xe2\x80\x94")) << "the em dash is stored as UTF-8";
}

TEST(LaunchLogger, KeepsCallOrderAcrossThreadsAndLosesNothingAtFlush)
{
    TempSimulatedMac mac;
    LaunchLogger& logger = test::logger();
    constexpr int threads = 4;
    constexpr int perThread = 500;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([&logger, t] {
            for (int i = 0; i < perThread; ++i) {
                logger.log(QStringLiteral("t%1 #%2").arg(t).arg(i));
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    logger.log(QStringLiteral("last"));
    logger.flush();
    const QStringList messages = messagesOf(mac.readFile(logPath).value_or(QByteArray()));
    ASSERT_EQ(messages.size(), threads * perThread + 1);
    EXPECT_EQ(messages.last(), QStringLiteral("last"));
    // Each thread's records appear in the order it logged them.
    std::vector<int> next(threads, 0);
    for (const QString& message : messages.mid(0, threads * perThread)) {
        const int t = message.mid(1, 1).toInt();
        EXPECT_EQ(message, QStringLiteral("t%1 #%2").arg(t).arg(next[std::size_t(t)]));
        ++next[std::size_t(t)];
    }
}

TEST(LaunchLogger, RecordsLoggedJustBeforeTheHostEndsReachTheDisk)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path() + QStringLiteral("/mac");
    {
        vantrel::sim::SimulatedMac mac(root, QStringLiteral("tester"));
        ASSERT_TRUE(mac.initialize());
        vantrel::CurrentHostGuard guard(mac.makeHost(std::make_shared<vantrel::ManualClock>()));
        for (int i = 0; i < 200; ++i) {
            test::logger().log(QStringLiteral("record %1").arg(i));
        }
        // No flush: ending the host (as the process end does) writes what is queued.
    }
    QFile file(root + QStringLiteral("/Users/tester/Library/Logs/Vantrel/launch.log"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(messagesOf(file.readAll()).size(), 200);
}

TEST(LaunchLogger, FailuresAreSilentAndLaterRecordsStillWork)
{
    TempSimulatedMac mac;
    LaunchLogger& logger = test::logger();
    // The folder removed while running: records are lost, nothing is recreated.
    ASSERT_TRUE(QDir(mac.native(QStringLiteral("~/Library/Logs/Vantrel"))).removeRecursively());
    logger.log(QStringLiteral("lost"));
    logger.flush();
    EXPECT_FALSE(mac.fs().exists(QStringLiteral("~/Library/Logs/Vantrel")));

    // A folder in the file's place cannot be opened for appending (root ignores file
    // permissions, so an unwritable file is made this way).
    ASSERT_TRUE(mac.fs().createDirectories(logPath));
    logger.log(QStringLiteral("also lost"));
    logger.flush();
    EXPECT_TRUE(mac.fs().isDirectory(logPath));

    ASSERT_TRUE(mac.fs().remove(logPath));
    logger.log(QStringLiteral("kept"));
    logger.flush();
    EXPECT_EQ(messagesOf(mac.readFile(logPath).value_or(QByteArray())), QStringList{QStringLiteral("kept")});
}
