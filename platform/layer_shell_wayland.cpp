// Wayland back end of the layer-shell saver (see layer_shell.h):
// libwayland-client with the wlr-layer-shell protocol (its client code is
// generated at build time), wayland-egl and EGL (libEGL.so.1, opened at run
// time) with the desktop OpenGL API.
//
// Supports: wl_compositor 1-4 (buffer scale from 3), zwlr_layer_shell_v1
// 1-4, wl_output 2-3, wl_seat 1-3 with its keyboard and pointer. Does not:
// xdg-output, fractional scale, touch (a touch ends nothing), key repeat
// (one event is enough to end the saver).
#include "platform/layer_shell.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/gl_library.h"
// The protocol names a parameter "namespace", a C++ keyword.
#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace platform {
namespace layer_shell {

struct Surface {
  std::uint32_t outputName = 0;  // the output's name in the registry
  wl_output* output = nullptr;
  std::uint32_t outputVersion = 0;
  std::int32_t scale = 1, pendingScale = 1;
  std::int32_t refresh = 0;  // mHz, of the output's current mode
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
  wl_egl_window* window = nullptr;
  EGLSurface egl = EGL_NO_SURFACE;
  EGLContext context = EGL_NO_CONTEXT;
  int width = 0, height = 0;            // as configured, in the output's logical units
  int pixelWidth = 0, pixelHeight = 0;  // of the buffers
  bool reported = false;                // `added` has told of it
};

namespace {

struct Seat {
  std::uint32_t name = 0;
  wl_seat* seat = nullptr;
  std::uint32_t version = 0;
  wl_keyboard* keyboard = nullptr;
  wl_pointer* pointer = nullptr;
};

struct Connection {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  std::uint32_t compositorVersion = 0;
  zwlr_layer_shell_v1* shell = nullptr;
  std::vector<std::unique_ptr<Surface>> surfaces;  // in the order the outputs came
  std::vector<std::unique_ptr<Seat>> seats;
  EGLDisplay egl = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;
  EGLContext shared = EGL_NO_CONTEXT;
  const EGLint* contextAttribs = nullptr;
  const EGLAttrib* surfaceAttribs = nullptr;
  Events events{};
  bool started = false;
  std::chrono::steady_clock::time_point start;
};
Connection sWl;

const char kNamespace[] = "lumitick";

// EGL is opened at run time, as the OpenGL library is (gl_library_x11.cpp):
// the program links no GL library, and X11 sessions never load it.
#define LUMITICK_EGL_FUNCTIONS(X) \
  X(BindAPI) \
  X(ChooseConfig) \
  X(CreateContext) \
  X(CreatePlatformWindowSurface) \
  X(DestroyContext) \
  X(DestroySurface) \
  X(GetConfigAttrib) \
  X(GetCurrentContext) \
  X(GetCurrentSurface) \
  X(GetError) \
  X(GetPlatformDisplay) \
  X(GetProcAddress) \
  X(Initialize) \
  X(MakeCurrent) \
  X(QueryString) \
  X(QuerySurface) \
  X(SwapBuffers) \
  X(SwapInterval) \
  X(Terminate)
struct EglLibrary {
#define LUMITICK_EGL_POINTER(name) decltype(&::egl##name) name = nullptr;
  LUMITICK_EGL_FUNCTIONS(LUMITICK_EGL_POINTER)
#undef LUMITICK_EGL_POINTER
};
EglLibrary egl;

bool LoadEGL() {
  if (egl.Initialize) return true;
  void* library = dlopen("libEGL.so.1", RTLD_LAZY | RTLD_LOCAL);
  if (!library) return false;
  EglLibrary loaded;
  bool all = true;
#define LUMITICK_EGL_LOAD(name) \
  all = all && (loaded.name = reinterpret_cast<decltype(loaded.name)>(dlsym(library, "egl" #name)));
  LUMITICK_EGL_FUNCTIONS(LUMITICK_EGL_LOAD)
#undef LUMITICK_EGL_LOAD
  if (all) egl = loaded;
  else dlclose(library);
  return all;
}


// ------------------------------------------------------------ surfaces

void SetOpaque(Surface& s) {
  wl_region* region = wl_compositor_create_region(sWl.compositor);
  wl_region_add(region, 0, 0, s.width, s.height);
  wl_surface_set_opaque_region(s.surface, region);
  wl_region_destroy(region);
  if (sWl.compositorVersion >= 3) wl_surface_set_buffer_scale(s.surface, s.scale);
}

// The EGL side of a configured surface: made at its first size, resized
// (and reported) when the size or the output's scale changes.
void Apply(Surface& s) {
  if (s.width <= 0 || s.height <= 0) return;
  const int w = s.width * s.scale, h = s.height * s.scale;
  if (s.window) {
    if (w == s.pixelWidth && h == s.pixelHeight) return;
    s.pixelWidth = w, s.pixelHeight = h;
    wl_egl_window_resize(s.window, w, h, 0, 0);
    SetOpaque(s);
    if (s.reported && sWl.events.resized) sWl.events.resized(&s, w, h);
    return;
  }
  s.window = wl_egl_window_create(s.surface, w, h);
  if (s.window)
    s.egl = egl.CreatePlatformWindowSurface(sWl.egl, sWl.config, s.window, sWl.surfaceAttribs);
  if (s.egl != EGL_NO_SURFACE)
    s.context = egl.CreateContext(sWl.egl, sWl.config, sWl.shared, sWl.contextAttribs);
  if (s.context == EGL_NO_CONTEXT || !egl.MakeCurrent(sWl.egl, s.egl, s.egl, s.context)) {
    std::fprintf(stderr, "lumitick: no OpenGL surface for an output (EGL error 0x%x)\n", egl.GetError());
    return;  // the output stays uncovered; the others go on
  }
  s.pixelWidth = w, s.pixelHeight = h;
  // A swap that waited for the compositor's frame callback would hold the
  // loop, input unread, while an output is powered down (no callbacks
  // come); Wayland does not tear, and the saver's pacer keeps the pace.
  egl.SwapInterval(sWl.egl, 0);
  SetOpaque(s);
  s.reported = true;
  if (sWl.events.added) sWl.events.added(&s, w, h);
}

void OnConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                 std::uint32_t height) {
  Surface& s = *static_cast<Surface*>(data);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  s.width = static_cast<int>(width);
  s.height = static_cast<int>(height);
  Apply(s);
}

void RemoveSurface(Surface* s);
void OnClosed(void* data, zwlr_layer_surface_v1*) { RemoveSurface(static_cast<Surface*>(data)); }
const zwlr_layer_surface_v1_listener kLayerListener = {OnConfigure, OnClosed};

void CreateLayer(Surface& s) {
  s.surface = wl_compositor_create_surface(sWl.compositor);
  s.layer = zwlr_layer_shell_v1_get_layer_surface(sWl.shell, s.surface, s.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                                   kNamespace);
  zwlr_layer_surface_v1_set_size(s.layer, 0, 0);
  zwlr_layer_surface_v1_set_anchor(s.layer,
                                   ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_exclusive_zone(s.layer, -1);
  zwlr_layer_surface_v1_set_keyboard_interactivity(s.layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  zwlr_layer_surface_v1_add_listener(s.layer, &kLayerListener, &s);
  wl_surface_commit(s.surface);  // no buffer yet: asks for the first configure
}

void RemoveSurface(Surface* s) {
  auto it = std::find_if(sWl.surfaces.begin(), sWl.surfaces.end(), [s](const auto& p) { return p.get() == s; });
  if (it == sWl.surfaces.end()) return;
  if (s->reported && sWl.events.removed) sWl.events.removed(s);
  if (s->context != EGL_NO_CONTEXT && egl.GetCurrentContext() == s->context)
    egl.MakeCurrent(sWl.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, sWl.shared);
  if (s->context != EGL_NO_CONTEXT) egl.DestroyContext(sWl.egl, s->context);
  if (s->egl != EGL_NO_SURFACE) egl.DestroySurface(sWl.egl, s->egl);
  if (s->window) wl_egl_window_destroy(s->window);
  if (s->layer) zwlr_layer_surface_v1_destroy(s->layer);
  if (s->surface) wl_surface_destroy(s->surface);
  if (s->outputVersion >= WL_OUTPUT_RELEASE_SINCE_VERSION) wl_output_release(s->output);
  else wl_output_destroy(s->output);
  sWl.surfaces.erase(it);
}

// ------------------------------------------------------------ outputs

void OnGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                const char*, const char*, std::int32_t) {}
void OnMode(void* data, wl_output*, std::uint32_t flags, std::int32_t, std::int32_t, std::int32_t refresh) {
  if (flags & WL_OUTPUT_MODE_CURRENT) static_cast<Surface*>(data)->refresh = refresh;
}
void OnOutputDone(void* data, wl_output*) {
  Surface& s = *static_cast<Surface*>(data);
  if (s.pendingScale == s.scale) return;
  s.scale = s.pendingScale;
  Apply(s);
}
void OnScale(void* data, wl_output*, std::int32_t factor) {
  static_cast<Surface*>(data)->pendingScale = std::max(1, std::min(factor, 8));
}
// (The events of later versions than the ones bound never come.)
const wl_output_listener kOutputListener = {OnGeometry, OnMode, OnOutputDone, OnScale, nullptr, nullptr};

// ------------------------------------------------------------ input

void OnKeymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); }
void OnKeyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void OnKeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void OnKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {
  if (sWl.events.input) sWl.events.input();
}
void OnModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void OnRepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
const wl_keyboard_listener kKeyboardListener = {OnKeymap,    OnKeyboardEnter, OnKeyboardLeave,
                                                OnKey,       OnModifiers,     OnRepeatInfo};

void OnPointerEnter(void*, wl_pointer* pointer, std::uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t) {
  wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // no cursor over the clock
}
void OnPointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
void OnMotion(void*, wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t) {}
void OnButton(void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {
  if (sWl.events.input) sWl.events.input();
}
void OnAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
const wl_pointer_listener kPointerListener = {OnPointerEnter, OnPointerLeave, OnMotion, OnButton, OnAxis,
                                              nullptr,        nullptr,        nullptr,  nullptr,  nullptr};

void OnCapabilities(void* data, wl_seat* seat, std::uint32_t caps) {
  Seat& s = *static_cast<Seat*>(data);
  const bool keyboard = caps & WL_SEAT_CAPABILITY_KEYBOARD, pointer = caps & WL_SEAT_CAPABILITY_POINTER;
  const bool release = s.version >= WL_KEYBOARD_RELEASE_SINCE_VERSION;
  if (keyboard && !s.keyboard) {
    s.keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(s.keyboard, &kKeyboardListener, nullptr);
  } else if (!keyboard && s.keyboard) {
    release ? wl_keyboard_release(s.keyboard) : wl_keyboard_destroy(s.keyboard);
    s.keyboard = nullptr;
  }
  if (pointer && !s.pointer) {
    s.pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(s.pointer, &kPointerListener, nullptr);
  } else if (!pointer && s.pointer) {
    release ? wl_pointer_release(s.pointer) : wl_pointer_destroy(s.pointer);
    s.pointer = nullptr;
  }
}
void OnSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {OnCapabilities, OnSeatName};

void RemoveSeat(std::uint32_t name) {
  for (auto it = sWl.seats.begin(); it != sWl.seats.end(); ++it) {
    Seat& s = **it;
    if (s.name != name) continue;
    OnCapabilities(&s, s.seat, 0);
    s.version >= WL_SEAT_RELEASE_SINCE_VERSION ? wl_seat_release(s.seat) : wl_seat_destroy(s.seat);
    sWl.seats.erase(it);
    return;
  }
}

// ------------------------------------------------------------ the registry

template <typename T>
T* Bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface, std::uint32_t version) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, version));
}

void OnGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  const std::string_view kind = interface;
  if (kind == wl_compositor_interface.name) {
    sWl.compositorVersion = std::min<std::uint32_t>(version, 4);
    sWl.compositor = Bind<wl_compositor>(registry, name, &wl_compositor_interface, sWl.compositorVersion);
  } else if (kind == zwlr_layer_shell_v1_interface.name) {
    sWl.shell = Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, std::min<std::uint32_t>(version, 4));
  } else if (kind == wl_output_interface.name && version >= 2) {
    auto s = std::make_unique<Surface>();
    s->outputName = name;
    s->outputVersion = std::min<std::uint32_t>(version, 3);
    s->output = Bind<wl_output>(registry, name, &wl_output_interface, s->outputVersion);
    wl_output_add_listener(s->output, &kOutputListener, s.get());
    if (sWl.started) CreateLayer(*s);
    sWl.surfaces.push_back(std::move(s));
  } else if (kind == wl_seat_interface.name) {
    auto s = std::make_unique<Seat>();
    s->name = name;
    s->version = std::min<std::uint32_t>(version, 3);
    s->seat = Bind<wl_seat>(registry, name, &wl_seat_interface, s->version);
    wl_seat_add_listener(s->seat, &kSeatListener, s.get());
    sWl.seats.push_back(std::move(s));
  }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t name) {
  for (const auto& s : sWl.surfaces)
    if (s->outputName == name) return RemoveSurface(s.get());
  RemoveSeat(name);
}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

bool CreateSharedContext(const char** why);

void Disconnect() {
  while (!sWl.surfaces.empty()) RemoveSurface(sWl.surfaces.back().get());
  if (sWl.egl != EGL_NO_DISPLAY) {
    egl.MakeCurrent(sWl.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    egl.Terminate(sWl.egl);
  }
  while (!sWl.seats.empty()) RemoveSeat(sWl.seats.back()->name);
  if (sWl.shell) zwlr_layer_shell_v1_destroy(sWl.shell);
  if (sWl.compositor) wl_compositor_destroy(sWl.compositor);
  if (sWl.registry) wl_registry_destroy(sWl.registry);
  wl_display_disconnect(sWl.display);
  sWl = Connection();
}

}  // namespace

// ------------------------------------------------------------ the facility

bool Connect(const char** why) {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (!name || !*name) {
    *why = "WAYLAND_DISPLAY is not set";
    return false;
  }
  sWl.display = wl_display_connect(nullptr);
  if (!sWl.display) {
    *why = "no Wayland compositor answers at WAYLAND_DISPLAY";
    return false;
  }
  sWl.registry = wl_display_get_registry(sWl.display);
  wl_registry_add_listener(sWl.registry, &kRegistryListener, nullptr);
  // The globals, then what the outputs and seats tell of themselves.
  if (wl_display_roundtrip(sWl.display) < 0 || !sWl.compositor || !sWl.shell ||
      wl_display_roundtrip(sWl.display) < 0) {
    *why = sWl.compositor ? "the compositor offers no layer shell (zwlr_layer_shell_v1)" : "the compositor offers no wl_compositor";
    Disconnect();
    return false;
  }
  if (!CreateSharedContext(why)) {
    std::fprintf(stderr, "lumitick: %s (EGL error 0x%x)\n", *why, egl.GetError ? egl.GetError() : 0);
    Disconnect();
    return false;
  }
  sWl.start = std::chrono::steady_clock::now();
  return true;
}

namespace {

bool CreateSharedContext(const char** why) {
  if (!LoadEGL()) {
    *why = "libEGL.so.1 cannot be loaded";
    return false;
  }
  sWl.egl = egl.GetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, sWl.display, nullptr);
  EGLint major = 0, minor = 0;
  if (sWl.egl == EGL_NO_DISPLAY || !egl.Initialize(sWl.egl, &major, &minor) || !egl.BindAPI(EGL_OPENGL_API)) {
    *why = "EGL offers no desktop OpenGL on this Wayland display";
    return false;
  }
  // The window library's defaults (8-bit colour, 24-bit depth, 8-bit
  // stencil). The compositor must not blend the saver with what lies under
  // it (its first frames are cleared to transparent black): where EGL can
  // present the buffers as opaque (EGL_EXT_present_opaque) the alpha
  // channel stays, else a configuration without one is taken. Exactly 8
  // bits a colour: EGL lists its 10-bit ones first, where the static
  // layer's copies would round (and cost several times as much).
  static const EGLAttrib kOpaque[] = {EGL_PRESENT_OPAQUE_EXT, EGL_TRUE, EGL_NONE};
  const char* extensions = egl.QueryString(sWl.egl, EGL_EXTENSIONS);
  const bool presentOpaque = extensions && std::strstr(extensions, "EGL_EXT_present_opaque");
  if (presentOpaque) sWl.surfaceAttribs = kOpaque;
  const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                  EGL_RED_SIZE,     8,              EGL_GREEN_SIZE,      8,
                                  EGL_BLUE_SIZE,    8,              EGL_DEPTH_SIZE,      24,
                                  EGL_STENCIL_SIZE, 8,              EGL_NONE};
  EGLConfig configs[64];
  EGLint count = 0;
  egl.ChooseConfig(sWl.egl, configAttribs, configs, 64, &count);
  for (EGLint i = 0; i < count && !sWl.config; ++i) {
    EGLint red = 0, green = 0, blue = 0, alpha = -1;
    egl.GetConfigAttrib(sWl.egl, configs[i], EGL_RED_SIZE, &red);
    egl.GetConfigAttrib(sWl.egl, configs[i], EGL_GREEN_SIZE, &green);
    egl.GetConfigAttrib(sWl.egl, configs[i], EGL_BLUE_SIZE, &blue);
    egl.GetConfigAttrib(sWl.egl, configs[i], EGL_ALPHA_SIZE, &alpha);
    if (red == 8 && green == 8 && blue == 8 && alpha == (presentOpaque ? 8 : 0)) sWl.config = configs[i];
  }
  if (!sWl.config && count > 0) sWl.config = configs[0];
  // The saver's request: OpenGL 2.0 or a compatible later version, with
  // robust access and lose-context-on-reset; without robustness where the
  // driver has none, rather than no clock.
  static const EGLint kRobust[] = {EGL_CONTEXT_MAJOR_VERSION_KHR, 2, EGL_CONTEXT_MINOR_VERSION_KHR, 0,
                                   EGL_CONTEXT_FLAGS_KHR, EGL_CONTEXT_OPENGL_ROBUST_ACCESS_BIT_KHR,
                                   EGL_CONTEXT_OPENGL_RESET_NOTIFICATION_STRATEGY_KHR, EGL_LOSE_CONTEXT_ON_RESET_KHR,
                                   EGL_NONE};
  static const EGLint kPlain[] = {EGL_CONTEXT_MAJOR_VERSION_KHR, 2, EGL_CONTEXT_MINOR_VERSION_KHR, 0, EGL_NONE};
  for (const EGLint* attribs : {kRobust, kPlain}) {
    if (!sWl.config || sWl.shared != EGL_NO_CONTEXT) break;
    sWl.shared = egl.CreateContext(sWl.egl, sWl.config, EGL_NO_CONTEXT, attribs);
    sWl.contextAttribs = attribs;
  }
  // Current without a surface (EGL_KHR_surfaceless_context): the scene is
  // set up before any output has a surface, and outlives them all.
  if (sWl.shared == EGL_NO_CONTEXT || !egl.MakeCurrent(sWl.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, sWl.shared)) {
    *why = "EGL gives no OpenGL 2.0 context on this Wayland display";
    return false;
  }
  platform::UseEGLForGL(reinterpret_cast<void* (*)(const char*)>(egl.GetProcAddress));
  return true;
}

}  // namespace

void Start(const Events& events) {
  sWl.events = events;
  sWl.started = true;
  for (const auto& s : sWl.surfaces) CreateLayer(*s);
  wl_display_roundtrip(sWl.display);  // their first configures
}

bool Dispatch(double wait) {
  wl_display* d = sWl.display;
  while (wl_display_prepare_read(d) != 0)
    if (wl_display_dispatch_pending(d) < 0) return false;
  if (wl_display_flush(d) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(d);
    return false;
  }
  pollfd fd{wl_display_get_fd(d), POLLIN, 0};
  const int timeout = wait > 0.0 ? static_cast<int>(wait * 1000.0 + 0.5) : 0;
  if (poll(&fd, 1, timeout) > 0) {
    if (wl_display_read_events(d) < 0) return false;
  } else {
    wl_display_cancel_read(d);
  }
  return wl_display_dispatch_pending(d) >= 0;
}

void MakeCurrent(Surface* s) {
  if (egl.GetCurrentContext() != s->context || egl.GetCurrentSurface(EGL_DRAW) != s->egl)
    egl.MakeCurrent(sWl.egl, s->egl, s->egl, s->context);
}

namespace {

// EGL_EXT_buffer_age and EGL_KHR_swap_buffers_with_damage, where the driver
// offers them (llvmpipe on Wayland offers neither: whole swaps, age unknown).
using SwapWithDamage = PFNEGLSWAPBUFFERSWITHDAMAGEKHRPROC;

class SurfacePresenter : public FramePresenter {
 public:
  explicit SurfacePresenter(Surface* s) : s(s) {
    const char* extensions = egl.QueryString(sWl.egl, EGL_EXTENSIONS);
    hasAge = extensions && std::strstr(extensions, "EGL_EXT_buffer_age");
    if (extensions && std::strstr(extensions, "EGL_KHR_swap_buffers_with_damage"))
      withDamage = reinterpret_cast<SwapWithDamage>(egl.GetProcAddress("eglSwapBuffersWithDamageKHR"));
  }
  int BackBufferAge() override {
    EGLint age = 0;
    if (!hasAge || !egl.QuerySurface(sWl.egl, s->egl, EGL_BUFFER_AGE_EXT, &age)) return 0;
    return age;
  }
  void Present(const PresentRect* rects, int count) override {
    if (!rects || !withDamage || count <= 0) {
      egl.SwapBuffers(sWl.egl, s->egl);
      return;
    }
    EGLint boxes[4 * 16];
    const int n = count < 16 ? count : 16;
    for (int i = 0; i < n; ++i) {
      boxes[4 * i] = rects[i].x, boxes[4 * i + 1] = rects[i].y;
      boxes[4 * i + 2] = rects[i].width, boxes[4 * i + 3] = rects[i].height;
    }
    if (count > n || !withDamage(sWl.egl, s->egl, boxes, n)) egl.SwapBuffers(sWl.egl, s->egl);
  }

 private:
  Surface* s;
  bool hasAge = false;
  SwapWithDamage withDamage = nullptr;
};

}  // namespace

std::unique_ptr<FramePresenter> MakePresenter(Surface* s) { return std::unique_ptr<FramePresenter>(new SurfacePresenter(s)); }

int RefreshRate() {
  for (const auto& s : sWl.surfaces)
    if (s->refresh > 0) return (s->refresh + 500) / 1000;
  return 0;
}

double Timer() { return std::chrono::duration<double>(std::chrono::steady_clock::now() - sWl.start).count(); }

}  // namespace layer_shell
}  // namespace platform
