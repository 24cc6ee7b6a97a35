// The Mach-O header reader over arbitrary executable headers.

#include "FuzzCheck.h"

#include "installations/ArchitectureDetector.h"

using vantrel::ArchitectureDetector;
using vantrel::BinaryArchitecture;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray header = vantrel::fuzz::bytes(data, size);
    const auto slices = ArchitectureDetector::architecturesFromMachOHeader(header);

    FUZZ_CHECK(!slices.contains(BinaryArchitecture::unknown));
    FUZZ_CHECK(slices.size() <= 2);
    // More bytes can only reveal more slice records, never hide one already read: the
    // detector reads a bounded prefix of the file, and that must not change an answer.
    if (!header.isEmpty()) {
        const auto shorter = ArchitectureDetector::architecturesFromMachOHeader(header.chopped(1));
        for (BinaryArchitecture slice : shorter) {
            FUZZ_CHECK(slices.contains(slice));
        }
    }
    return 0;
}
