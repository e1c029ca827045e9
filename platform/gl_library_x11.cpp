// X11 back end of the OpenGL library: libGL.so.1 through dlopen. The program
// is not linked against any GL library, so the loader's pointers, which carry
// the GL functions' names, can never stand in for the library's own symbols.
#include "platform/gl_library.h"

#include <dlfcn.h>

namespace platform {

namespace {
using GetProcAddressFn = void* (*)(const unsigned char*);

// glXGetProcAddressARB itself comes from the library; this process-lifetime
// handle keeps it usable after the loader has closed its own.
GetProcAddressFn ContextResolver() {
  static GetProcAddressFn fn = [] {
    void* lib = dlopen("libGL.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!lib) return GetProcAddressFn{nullptr};
    return reinterpret_cast<GetProcAddressFn>(dlsym(lib, "glXGetProcAddressARB"));
  }();
  return fn;
}
}  // namespace

void* OpenSystemGLLibrary() { return dlopen("libGL.so.1", RTLD_LAZY | RTLD_LOCAL); }

void* GetContextGLProc(const char* name) {
  GetProcAddressFn fn = ContextResolver();
  return fn ? fn(reinterpret_cast<const unsigned char*>(name)) : nullptr;
}

void* GetLibraryGLProc(void* library, const char* name) {
  return library ? dlsym(library, name) : nullptr;
}

void CloseSystemGLLibrary(void* library) {
  if (library) dlclose(library);
}

}  // namespace platform
