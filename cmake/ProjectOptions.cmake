# Warnings and sanitizers shared by every target of the project.
add_library(vantrel_options INTERFACE)
target_compile_options(vantrel_options INTERFACE -Wall -Wextra -Wpedantic)
# CI builds with every warning an error (scripts/test.sh under VANTREL_WERROR=ON).
option(VANTREL_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
if(VANTREL_WARNINGS_AS_ERRORS)
  target_compile_options(vantrel_options INTERFACE -Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # Qt's logging macros pass empty variadic arguments.
  target_compile_options(vantrel_options INTERFACE -Wno-gnu-zero-variadic-macro-arguments)
elseif(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC warns about the coroutine frames QCoro generates; nothing of ours to fix.
  target_compile_options(vantrel_options INTERFACE -Wno-mismatched-new-delete)
endif()
target_compile_definitions(vantrel_options INTERFACE
  QT_NO_KEYWORDS QT_USE_QSTRINGBUILDER
  QCORO_NO_WARN_DEPRECATED_TASK_H)

option(VANTREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VANTREL_SANITIZE)
  target_compile_options(vantrel_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vantrel_options INTERFACE -fsanitize=address,undefined)
endif()

option(VANTREL_SANITIZE_THREADS "Build with ThreadSanitizer" OFF)
if(VANTREL_SANITIZE_THREADS)
  if(VANTREL_SANITIZE)
    message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer")
  endif()
  target_compile_options(vantrel_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(vantrel_options INTERFACE -fsanitize=thread)
endif()

# Fuzzing needs Clang's libFuzzer: everything is built with coverage instrumentation and
# the address and undefined-behaviour sanitizers; only the fuzz targets link the engine.
option(VANTREL_FUZZ "Build the libFuzzer targets (Clang only)" OFF)
if(VANTREL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VANTREL_FUZZ needs Clang (libFuzzer)")
  endif()
  if(VANTREL_SANITIZE_THREADS)
    message(FATAL_ERROR "the fuzzers use AddressSanitizer, which ThreadSanitizer excludes")
  endif()
  # Clang 14 cannot emit coroutine frames with both coverage counters and the indirect-call
  # type check ("Cannot represent a difference across sections"); that one check is off.
  target_compile_options(vantrel_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=function
    -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vantrel_options INTERFACE -fsanitize=address,undefined)
endif()

# Every use of the launcher is a cold start that reads its code from disk, so optimised
# builds favour small code: -O2 rather than CMake's -O3, and no function that nothing calls
# (each in a section of its own, dropped by the linker).
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
string(REPLACE "-O3" "-O2" CMAKE_OBJCXX_FLAGS_RELEASE "${CMAKE_OBJCXX_FLAGS_RELEASE}")
target_compile_options(vantrel_options INTERFACE $<$<CONFIG:Release>:-ffunction-sections -fdata-sections>)
if(APPLE)
  target_link_options(vantrel_options INTERFACE $<$<CONFIG:Release>:LINKER:-dead_strip>)
else()
  target_link_options(vantrel_options INTERFACE $<$<CONFIG:Release>:LINKER:--gc-sections>)
endif()
