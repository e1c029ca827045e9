// The full-screen saver on a Wayland compositor that offers the wlr layer
// shell (sway and the other wlroots compositors, KDE Plasma): one
// overlay-layer surface per output, anchored to every edge, with no
// exclusive zone and the keyboard to itself, the cursor hidden over it, at
// the output's size and scale. Each surface draws through an EGL window
// surface with an OpenGL context of its own (the saver's 2.0 request) that
// shares the objects of one context made first without a surface, which
// holds the scene's pictures whatever outputs come and go. Nothing asks the
// compositor to keep the session awake: its idle steps come on time.
//
// Outputs added while the saver runs get a surface; one whose output goes
// (or that the compositor closes) is reported and freed. Any key or button
// event is reported; pointer motion and the wheel are not.
//
// Back end: layer_shell_wayland.cpp (libwayland-client, wayland-egl, EGL),
// built only where those are found (LUMITICK_WAYLAND).
#pragma once

#include <memory>

#include "platform/partial_present.h"

namespace platform {
namespace layer_shell {

struct Surface;  // one output's

struct Events {
  void (*added)(Surface* surface, int width, int height);    // ready to draw into, pixels
  void (*removed)(Surface* surface);                         // freed once this returns
  void (*resized)(Surface* surface, int width, int height);  // its buffer's new size
  void (*input)();                                           // a key or a button
};

// Connects to $WAYLAND_DISPLAY and, when the compositor offers the layer
// shell, makes EGL's display on it (the desktop OpenGL API) and the context
// that surfaces share, current without a surface; the OpenGL entry points
// are taken through EGL from then on. False otherwise, with everything
// closed again, `why` saying why in a few words (EGL's failures are also
// told on standard error: the compositor was fit, the driver was not).
bool Connect(const char** why);

// Makes a surface for every output, reports each through `events` once the
// compositor has sized it (the first ones before this returns), and from
// then on follows the outputs.
void Start(const Events& events);

// Handles the compositor's pending events, waiting up to `wait` seconds
// for the first when there are none (0: not at all). False once the
// connection is broken (the compositor has gone).
bool Dispatch(double wait = 0.0);

void MakeCurrent(Surface* surface);  // its context and its EGL surface
// Presents the surface's frames without waiting for the compositor: its
// buffer age and damaged rectangles where EGL offers them.
std::unique_ptr<FramePresenter> MakePresenter(Surface* surface);

// The first output's refresh rate in Hz; 0 when none has reported one.
int RefreshRate();

// Steady seconds since Connect: the scene's timer on this road, where the
// window library is not started (its timer too counts from its start).
double Timer();

}  // namespace layer_shell
}  // namespace platform
