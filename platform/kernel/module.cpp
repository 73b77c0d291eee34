// Loading shared libraries by Windows path; a module is known by its load base address.
#include "platform/kernel/module.h"

#include "platform/kernel/debug.h"
#include "platform/base/lasterror.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"

#include <cctype>
#include <dlfcn.h>
#include <link.h>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

struct LoadedModules {
    struct Entry {
        void *library;
        int references;
    };
    std::mutex mutex;
    std::map<HMODULE, Entry> entries;
};

LoadedModules &loadedModules()
{
    static LoadedModules *instance = new LoadedModules; // modules may be freed from exit handlers
    return *instance;
}

HMODULE baseOfLibrary(void *library)
{
    link_map *map = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !map)
        return nullptr;
    return zorplat::ModuleInstanceOf(map->l_ld);
}

std::vector<std::string> candidatePaths(std::string_view fileName)
{
    if (fileName.find_first_of("\\/:") != std::string_view::npos)
        return {zorplat::ToLinuxPath(fileName)};
    std::string name(fileName);
    if (!name.empty() && name.back() == '.')
        name.pop_back(); // a trailing dot means "no extension", not ".DLL"
    else if (name.find('.') == std::string::npos)
        name += ".DLL";
    return {zorplat::ToLinuxPath("C:\\WINDOWS\\SYSTEM\\" + name), zorplat::ToLinuxPath(name)};
}

struct ModuleSearch {
    std::string_view name; // null view: the executable
    HMODULE found = nullptr;
};

int matchModule(dl_phdr_info *info, size_t, void *data)
{
    auto *search = static_cast<ModuleSearch *>(data);
    const std::string_view path = info->dlpi_name ? info->dlpi_name : "";
    const bool isExecutable = path.empty();
    const std::string_view file = path.substr(path.find_last_of('/') + 1);
    if (search->name.data() ? isExecutable || !zorplat::EqualsIgnoringCase(file, search->name) : !isExecutable)
        return 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        if (info->dlpi_phdr[i].p_type == PT_LOAD) {
            search->found = zorplat::ModuleInstanceOf(
                reinterpret_cast<const void *>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr));
            return 1;
        }
    }
    return 0;
}

// A handle for dlsym on `module`, and whether the caller must dlclose it.
void *libraryOf(HMODULE module, bool &mustClose)
{
    mustClose = false;
    {
        LoadedModules &modules = loadedModules();
        std::lock_guard lock(modules.mutex);
        if (auto found = modules.entries.find(module); found != modules.entries.end())
            return found->second.library;
    }
    Dl_info info {};
    if (!dladdr(module, &info) || info.dli_fbase != module)
        return nullptr;
    void *library = module == GetModuleHandle(nullptr) ? dlopen(nullptr, RTLD_NOW)
                                                       : dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    mustClose = library != nullptr;
    return library;
}

} // namespace

namespace zorplat {

HINSTANCE ModuleInstanceOf(const void *address)
{
    Dl_info info {};
    if (!address || !dladdr(address, &info))
        return nullptr;
    return info.dli_fbase;
}

} // namespace zorplat

HMODULE LoadLibrary(LPCSTR fileName)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    for (const std::string &path : candidatePaths(fileName)) {
        struct stat info {};
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        void *library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        HMODULE base = library ? baseOfLibrary(library) : nullptr;
        if (!base) {
            const char *reason = dlerror();
            OutputDebugString(("LoadLibrary " + path + ": " + (reason ? reason : "no load base")).c_str());
            if (library)
                dlclose(library);
            break;
        }
        LoadedModules &modules = loadedModules();
        std::lock_guard lock(modules.mutex);
        auto [entry, inserted] = modules.entries.try_emplace(base, LoadedModules::Entry{library, 0});
        ++entry->second.references;
        return base;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    if (!module)
        module = GetModuleHandle(nullptr);
    bool mustClose = false;
    void *library = libraryOf(module, mustClose);
    if (!library) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // Names only: an "ordinal" (a small integer in place of the pointer) is never exported.
    void *symbol = reinterpret_cast<uintptr_t>(procName) > 0xFFFF ? dlsym(library, procName) : nullptr;
    if (mustClose)
        dlclose(library);
    // dlsym also searches the module's dependencies; only the module's own exports count.
    if (!symbol || zorplat::ModuleInstanceOf(symbol) != module) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module)
{
    void *library = nullptr;
    {
        LoadedModules &modules = loadedModules();
        std::lock_guard lock(modules.mutex);
        auto found = modules.entries.find(module);
        if (found == modules.entries.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        library = found->second.library;
        if (--found->second.references == 0)
            modules.entries.erase(found);
    }
    // Outside the lock: unloading runs the module's destructors, which may call back here.
    dlclose(library);
    return TRUE;
}

HMODULE GetModuleHandle(LPCSTR moduleName)
{
    ModuleSearch search {moduleName ? std::string_view(moduleName) : std::string_view()};
    dl_iterate_phdr(matchModule, &search);
    if (!search.found)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return search.found;
}
