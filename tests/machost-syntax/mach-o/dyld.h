// What the Mac's <mach-o/dyld.h> declares and the launcher's programs use.
#pragma once

#include <cstdint>

extern "C" int _NSGetExecutablePath(char* buf, uint32_t* bufsize);
