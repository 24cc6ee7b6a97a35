// Runs a program to its end and prints its wall time in seconds and its peak resident
// memory in KiB, as "<seconds> <KiB>"; its output is discarded.
//
// A process started by another inherits the starter's peak memory (the kernel keeps the
// largest of the memory maps a process has had, the starter's among them until exec), so
// a large benchmark program starts what it measures through this small one.
//
// usage: run_measured PROGRAM [ARGUMENT…]
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: run_measured PROGRAM [ARGUMENT…]\n");
        return 2;
    }
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[1], &quiet, nullptr, argv + 1, environ) != 0) {
        std::fprintf(stderr, "run_measured: cannot start %s\n", argv[1]);
        return 1;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "run_measured: %s failed\n", argv[1]);
        return 1;
    }
    std::printf("%.6f %ld\n", seconds, usage.ru_maxrss);
    return 0;
}
