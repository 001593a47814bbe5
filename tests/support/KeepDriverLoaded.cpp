// unixODBC unloads the FreeTDS driver when a process's last connection to it closes and loads it
// again for the next one. The driver keeps thread-local state; once unloaded, LeakSanitizer's
// exit-time scan follows the stale thread-local block and crashes. Loading the driver once for
// the whole test process, never to be unloaded, keeps that block valid.

#include <dlfcn.h>

#include "StandinServer.h"

namespace {

const bool kDriverPinned = [] {
    try {
        return dlopen(standin::test::FindFreeTdsDriver().c_str(), RTLD_NOW | RTLD_NODELETE) !=
               nullptr;
    } catch (...) {
        return false;  // no driver here: the database tests say so themselves
    }
}();

}  // namespace
