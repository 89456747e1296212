// The resource registry: per module, resources by upper-cased name.
#include "platform/Resources.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <utility>

namespace platform {

namespace {

using TResourceKey = std::pair<TModule, String>;

// Libraries may be loaded on any thread, so the registry is guarded.
struct TRegistry {
    std::mutex Lock;
    std::map<TResourceKey, TResource> Resources;
};

// Made on first use, so that registrars of libraries loaded with the program find it.
TRegistry& Registry() {
    static TRegistry Instance;
    return Instance;
}

}  // namespace

TModule ModuleOf(const void* AddressInModule) {
    Dl_info Info{};
    if (AddressInModule == nullptr || dladdr(AddressInModule, &Info) == 0)
        return 0;
    return reinterpret_cast<TModule>(Info.dli_fbase);
}

void RegisterResource(TModule Module, const String& Name, const unsigned char* Data, size_t Size) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    R.Resources[{Module, UpperCase(Name)}] = TResource{Data, Size};
}

void UnregisterResource(TModule Module, const String& Name) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    R.Resources.erase({Module, UpperCase(Name)});
}

TResource FindResource(TModule Module, const String& Name) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    auto It = R.Resources.find({Module, UpperCase(Name)});
    return It == R.Resources.end() ? TResource{} : It->second;
}

TResourceRegistrar::TResourceRegistrar(const char* Name, const unsigned char* Data, size_t Size)
    : FModule(ModuleOf(Data)), FName(Name) {
    RegisterResource(FModule, FName, Data, Size);
}

TResourceRegistrar::~TResourceRegistrar() {
    UnregisterResource(FModule, FName);
}

}  // namespace platform
