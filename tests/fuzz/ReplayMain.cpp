// Runs a fuzz target's entry point over files and folders of inputs, without a fuzzing
// engine: the corpus as a regression test in the ordinary build. A broken invariant
// aborts, and the last "replaying" line names the input.

#include "FuzzCheck.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

int replay(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
    }
    const std::vector<char> input{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    std::fprintf(stderr, "replaying %s\n", file.c_str());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <input file or folder>…\n", argv[0]);
        return 2;
    }
    int failures = 0;
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                failures += replay(file);
                ++count;
            }
        } else {
            failures += replay(path);
            ++count;
        }
    }
    std::printf("%d inputs replayed, %d unreadable\n", count, failures);
    // An empty corpus is a mistake in the build, not a pass.
    return failures == 0 && count > 0 ? 0 : 1;
}
