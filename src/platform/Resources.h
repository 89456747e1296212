// Named binary resources of modules. A module is a loaded shared object (or the program);
// a library registers its resources while it is loaded, through static registrar objects,
// and code finds them by module and name, as bitmaps are found by TBitmap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/SysUtils.h"

namespace platform {

// A loaded module: the address its shared object (or the program) is loaded at; 0 is none.
using TModule = uintptr_t;

// The module whose code or data holds AddressInModule; 0 when the address is in none.
TModule ModuleOf(const void* AddressInModule);

// A resource's bytes, which stay where the registering module keeps them.
struct TResource {
    const unsigned char* Data = nullptr;
    size_t Size = 0;
    bool Found() const { return Data != nullptr; }
};

// A resource that a module was asked for and does not have.
class EResNotFound : public Exception {
  public:
    using Exception::Exception;
};

// Adds (or replaces) the resource Name of Module. REQUIRES: Data stays valid until the
// resource is unregistered.
void RegisterResource(TModule Module, const String& Name, const unsigned char* Data, size_t Size);
void UnregisterResource(TModule Module, const String& Name);
// The resource Name of Module (letter case ignored); not Found() when there is none.
TResource FindResource(TModule Module, const String& Name);

// Registers a resource of the module that holds Data for as long as the registrar lives:
// a library defines one static registrar per resource, so its resources come and go with it.
class TResourceRegistrar {
  public:
    TResourceRegistrar(const char* Name, const unsigned char* Data, size_t Size);
    ~TResourceRegistrar();
    TResourceRegistrar(const TResourceRegistrar&) = delete;
    TResourceRegistrar& operator=(const TResourceRegistrar&) = delete;

  private:
    TModule FModule;
    String FName;
};

}  // namespace platform
