// Preloaded into every test process of the ThreadSanitizer build (the "tsan" test preset).
//
// Qt starts child processes with clone(CLONE_VM | CLONE_VFORK): the child borrows the
// parent's memory until it execs. GCC 12's ThreadSanitizer intercepts clone() as a fork
// and runs its child-side bookkeeping in that child, which, sharing the memory, wipes the
// parent's record of held locks and of what happened before what; every hand-over through
// a mutex afterwards is then reported as a race. A clone that shares memory until the
// child execs is not a fork: this hands it straight to the C library, unseen by the
// sanitizer, whose interceptors ignore the child's calls (they come from Qt, which is not
// instrumented). Any other clone still goes through the sanitizer.

#include <dlfcn.h>
#include <sched.h>

#include <cstdarg>
#include <sys/types.h>

namespace {

using CloneFunction = int (*)(int (*)(void*), void*, int, void*, ...);

CloneFunction find(void* handle)
{
    return reinterpret_cast<CloneFunction>(dlsym(handle, "clone"));
}

} // namespace

extern "C" int clone(int (*fn)(void*), void* stack, int flags, void* arg, ...)
{
    va_list rest;
    va_start(rest, arg);
    pid_t* parentTid = va_arg(rest, pid_t*);
    void* tls = va_arg(rest, void*);
    pid_t* childTid = va_arg(rest, pid_t*);
    va_end(rest);

    static const CloneFunction library = find(dlopen("libc.so.6", RTLD_LAZY | RTLD_NOLOAD));
    static const CloneFunction next = find(RTLD_NEXT);
    const bool sharesMemoryUntilExec = (flags & CLONE_VM) != 0 && (flags & CLONE_VFORK) != 0;
    const CloneFunction target = sharesMemoryUntilExec ? library : next;
    return target(fn, stack, flags, arg, parentTid, tls, childTid);
}
