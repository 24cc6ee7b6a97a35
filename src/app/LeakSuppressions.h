#pragma once

// In builds with AddressSanitizer: Qt's image, SVG, font and QML caches live until the
// process ends and are not freed at exit. LeakSanitizer would report them (from inside the
// Qt libraries or the D-Bus library Qt talks to, with no frame of ours) and fail the run; these are its default
// suppressions for the programs that draw windows. Include in exactly one file of such a program.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6Gui.so\nleak:libQt6Svg.so\nleak:libQt6Qml.so\nleak:libQt6Quick.so\nleak:libfontconfig.so\nleak:"
           "libdbus-1.so\n";
}
#endif

// In builds with ThreadSanitizer: Qt is not instrumented, so the memory its own threads
// hand each other (the scene graph's, posted events) would be reported as raced; only the
// calls from our instrumented code are checked (the same setting the test preset uses).
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1";
}
#endif
