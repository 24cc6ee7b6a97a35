#pragma once

namespace vantrel::mac {

// Finding Launch Services' private per-application architecture setter at run time: the
// CoreServices framework opened with lazy binding (dlopen mode 1) and the symbol looked up
// in it. The handle is never closed; any failure gives nullptr and is not reported.
struct LaunchServicesLookup {
    static constexpr const char* library = "/System/Library/Frameworks/CoreServices.framework/CoreServices";
    static constexpr const char* symbol = "_LSSetArchitecturePreferenceForApplicationURL";
    static constexpr int openMode = 1; // RTLD_LAZY

    // The symbol's address in the library, or nullptr.
    static void* find(const char* libraryPath = library, const char* symbolName = symbol);
};

} // namespace vantrel::mac
