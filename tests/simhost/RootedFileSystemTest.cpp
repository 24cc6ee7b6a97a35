#include "support/TempSimulatedMac.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using vantrel::testing::TempSimulatedMac;

TEST(RootedFileSystem, MapsHostPathsIntoTheRoot)
{
    TempSimulatedMac mac(QStringLiteral("alice"));
    auto& fs = mac.fs();
    EXPECT_EQ(fs.homeDirectory(), QStringLiteral("/Users/alice"));
    EXPECT_EQ(fs.nativePath(QStringLiteral("/Applications/Logic Pro.app")),
              mac.root() + QStringLiteral("/Applications/Logic Pro.app"));
    EXPECT_EQ(fs.nativePath(QStringLiteral("~/Library/Logs")),
              mac.root() + QStringLiteral("/Users/alice/Library/Logs"));
    EXPECT_EQ(fs.nativePath(QStringLiteral("/")), mac.root());
    EXPECT_EQ(fs.hostPath(mac.root() + QStringLiteral("/Users/alice/Library")), QStringLiteral("/Users/alice/Library"));
    EXPECT_EQ(fs.hostPath(QStringLiteral("/etc/passwd")), std::nullopt);
    EXPECT_EQ(fs.hostPath(mac.root() + QStringLiteral("-sibling/x")), std::nullopt);

    // The standard folders exist on a fresh Mac.
    for (const QString& folder :
         {fs.applicationsDirectory(), fs.userApplicationsDirectory(), fs.applicationSupportDirectory(),
          fs.logsDirectory(), fs.preferencesDirectory(), QStringLiteral("/Library/Audio/Plug-Ins")}) {
        EXPECT_TRUE(fs.isDirectory(folder)) << folder.toStdString();
    }
}

TEST(RootedFileSystem, NothingReachesOutsideTheRoot)
{
    TempSimulatedMac mac;
    auto& fs = mac.fs();
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    QFile secret(outside.path() + QStringLiteral("/secret"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("outside");
    secret.close();

    // ".." cannot climb above the root: these stay inside it.
    EXPECT_EQ(fs.nativePath(QStringLiteral("/../../etc/passwd")), mac.root() + QStringLiteral("/etc/passwd"));
    EXPECT_EQ(fs.nativePath(QStringLiteral("~/../../../x")), mac.root() + QStringLiteral("/x"));
    EXPECT_FALSE(fs.exists(QStringLiteral("/../../etc/passwd")));
    EXPECT_TRUE(fs.write(QStringLiteral("/../../escape.txt"), "x"));
    EXPECT_TRUE(QFile::exists(mac.root() + QStringLiteral("/escape.txt")));

    // Relative paths and embedded NUL are refused outright.
    EXPECT_EQ(fs.nativePath(QStringLiteral("Applications/x")), std::nullopt);
    QString withNul = QStringLiteral("/Applications/a");
    withNul.append(QChar(u'\0'));
    withNul.append(QStringLiteral("/../../etc"));
    EXPECT_EQ(fs.nativePath(withNul), std::nullopt);
    EXPECT_FALSE(fs.write(withNul, "x"));

    // Links that lead out of the root behave as absent, for reading, writing and listing.
    ASSERT_TRUE(
        QFile::link(outside.path() + QStringLiteral("/secret"), mac.native(QStringLiteral("/Applications/leak"))));
    ASSERT_TRUE(QFile::link(outside.path(), mac.native(QStringLiteral("/Applications/outdir"))));
    EXPECT_FALSE(fs.exists(QStringLiteral("/Applications/leak")));
    EXPECT_EQ(fs.readAll(QStringLiteral("/Applications/leak")), std::nullopt);
    EXPECT_EQ(fs.readPrefix(QStringLiteral("/Applications/leak"), 4), std::nullopt);
    EXPECT_FALSE(fs.write(QStringLiteral("/Applications/leak"), "overwrite"));
    EXPECT_FALSE(fs.append(QStringLiteral("/Applications/leak"), "more"));
    EXPECT_FALSE(fs.writeAtomically(QStringLiteral("/Applications/outdir/new"), "x"));
    EXPECT_FALSE(fs.createDirectories(QStringLiteral("/Applications/outdir/a/b")));
    EXPECT_EQ(fs.listDirectory(QStringLiteral("/Applications/outdir")), std::nullopt);
    EXPECT_FALSE(fs.remove(QStringLiteral("/Applications/outdir/secret")));
    EXPECT_TRUE(QFile::exists(outside.path() + QStringLiteral("/secret")));
    EXPECT_FALSE(QFile::exists(outside.path() + QStringLiteral("/new")));
    ASSERT_TRUE(secret.open(QIODevice::ReadOnly));
    EXPECT_EQ(secret.readAll(), QByteArray("outside"));

    // Links inside the root are followed like on any disk; an absolute target is a host path.
    fs.write(QStringLiteral("/Applications/real.txt"), "inside");
    ASSERT_TRUE(QFile::link(QStringLiteral("real.txt"), mac.native(QStringLiteral("/Applications/alias"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/Applications/real.txt"), mac.native(QStringLiteral("/Users/alias"))));
    EXPECT_EQ(fs.readAll(QStringLiteral("/Applications/alias")), QByteArray("inside"));
    EXPECT_EQ(fs.readAll(QStringLiteral("/Users/alias")), QByteArray("inside"));
    EXPECT_EQ(fs.nativePath(QStringLiteral("/Users/alias")), mac.native(QStringLiteral("/Applications/real.txt")))
        << "programs outside get the real place";

    // A link loop neither hangs nor counts as a file.
    ASSERT_TRUE(QFile::link(mac.native(QStringLiteral("/Applications/loopB")),
                            mac.native(QStringLiteral("/Applications/loopA"))));
    ASSERT_TRUE(QFile::link(mac.native(QStringLiteral("/Applications/loopA")),
                            mac.native(QStringLiteral("/Applications/loopB"))));
    EXPECT_FALSE(fs.exists(QStringLiteral("/Applications/loopA")));
    EXPECT_EQ(fs.readAll(QStringLiteral("/Applications/loopA/Contents/Info.plist")), std::nullopt);
}

TEST(RootedFileSystem, ALinkSwappedBetweenAccessesNeverLeadsOut)
{
    TempSimulatedMac mac;
    auto& fs = mac.fs();
    QTemporaryDir outside;
    QFile secret(outside.path() + QStringLiteral("/secret"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("outside");
    secret.close();
    ASSERT_TRUE(fs.write(QStringLiteral("/Applications/real.txt"), "inside"));
    // Climbing far enough from /Applications leaves the root on an ordinary disk.
    const QString escape = QStringLiteral("../").repeated(32) + outside.path().mid(1) + QStringLiteral("/secret");
    const QString link = mac.native(QStringLiteral("/Applications/swap"));
    auto pointLinkAt = [&](const QString& target) {
        const QString fresh = link + QStringLiteral(".new");
        return QFile::link(target, fresh) && ::rename(QFile::encodeName(fresh), QFile::encodeName(link)) == 0;
    };

    // Each access resolves the link as it is then.
    ASSERT_TRUE(pointLinkAt(QStringLiteral("real.txt")));
    EXPECT_EQ(fs.readAll(QStringLiteral("/Applications/swap")), QByteArray("inside"));
    ASSERT_TRUE(pointLinkAt(escape));
    EXPECT_EQ(fs.readAll(QStringLiteral("/Applications/swap")), std::nullopt);
    EXPECT_FALSE(fs.write(QStringLiteral("/Applications/swap"), "written"));

    // Swapped back and forth by another thread while being read and written: no access
    // ever lands on the file outside, whatever the timing.
    std::atomic<bool> done = false;
    std::thread swapper([&] {
        for (bool inside = true; !done; inside = !inside) {
            pointLinkAt(inside ? QStringLiteral("real.txt") : escape);
        }
    });
    int readInside = 0;
    int readOutside = 0;
    for (int i = 0; i < 1500; ++i) {
        const auto read = fs.readAll(QStringLiteral("/Applications/swap"));
        readInside += read == QByteArray("inside");
        readOutside += read == QByteArray("outside");
        fs.write(QStringLiteral("/Applications/swap"), "inside");
    }
    done = true;
    swapper.join();
    EXPECT_EQ(readOutside, 0);
    ASSERT_TRUE(secret.open(QIODevice::ReadOnly));
    EXPECT_EQ(secret.readAll(), QByteArray("outside"));
    EXPECT_GT(readInside, 0);
}

TEST(RootedFileSystem, ListingIsShallowSortedAndSkipsHiddenEntries)
{
    TempSimulatedMac mac;
    auto& fs = mac.fs();
    mac.writeFile(QStringLiteral("/Applications/Logic Pro.app/Contents/Info.plist"), "x");
    mac.writeFile(QStringLiteral("/Applications/.hidden.app/Contents/Info.plist"), "x");
    mac.writeFile(QStringLiteral("/Applications/Audio/Logic Pro Nested.app/Contents/Info.plist"), "x");
    mac.writeFile(QStringLiteral("/Applications/Zeta.txt"), "x");
    mac.writeFile(QStringLiteral("/Applications/Логик 🎹.app/Contents/Info.plist"), "x");
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent"), mac.native(QStringLiteral("/Applications/Broken.app"))));

    auto listing = fs.listDirectory(QStringLiteral("/Applications/"));
    ASSERT_TRUE(listing);
    EXPECT_EQ(*listing,
              (QStringList{QStringLiteral("/Applications/Audio"), QStringLiteral("/Applications/Broken.app"),
                           QStringLiteral("/Applications/Logic Pro.app"), QStringLiteral("/Applications/Zeta.txt"),
                           QStringLiteral("/Applications/Логик 🎹.app")}));
    EXPECT_EQ(fs.listDirectory(QStringLiteral("/Applications/Zeta.txt")), std::nullopt);
    EXPECT_EQ(fs.listDirectory(QStringLiteral("/Nowhere")), std::nullopt);
    auto root = fs.listDirectory(QStringLiteral("/"));
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->contains(QStringLiteral("/Applications")));
    EXPECT_FALSE(root->contains(QStringLiteral("/.simhost")));
}

TEST(RootedFileSystem, ReadsWritesAndAppends)
{
    TempSimulatedMac mac;
    auto& fs = mac.fs();
    const QString log = QStringLiteral("~/Library/Logs/Vantrel/launch.log");
    EXPECT_FALSE(fs.append(log, "first")) << "append does not create a file";
    EXPECT_FALSE(fs.write(log, "x")) << "write does not create folders";
    ASSERT_TRUE(fs.createDirectories(QStringLiteral("~/Library/Logs/Vantrel")));
    ASSERT_TRUE(fs.write(log, "no newline"));
    ASSERT_TRUE(fs.append(log, "|appended\n"));
    EXPECT_EQ(fs.readAll(log), QByteArray("no newline|appended\n"));
    EXPECT_EQ(fs.readPrefix(log, 2), QByteArray("no"));
    EXPECT_EQ(fs.readPrefix(log, 0), QByteArray());
    EXPECT_EQ(fs.readAll(QStringLiteral("~/Library/Logs")), std::nullopt) << "a folder is not a file";

    // A named pipe is no file to read: refused at once, even with data waiting, and
    // nothing of it is taken.
    const QString pipe = mac.native(QStringLiteral("/pipe"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const int writer = ::open(QFile::encodeName(pipe).constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    QByteArray bytes(20000, 'b');
    bytes.replace(0, 4, "\xcf\xfa\xed\xfe");
    ASSERT_EQ(::write(writer, bytes.constData(), bytes.size()), bytes.size());
    EXPECT_EQ(fs.readPrefix(QStringLiteral("/pipe"), 4096), std::nullopt);
    EXPECT_EQ(fs.readAll(QStringLiteral("/pipe")), std::nullopt);
    qsizetype left = 0;
    char rest[4096];
    for (ssize_t n; (n = ::read(writer, rest, sizeof rest)) > 0;) {
        left += n;
    }
    EXPECT_EQ(left, 20000) << "nothing was consumed";
    ::close(writer);
    // A prefix of a regular file is exactly the prefix.
    ASSERT_TRUE(fs.write(QStringLiteral("/executable"), bytes));
    EXPECT_EQ(fs.readPrefix(QStringLiteral("/executable"), 4096), bytes.left(4096));

    EXPECT_TRUE(fs.remove(QStringLiteral("/pipe")));
    EXPECT_FALSE(fs.exists(QStringLiteral("/pipe")));
    EXPECT_FALSE(fs.remove(QStringLiteral("/"))) << "the root itself is never removed";
}

TEST(RootedFileSystem, AtomicWritesReplaceWholeFilesAndLeaveNoDebris)
{
    TempSimulatedMac mac;
    auto& fs = mac.fs();
    const QString path = QStringLiteral("~/Library/Application Support/Vantrel/logic-apps.json");
    ASSERT_TRUE(fs.createDirectories(QStringLiteral("~/Library/Application Support/Vantrel")));
    ASSERT_TRUE(fs.writeAtomically(path, QByteArray(10000, 'o')));
    ASSERT_TRUE(fs.writeAtomically(path, "new"));
    EXPECT_EQ(fs.readAll(path), QByteArray("new"));
    auto listing = QDir(mac.native(QStringLiteral("~/Library/Application Support/Vantrel")))
                       .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(listing, QStringList{QStringLiteral("logic-apps.json")});
    EXPECT_FALSE(fs.writeAtomically(QStringLiteral("~/No/Such/Folder/file"), "x"));

    // A link is written through and stays a link, its target keeping its permissions.
    ASSERT_TRUE(fs.write(QStringLiteral("/Users/shared.json"), "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(mac.native(QStringLiteral("/Users/shared.json"))).constData(), 0600), 0);
    const QString link = mac.native(QStringLiteral("~/Library/Application Support/Vantrel/linked.json"));
    ASSERT_TRUE(QFile::link(QStringLiteral("../../../../shared.json"), link));
    ASSERT_TRUE(fs.writeAtomically(QStringLiteral("~/Library/Application Support/Vantrel/linked.json"), "through"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fs.readAll(QStringLiteral("/Users/shared.json")), QByteArray("through"));
    EXPECT_EQ(QFileInfo(mac.native(QStringLiteral("/Users/shared.json"))).permissions() & 0x7777,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    // The host's own state is not on the disk; a pipe where a file should be fails at once.
    EXPECT_FALSE(fs.exists(QStringLiteral("/.simhost")));
    EXPECT_FALSE(fs.write(QStringLiteral("/.simhost/disk-writes"), ""));
    EXPECT_FALSE(fs.remove(QStringLiteral("/.simhost")));
    ASSERT_EQ(mkfifo(QFile::encodeName(mac.native(QStringLiteral("/Users/pipe"))).constData(), 0600), 0);
    EXPECT_FALSE(fs.append(QStringLiteral("/Users/pipe"), "no reader"));
    EXPECT_FALSE(fs.write(QStringLiteral("/Users/pipe"), "no reader"));
}
