// The OpenGL entry-point loader.
//
// Every OpenGL function the program may call is a process-wide pointer under
// the function's own name (glCullFace, glTexStorage2D, ...), null until
// InitGLEntryPoints has run with a context current. The fixed list of 700
// names is derived at build time from the core-profile header
// (tools/gen_gl_entry_points.py): the 653 entry points of OpenGL 1.0 to 4.5,
// then 47 of eleven ARB extensions.
//
// The pointers are hidden from the dynamic symbol table: an exported data
// symbol named like a GL function would interpose the GL library's own.
#pragma once

#include <cstddef>

#include "gl/gl_api.h"

#if defined(__GNUC__) && !defined(_WIN32)
#define LUMITICK_GL_HIDDEN __attribute__((visibility("hidden")))
#else
#define LUMITICK_GL_HIDDEN
#endif

#define LUMITICK_GL_ENTRY(name, type) extern LUMITICK_GL_HIDDEN type name;
#include "gl_entry_points.inc"
#undef LUMITICK_GL_ENTRY

// Resolves every name of the list against the current context. Answers 0
// when the context reports a major version of 3 or more, -1 otherwise (also
// when glGetIntegerv could not be resolved).
int InitGLEntryPoints();

namespace gl_loader {

// The list itself, in order, and the pointer of each name.
std::size_t EntryPointCount();
const char* EntryPointName(std::size_t index);
void** EntryPointSlot(std::size_t index);
void** FindEntryPointSlot(const char* name);  // nullptr for a name not in the list

// The context version read by the last InitGLEntryPoints (0.0 until read, and
// on contexts that do not know GL_MAJOR_VERSION).
int MajorVersion();
int MinorVersion();

// The two lookups of GetGLProc: the context's resolver first, the library
// second, and only when the first answers null. Tests put fakes in their place.
struct Resolver {
  void* (*openLibrary)();                            // null handle when it fails
  void* (*contextProc)(const char* name);            // wglGetProcAddress / glXGetProcAddressARB
  void* (*libraryProc)(void* library, const char* name);  // GetProcAddress / dlsym
  void (*closeLibrary)(void* library);
};
const Resolver& PlatformResolver();
void SetResolverForTesting(const Resolver* resolver);  // nullptr restores the platform's

// The steps of InitGLEntryPoints, in its order.
void OpenGLLibrary();
void* GetGLProc(const char* name);
void LoadGLProcs();
void CloseGLLibrary();
int ReadGLVersion();

// The entry points and the features the scene cannot draw without: the 41
// functions it calls, immutable texture storage (OpenGL 4.2 or
// GL_ARB_texture_storage) and float textures (OpenGL 3.0 or
// GL_ARB_texture_float). Answers nullptr when all is there, otherwise a
// sentence naming what is missing and what provides it.
const char* MissingSceneRequirement();
// The same for a scene drawn offscreen and read back (the snapshot): the
// scene's needs, then the entry points of framebuffer objects with
// renderbuffers (OpenGL 3.0 or GL_ARB_framebuffer_object) and of the read-back.
const char* MissingOffscreenRequirement();

// The 41 names the system calls.
std::size_t UsedEntryPointCount();
const char* UsedEntryPointName(std::size_t index);

}  // namespace gl_loader
