// The stored installation list's decoder over arbitrary files, as users and scripts edit
// it by hand.

#include "FuzzCheck.h"

#include "model/LogicApp.h"
#include "settings/PersistenceStore.h"

using vantrel::LogicApp;
using vantrel::PersistenceStore;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto apps = LogicApp::decodeList(vantrel::fuzz::bytes(data, size));
    if (!apps) {
        return 0;
    }
    // What was accepted is saved and read back whole, and a second save writes the same file.
    const QByteArray saved = PersistenceStore::encode(*apps);
    const auto reread = LogicApp::decodeList(saved);
    FUZZ_CHECK(reread.has_value());
    FUZZ_CHECK(*reread == *apps);
    FUZZ_CHECK(PersistenceStore::encode(*reread) == saved);
    return 0;
}
