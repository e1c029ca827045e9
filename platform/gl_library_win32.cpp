// Windows back end of the OpenGL library: "opengl32.dll", wglGetProcAddress
// for what the context offers, GetProcAddress on the library for the 1.0 and
// 1.1 entry points that wglGetProcAddress does not answer for.
//
// The program does not link against opengl32: wglGetProcAddress comes from a
// load of the library held for the life of the process, so the loader's own
// load can be released as usual.
#undef APIENTRY  // given by the build for the OpenGL header; windows.h has its own
#include <windows.h>

#include <cstdint>

#include "platform/gl_library.h"

namespace platform {

namespace {
using WglGetProcAddressFn = PROC(WINAPI*)(LPCSTR);

WglGetProcAddressFn ContextResolver() {
  static WglGetProcAddressFn fn = [] {
    HMODULE lib = LoadLibraryA("opengl32.dll");
    if (!lib) return WglGetProcAddressFn{nullptr};
    return reinterpret_cast<WglGetProcAddressFn>(reinterpret_cast<void*>(GetProcAddress(lib, "wglGetProcAddress")));
  }();
  return fn;
}
}  // namespace

namespace detail {
// Some drivers answer 1, 2, 3 or -1 instead of null for a name they do not
// know; calling such an "entry point" would crash, so they count as null.
void* UsableWglAnswer(void* answer) {
  const std::intptr_t value = reinterpret_cast<std::intptr_t>(answer);
  if (value == 1 || value == 2 || value == 3 || value == -1) return nullptr;
  return answer;
}
}  // namespace detail

void* OpenSystemGLLibrary() { return reinterpret_cast<void*>(LoadLibraryA("opengl32.dll")); }

void* GetContextGLProc(const char* name) {
  WglGetProcAddressFn fn = ContextResolver();
  if (!fn) return nullptr;
  return detail::UsableWglAnswer(reinterpret_cast<void*>(fn(name)));
}

void* GetLibraryGLProc(void* library, const char* name) {
  if (!library) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseSystemGLLibrary(void* library) {
  if (library) FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace platform
