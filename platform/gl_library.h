// The system OpenGL library and its two ways of naming an entry point.
// Windows: "opengl32.dll", wglGetProcAddress, GetProcAddress.
// X11: "libGL.so.1" (dlopen), glXGetProcAddressARB, dlsym; for contexts
// made through EGL (the Wayland road) "libOpenGL.so.0" and eglGetProcAddress.
#pragma once

namespace platform {

void* OpenSystemGLLibrary();                             // null when it cannot be loaded
void* GetContextGLProc(const char* name);                // needs a current context
void* GetLibraryGLProc(void* library, const char* name); // null library: null
void CloseSystemGLLibrary(void* library);

// Linux: the contexts are EGL's from now on; `getProcAddress` is
// eglGetProcAddress.
void UseEGLForGL(void* (*getProcAddress)(const char* name));

}  // namespace platform
