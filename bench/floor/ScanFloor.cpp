// The floor of a scan: only the work no launcher can avoid, in plain POSIX and libplist.
// For every entry of the folder: read Contents/Info.plist whole, parse it, take
// CFBundleExecutable, and read the first 4096 bytes of Contents/MacOS/<executable>.
// Nothing is checked, sorted, converted or kept beyond a count.
//
// usage: scan_floor FOLDER [RUNS]   prints the median time of one scan in milliseconds,
// the number of executables read and the median processor time of one scan in
// milliseconds, as "<ms> <count> <cpu ms>".
#include <plist/plist.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool readWhole(const std::string& path, std::vector<char>& data)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    data.resize(ok ? std::size_t(info.st_size) : 0);
    ok = ok && ::read(fd, data.data(), data.size()) == ssize_t(data.size());
    ::close(fd);
    return ok;
}

int scan(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        return 0;
    }
    int count = 0;
    std::vector<char> info;
    char header[4096];
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        const std::string bundle = folder + '/' + entry->d_name;
        if (!readWhole(bundle + "/Contents/Info.plist", info)) {
            continue;
        }
        plist_t root = nullptr;
        plist_from_memory(info.data(), uint32_t(info.size()), &root);
        plist_t name = root ? plist_dict_get_item(root, "CFBundleExecutable") : nullptr;
        char* executable = nullptr;
        if (name && plist_get_node_type(name) == PLIST_STRING) {
            plist_get_string_val(name, &executable);
        }
        if (executable) {
            const int fd = ::open((bundle + "/Contents/MacOS/" + executable).c_str(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0 && ::read(fd, header, sizeof header) > 0) {
                ++count;
            }
            if (fd >= 0) {
                ::close(fd);
            }
            std::free(executable);
        }
        plist_free(root);
    }
    ::closedir(dir);
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: scan_floor FOLDER [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    std::vector<double> times;
    std::vector<double> processorTimes;
    const auto processorNow = [] {
        timespec now{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    };
    int count = scan(argv[1]); // warm the caches
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double processorStart = processorNow();
        count = scan(argv[1]);
        processorTimes.push_back(processorNow() - processorStart);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    std::sort(processorTimes.begin(), processorTimes.end());
    std::printf("%.3f %d %.3f\n", times[times.size() / 2], count, processorTimes[processorTimes.size() / 2]);
    return 0;
}
