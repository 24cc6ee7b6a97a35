# Warnings and sanitizers shared by every target of the project.
add_library(vantrel_options INTERFACE)
target_compile_options(vantrel_options INTERFACE -Wall -Wextra -Wpedantic)
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
