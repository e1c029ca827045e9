/* Start-up probe, preloaded into the real program by bench/startup.sh.
 *
 * Records when the program reaches each step of its start-up and how long
 * the step takes: glfwInit, the window and context, the two textures
 * (glTexStorage2D, glTexSubImage2D), the shader compile and link, the first
 * draw call, and the first glfwSwapBuffers (the first presented frame; on
 * llvmpipe the frame is rasterised there). When that swap returns it prints
 * the timeline and the peak resident memory so far to standard error and
 * ends the process with status 0.
 *
 * Times count from LUMITICK_PROBE_T0 (seconds since the epoch, as bash's
 * EPOCHREALTIME gives it just before exec), or from the probe's own load.
 *
 * The program takes its GL functions from glXGetProcAddressARB found with
 * dlsym on its own handle of libGL, which preloading alone does not reach;
 * the probe therefore wraps dlsym too and hands out timed wrappers for the
 * few functions it watches. Everything else passes through unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

typedef unsigned int GLenum;
typedef unsigned int GLuint;
typedef int GLint;
typedef int GLsizei;

static double sT0 = -1.0;

static double Now(void) {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

static double Ms(double t) { return (t - sT0) * 1000.0; }

/* Sum of the time spent inside a watched call, its first start and last end. */
struct Span {
  const char* name;
  int calls;
  double total, first, last;
};

enum { kLoad, kGlfwInit, kCreateWindow, kGenTextures, kTexStorage, kTexSubImage, kCompile, kLink, kDraw, kSwap, kSpans };
static struct Span sSpans[kSpans] = {
    {"probe loaded (dynamic linking done)", 0, 0, 0, 0},
    {"glfwInit", 0, 0, 0, 0},
    {"glfwCreateWindow", 0, 0, 0, 0},
    {"glGenTextures", 0, 0, 0, 0},
    {"glTexStorage2D", 0, 0, 0, 0},
    {"glTexSubImage2D", 0, 0, 0, 0},
    {"glCompileShader", 0, 0, 0, 0},
    {"glLinkProgram", 0, 0, 0, 0},
    {"first draw call", 0, 0, 0, 0},
    {"first glfwSwapBuffers", 0, 0, 0, 0},
};

static void Record(int k, double start, double end) {
  struct Span* s = &sSpans[k];
  if (s->calls == 0) s->first = start;
  s->calls += 1;
  s->total += end - start;
  s->last = end;
}

__attribute__((constructor)) static void ProbeLoad(void) {
  const double now = Now();
  const char* t0 = getenv("LUMITICK_PROBE_T0");
  sT0 = now;
  if (t0 && *t0) {
    char* end = NULL;
    const double v = strtod(t0, &end);
    if (end != t0 && v > 0 && v <= now) sT0 = v;
  }
  Record(kLoad, now, now);
}

static long PeakRssKiB(void) {
  FILE* f = fopen("/proc/self/status", "r");
  char line[256];
  long kib = -1;
  if (!f) return -1;
  while (fgets(line, sizeof line, f))
    if (strncmp(line, "VmHWM:", 6) == 0) kib = strtol(line + 6, NULL, 10);
  fclose(f);
  return kib;
}

static void Report(void) {
  const struct Span* s = sSpans;
  fprintf(stderr, "startup: %-38s %10s %10s %6s\n", "step", "starts ms", "takes ms", "calls");
  for (int k = 0; k < kSpans; ++k) {
    if (s[k].calls == 0) continue;
    fprintf(stderr, "startup: %-38s %10.1f %10.1f %6d\n", s[k].name, Ms(s[k].first), s[k].total * 1000.0,
            s[k].calls);
  }
  /* The phases between the watched calls. */
  if (s[kGenTextures].calls && s[kCompile].calls)
    fprintf(stderr, "startup: phase textures (decode, convert, upload) %.1f ms\n",
            (s[kCompile].first - s[kGenTextures].first) * 1000.0);
  if (s[kCompile].calls && s[kLink].calls)
    fprintf(stderr, "startup: phase shader compile and link          %.1f ms\n",
            (s[kLink].last - s[kCompile].first) * 1000.0);
  if (s[kLink].calls && s[kDraw].calls)
    fprintf(stderr, "startup: phase model and drawable               %.1f ms\n",
            (s[kDraw].first - s[kLink].last) * 1000.0);
  if (s[kDraw].calls && s[kSwap].calls)
    fprintf(stderr, "startup: phase first draw and present           %.1f ms\n",
            (s[kSwap].last - s[kDraw].first) * 1000.0);
  fprintf(stderr, "startup: first presented frame at %.1f ms\n", Ms(s[kSwap].last));
  fprintf(stderr, "startup: peak resident memory %.1f MiB\n", (double)PeakRssKiB() / 1024.0);
}

/* ---- the real functions ---- */

static void* (*RealDlsymFn(void))(void*, const char*) {
  static void* (*real)(void*, const char*) = NULL;
  if (!real) real = (void* (*)(void*, const char*))dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
  if (!real) real = (void* (*)(void*, const char*))dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
  return real;
}

static void* NextSymbol(const char* name) { return RealDlsymFn()(RTLD_NEXT, name); }

/* ---- GLFW, reached through ordinary preloading ---- */

typedef struct GLFWwindow GLFWwindow;
typedef struct GLFWmonitor GLFWmonitor;

int glfwInit(void) {
  static int (*real)(void) = NULL;
  if (!real) real = (int (*)(void))NextSymbol("glfwInit");
  const double a = Now();
  const int r = real();
  Record(kGlfwInit, a, Now());
  return r;
}

GLFWwindow* glfwCreateWindow(int w, int h, const char* title, GLFWmonitor* m, GLFWwindow* share) {
  static GLFWwindow* (*real)(int, int, const char*, GLFWmonitor*, GLFWwindow*) = NULL;
  if (!real) real = (GLFWwindow * (*)(int, int, const char*, GLFWmonitor*, GLFWwindow*)) NextSymbol("glfwCreateWindow");
  const double a = Now();
  GLFWwindow* r = real(w, h, title, m, share);
  Record(kCreateWindow, a, Now());
  return r;
}

void glfwSwapBuffers(GLFWwindow* window) {
  static void (*real)(GLFWwindow*) = NULL;
  if (!real) real = (void (*)(GLFWwindow*))NextSymbol("glfwSwapBuffers");
  const double a = Now();
  real(window);
  Record(kSwap, a, Now());
  Report();
  fflush(stderr);
  _exit(0);
}

/* ---- GL, handed out through glXGetProcAddressARB ---- */

static void (*sGenTextures)(GLsizei, GLuint*);
static void (*sTexStorage2D)(GLenum, GLsizei, GLenum, GLsizei, GLsizei);
static void (*sTexSubImage2D)(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*);
static void (*sCompileShader)(GLuint);
static void (*sLinkProgram)(GLuint);
static void (*sDrawElements)(GLenum, GLsizei, GLenum, const void*);
static void (*sDrawArrays)(GLenum, GLint, GLsizei);

static void WGenTextures(GLsizei n, GLuint* ids) {
  const double a = Now();
  sGenTextures(n, ids);
  Record(kGenTextures, a, Now());
}
static void WTexStorage2D(GLenum t, GLsizei l, GLenum f, GLsizei w, GLsizei h) {
  const double a = Now();
  sTexStorage2D(t, l, f, w, h);
  Record(kTexStorage, a, Now());
}
static void WTexSubImage2D(GLenum t, GLint l, GLint x, GLint y, GLsizei w, GLsizei h, GLenum f, GLenum ty,
                           const void* p) {
  const double a = Now();
  sTexSubImage2D(t, l, x, y, w, h, f, ty, p);
  Record(kTexSubImage, a, Now());
}
static void WCompileShader(GLuint s) {
  const double a = Now();
  sCompileShader(s);
  Record(kCompile, a, Now());
}
static void WLinkProgram(GLuint p) {
  const double a = Now();
  sLinkProgram(p);
  Record(kLink, a, Now());
}
static void WDrawElements(GLenum m, GLsizei c, GLenum t, const void* i) {
  const double a = Now();
  sDrawElements(m, c, t, i);
  if (sSpans[kDraw].calls == 0) Record(kDraw, a, Now());
}
static void WDrawArrays(GLenum m, GLint f, GLsizei c) {
  const double a = Now();
  sDrawArrays(m, f, c);
  if (sSpans[kDraw].calls == 0) Record(kDraw, a, Now());
}

/* Swaps a watched function's pointer for its wrapper, keeping the real one. */
static void* Watch(const char* name, void* real) {
  if (!real) return real;
#define WATCH(glname, slot, wrapper)          \
  if (strcmp(name, glname) == 0) {            \
    *(void**)&slot = real;                    \
    return (void*)wrapper;                    \
  }
  WATCH("glGenTextures", sGenTextures, WGenTextures)
  WATCH("glTexStorage2D", sTexStorage2D, WTexStorage2D)
  WATCH("glTexSubImage2D", sTexSubImage2D, WTexSubImage2D)
  WATCH("glCompileShader", sCompileShader, WCompileShader)
  WATCH("glLinkProgram", sLinkProgram, WLinkProgram)
  WATCH("glDrawElements", sDrawElements, WDrawElements)
  WATCH("glDrawArrays", sDrawArrays, WDrawArrays)
#undef WATCH
  return real;
}

static void* (*sGetProcAddress)(const unsigned char*);
static void* WGetProcAddress(const unsigned char* name) {
  return Watch((const char*)name, sGetProcAddress((const unsigned char*)name));
}

void* dlsym(void* handle, const char* name) {
  void* real = RealDlsymFn()(handle, name);
  if (handle == RTLD_NEXT || handle == RTLD_DEFAULT || !real) return real;
  if (strcmp(name, "glXGetProcAddressARB") == 0 || strcmp(name, "glXGetProcAddress") == 0) {
    *(void**)&sGetProcAddress = real;
    return (void*)WGetProcAddress;
  }
  return Watch(name, real);
}
