// The OpenGL entry-point loader: one pointer per name of the fixed list,
// resolved once after the first context is current.
#include "gl/GLEntryPoints.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gl_library.h"

#define LUMITICK_GL_ENTRY(name, type) type name = nullptr;
#include "gl_entry_points.inc"
#undef LUMITICK_GL_ENTRY

namespace gl_loader {

namespace {

struct Entry {
  const char* name;
  void** slot;
};

#define LUMITICK_GL_ENTRY(name, type) {#name, reinterpret_cast<void**>(&name)},
const Entry kEntries[] = {
#include "gl_entry_points.inc"
};
#undef LUMITICK_GL_ENTRY

const char* const kUsed[] = {
    "glCullFace",          "glFrontFace",          "glTexParameteri",
    "glTexImage2D",        "glClear",              "glDisable",
    "glEnable",            "glGetIntegerv",        "glGetString",
    "glViewport",          "glDrawElements",       "glTexSubImage2D",
    "glBindTexture",       "glDeleteTextures",     "glGenTextures",
    "glActiveTexture",     "glBindBuffer",         "glDeleteBuffers",
    "glGenBuffers",        "glBufferData",         "glBufferSubData",
    "glAttachShader",      "glCompileShader",      "glCreateProgram",
    "glCreateShader",      "glDeleteProgram",      "glDeleteShader",
    "glEnableVertexAttribArray", "glGetAttribLocation", "glGetShaderiv",
    "glGetShaderInfoLog",  "glGetUniformLocation", "glLinkProgram",
    "glShaderSource",      "glUseProgram",         "glUniform1f",
    "glUniform1i",         "glUniformMatrix4fv",   "glVertexAttribPointer",
    "glBindFramebuffer",   "glTexStorage2D",
};

// What an offscreen frame calls beyond the scene: a framebuffer object with
// renderbuffers, and the read-back of its pixels.
const char* const kOffscreen[] = {
    "glGenFramebuffers",  "glDeleteFramebuffers",  "glFramebufferRenderbuffer", "glCheckFramebufferStatus",
    "glGenRenderbuffers", "glDeleteRenderbuffers", "glBindRenderbuffer",        "glRenderbufferStorage",
    "glFinish",           "glPixelStorei",         "glReadPixels",
};

const Resolver kPlatform = {platform::OpenSystemGLLibrary, platform::GetContextGLProc,
                            platform::GetLibraryGLProc, platform::CloseSystemGLLibrary};
const Resolver* sResolver = &kPlatform;
void* sLibrary = nullptr;
int sMajor = 0;
int sMinor = 0;

}  // namespace

std::size_t EntryPointCount() { return sizeof kEntries / sizeof kEntries[0]; }
const char* EntryPointName(std::size_t i) { return i < EntryPointCount() ? kEntries[i].name : nullptr; }
void** EntryPointSlot(std::size_t i) { return i < EntryPointCount() ? kEntries[i].slot : nullptr; }

void** FindEntryPointSlot(const char* name) {
  for (const Entry& e : kEntries)
    if (std::strcmp(e.name, name) == 0) return e.slot;
  return nullptr;
}

std::size_t UsedEntryPointCount() { return sizeof kUsed / sizeof kUsed[0]; }
const char* UsedEntryPointName(std::size_t i) { return i < UsedEntryPointCount() ? kUsed[i] : nullptr; }

int MajorVersion() { return sMajor; }
int MinorVersion() { return sMinor; }

const Resolver& PlatformResolver() { return kPlatform; }
void SetResolverForTesting(const Resolver* resolver) { sResolver = resolver ? resolver : &kPlatform; }

void OpenGLLibrary() { sLibrary = sResolver->openLibrary(); }

void* GetGLProc(const char* name) {
  void* proc = sResolver->contextProc(name);
  if (proc == nullptr) proc = sResolver->libraryProc(sLibrary, name);
  return proc;
}

void LoadGLProcs() {
  for (const Entry& e : kEntries) *e.slot = GetGLProc(e.name);
}

void CloseGLLibrary() {
  if (sLibrary) sResolver->closeLibrary(sLibrary);
  sLibrary = nullptr;
}

int ReadGLVersion() {
  if (glGetIntegerv == nullptr) return -1;
  glGetIntegerv(GL_MAJOR_VERSION, &sMajor);
  glGetIntegerv(GL_MINOR_VERSION, &sMinor);
  return sMajor < 3 ? -1 : 0;
}

namespace {

// Version from the GL_VERSION string, which every context answers (the
// GL_MAJOR_VERSION query is unknown to 2.x contexts).
bool VersionAtLeast(int major, int minor) {
  const char* v = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int ma = 0, mi = 0;
  if (!v || std::sscanf(v, "%d.%d", &ma, &mi) != 2) return false;
  return ma > major || (ma == major && mi >= minor);
}

bool HasExtension(const char* wanted) {
  const std::size_t n = std::strlen(wanted);
  const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (list) {
    for (const char* p = std::strstr(list, wanted); p; p = std::strstr(p + 1, wanted))
      if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    return false;
  }
  // Core profiles only list extensions one by one.
  if (!glGetStringi) return false;
  GLint count = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &count);
  for (GLint i = 0; i < count; ++i) {
    const char* e = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
    if (e && std::strcmp(e, wanted) == 0) return true;
  }
  return false;
}

template <std::size_t N>
const char* FirstMissing(const char* const (&names)[N]) {
  for (const char* name : names) {
    void** slot = FindEntryPointSlot(name);
    if (slot == nullptr || *slot == nullptr) return name;
  }
  return nullptr;
}

// `format` with `name` in it, in a buffer that the next message reuses.
const char* Message(const char* format, const char* name) {
  static char message[160];
  std::snprintf(message, sizeof message, format, name);
  return message;
}

}  // namespace

const char* MissingSceneRequirement() {
  if (const char* name = FirstMissing(kUsed)) return Message("OpenGL entry point %s is missing", name);
  // Context resolvers may answer a stub for any name, so the features
  // themselves are asked for as well.
  if (!VersionAtLeast(4, 2) && !HasExtension("GL_ARB_texture_storage"))
    return "OpenGL texture storage (glTexStorage2D) is missing: it needs OpenGL 4.2 or GL_ARB_texture_storage";
  if (!VersionAtLeast(3, 0) && !HasExtension("GL_ARB_texture_float"))
    return "OpenGL float textures (GL_RGBA32F) are missing: they need OpenGL 3.0 or GL_ARB_texture_float";
  return nullptr;
}

const char* MissingOffscreenRequirement() {
  if (const char* missing = MissingSceneRequirement()) return missing;
  // Only the entry points: Mesa, for one, draws into framebuffer objects
  // through them with GL_ARB_framebuffer_object switched off.
  if (const char* name = FirstMissing(kOffscreen))
    return Message("OpenGL entry point %s is missing: an offscreen frame needs OpenGL 3.0 or GL_ARB_framebuffer_object",
                   name);
  return nullptr;
}

}  // namespace gl_loader

int InitGLEntryPoints() {
  gl_loader::OpenGLLibrary();
  gl_loader::LoadGLProcs();
  gl_loader::CloseGLLibrary();
  return gl_loader::ReadGLVersion();
}
