// Presenting a saver window's frames: whole, with a buffer swap, or, where
// the window system offers it, only the rectangles that changed; and how
// old the back buffer's content is, so that a frame need restore only what
// that content lacks.
//
// X11 (GLX): the age from GLX_EXT_buffer_age after a swap; the rectangles
// with GLX_MESA_copy_sub_buffer, which copies them from the back buffer to
// the window without a swap, so that the back buffer still holds the frame
// just presented (its age is then 1, whatever the driver reports). Windows
// (WGL offers neither): every present is a swap, the age unknown.
//
// A view on another kind of surface presents through the same interface:
// on Wayland with EGL, the age from eglQuerySurface(EGL_BUFFER_AGE_EXT)
// (EGL_EXT_buffer_age) and the rectangles with eglSwapBuffersWithDamageKHR
// (EGL_KHR_swap_buffers_with_damage; a swap, so the age is the query's
// afterwards; the rectangles are in the same bottom-left pixels).
#pragma once

#include <memory>

struct GLFWwindow;

namespace platform {

// A rectangle of the window's pixels, x and y from the bottom left.
struct PresentRect {
  int x, y, width, height;
};

class FramePresenter {
 public:
  virtual ~FramePresenter() = default;
  // With the window's context current, before a frame is drawn: the back
  // buffer holds the frame presented that many presents ago (1: the last
  // one); 0 when that is unknown.
  virtual int BackBufferAge() = 0;
  // With the window's context current and its frame finished: presents the
  // whole back buffer (`rects` null), or the `count` rectangles of it that
  // changed since the last present (the whole, where the window system
  // takes no rectangles).
  virtual void Present(const PresentRect* rects, int count) = 0;
};

// The presenter of a GLFW window.
std::unique_ptr<FramePresenter> MakeWindowPresenter(GLFWwindow* window);

}  // namespace platform
