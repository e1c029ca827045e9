// X11 back end of the OpenGL library: libGL.so.1 through dlopen. The program
// is not linked against any GL library, so the loader's pointers, which carry
// the GL functions' names, can never stand in for the library's own symbols.
// Contexts made through EGL take libglvnd's OpenGL library without GLX
// (libOpenGL.so.0, else libGL.so.1, which dispatches to them as well) and
// eglGetProcAddress.
#include "platform/gl_library.h"

#include <dlfcn.h>

namespace platform {

namespace {
using GetProcAddressFn = void* (*)(const unsigned char*);

// eglGetProcAddress once the contexts are EGL's.
void* (*sEGLResolver)(const char*) = nullptr;

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

void* OpenSystemGLLibrary() {
  void* library = sEGLResolver ? dlopen("libOpenGL.so.0", RTLD_LAZY | RTLD_LOCAL) : nullptr;
  return library ? library : dlopen("libGL.so.1", RTLD_LAZY | RTLD_LOCAL);
}

void* GetContextGLProc(const char* name) {
  if (sEGLResolver) return sEGLResolver(name);
  GetProcAddressFn fn = ContextResolver();
  return fn ? fn(reinterpret_cast<const unsigned char*>(name)) : nullptr;
}

void* GetLibraryGLProc(void* library, const char* name) {
  return library ? dlsym(library, name) : nullptr;
}

void UseEGLForGL(void* (*getProcAddress)(const char*)) { sEGLResolver = getProcAddress; }

void CloseSystemGLLibrary(void* library) {
  if (library) dlclose(library);
}

}  // namespace platform
