#include "cups/CupsLibrary.h"

#include <dlfcn.h>
#include <mutex>

namespace {

// The soname of the library the headers describe (libcups2).
constexpr const char *kCupsLibrary = "libcups.so.2";

template <typename Function>
bool lookUp(void *library, const char *name, Function &function, std::string &problem)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (!function)
        problem = std::string(kCupsLibrary) + " has no " + name;
    return function != nullptr;
}

} // namespace

const CupsLibrary *CupsLibrary::Get(std::string &problem)
{
    static std::once_flag once;
    static CupsLibrary library;
    static std::string loadProblem;
    std::call_once(once, [] {
        // Kept for the rest of the process, like a library linked at start.
        void *handle = dlopen(kCupsLibrary, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char *why = dlerror();
            loadProblem = std::string("cannot load ") + kCupsLibrary + ": " + (why ? why : "unknown reason");
            return;
        }
        CupsLibrary loaded;
        if (lookUp(handle, "cupsGetDests2", loaded.getDests2, loadProblem) &&
            lookUp(handle, "cupsFreeDests", loaded.freeDests, loadProblem) &&
            lookUp(handle, "cupsGetOption", loaded.getOption, loadProblem) &&
            lookUp(handle, "cupsLastError", loaded.lastError, loadProblem) &&
            lookUp(handle, "cupsLastErrorString", loaded.lastErrorString, loadProblem) &&
            lookUp(handle, "cupsServer", loaded.server, loadProblem))
            library = loaded;
    });
    if (!loadProblem.empty()) {
        problem = loadProblem;
        return nullptr;
    }
    return &library;
}
