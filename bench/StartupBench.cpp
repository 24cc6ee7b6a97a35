// How long the launcher takes to its first frame with five cards, and how much memory it
// needs, beside a bare Qt Quick window measured the same way in the same run. Each program
// runs offscreen, saves its first frame and ends; the figures are the medians of several
// alternating runs (wall time from start to end, peak resident memory).
//
// usage: startup_bench VANTREL VANTREL_SIM BARE_WINDOW [RUNS]
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double seconds;
    long peakKiB;
};

Run measure(const QStringList& command)
{
    std::vector<QByteArray> storage;
    for (const QString& part : command) {
        storage.push_back(part.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& part : storage) {
        argv.push_back(part.data());
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
    return {seconds, usage.ru_maxrss};
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_bench VANTREL VANTREL_SIM BARE_WINDOW [RUNS]\n");
        return 2;
    }
    const QString vantrel = QString::fromLocal8Bit(argv[1]);
    const QString sim = QString::fromLocal8Bit(argv[2]);
    const QString bare = QString::fromLocal8Bit(argv[3]);
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 7;
    qputenv("QT_QPA_PLATFORM", "offscreen");

    // A simulated Mac with five cards: two universal copies and one for Apple silicon only.
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/mac");
    auto simulate = [&](const QStringList& arguments) {
        QProcess process;
        process.start(sim, QStringList{QStringLiteral("--root"), root} + arguments);
        process.waitForFinished();
        return process.exitCode() == 0;
    };
    bool ready = simulate({QStringLiteral("init")});
    for (const auto& [name, slices] : {std::pair{"Logic Pro", "arm64,x86_64"}, std::pair{"Logic Pro X", "arm64,x86_64"},
                                       std::pair{"Logic Pro Beta", "arm64"}}) {
        ready = ready && simulate({QStringLiteral("add-app"), QStringLiteral("/Applications/%1.app").arg(QLatin1String(name)),
                                   QStringLiteral("--id"), QStringLiteral("com.apple.logic10"), QStringLiteral("--slices"),
                                   QLatin1String(slices)});
    }
    if (!ready) {
        std::fprintf(stderr, "cannot build the simulated Mac\n");
        return 1;
    }
    // BMP: the pictures are written without compression, so encoding them costs both
    // programs next to nothing and the figures are about reaching the first frame.
    const QString picture = dir.path() + QStringLiteral("/frame.bmp");

    std::vector<double> launcherTimes, bareTimes;
    std::vector<long> launcherMemory, bareMemory;
    measure({bare, picture}); // warm the disk caches for both
    measure({vantrel, QStringLiteral("--root"), root, QStringLiteral("--screenshot"), picture});
    for (int i = 0; i < runs; ++i) {
        const Run b = measure({bare, picture});
        const Run l = measure({vantrel, QStringLiteral("--root"), root, QStringLiteral("--screenshot"), picture});
        bareTimes.push_back(b.seconds);
        bareMemory.push_back(b.peakKiB);
        launcherTimes.push_back(l.seconds);
        launcherMemory.push_back(l.peakKiB);
    }
    const double lt = median(launcherTimes), bt = median(bareTimes);
    const long lm = median(launcherMemory), bm = median(bareMemory);
    std::printf("start-up to the first frame (median of %d runs, offscreen, software renderer)\n", runs);
    std::printf("  launcher, 5 cards   %7.1f ms   %7.1f MiB peak\n", lt * 1000, lm / 1024.0);
    std::printf("  bare 560x204 window %7.1f ms   %7.1f MiB peak\n", bt * 1000, bm / 1024.0);
    std::printf("  ratio               %7.2fx       %7.2fx   (targets: <= 1.25x time, <= 1.2x memory)\n", lt / bt,
                double(lm) / double(bm));
    return 0;
}
