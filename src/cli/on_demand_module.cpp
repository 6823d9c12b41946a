#include "on_demand_module.h"

#include <dlfcn.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

namespace kora::cli {

namespace {

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

std::filesystem::path ModulePath(const std::string& fileName) {
    const std::filesystem::path beside = ProgramFolder() / fileName;
    std::error_code error;
    if (std::filesystem::is_regular_file(beside, error)) return beside;
#ifdef KORA_MODULE_DIR
    return std::filesystem::path(KORA_MODULE_DIR) / fileName;
#else
    return beside;
#endif
}

struct LoadedModule {
    void* handle = nullptr;
    std::string failure;
};

LoadedModule Load(const std::string& fileName) {
    const std::string path = ModulePath(fileName).string();
    LoadedModule module;
    // Every symbol is bound now, so that a broken module fails here with a
    // reason rather than later in the middle of a command.
    module.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module.handle) {
        const char* why = dlerror();
        module.failure = why ? why : "cannot load " + path;
    }
    return module;
}

} // namespace

void* OnDemandEntry(const std::string& fileName, const char* entry, std::string& reason) {
    static std::mutex guard;
    static std::map<std::string, LoadedModule> modules; // never unloaded
    const std::lock_guard lock(guard);
    auto found = modules.find(fileName);
    if (found == modules.end()) found = modules.emplace(fileName, Load(fileName)).first;
    if (!found->second.handle) {
        reason = found->second.failure;
        return nullptr;
    }
    dlerror();
    void* const address = dlsym(found->second.handle, entry);
    if (!address) reason = fileName + " has no entry " + entry;
    return address;
}

} // namespace kora::cli
