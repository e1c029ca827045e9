// Windows back end of host windows: the preview area of the display settings
// ("/p HANDLE").
//
// A host of this process is adopted as it is (glfwCreateWindowFromHandle).
// Windows refuses to replace the window procedure of another process's window
// and to set its pixel format, so such a host gets a child window of ours
// over its whole client area, and the child is adopted instead; the child
// follows the host's client size once a frame and goes away with the host.
// A handle that names no window gives no window at all (drawing on it would
// mean drawing on the whole screen).
#undef APIENTRY  // given by the build for the OpenGL header; windows.h has its own
#include <windows.h>

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_WIN32
#include <GLFW/glfw3native.h>

#include <cstdint>

#include "glfw_from_handle.h"
#include "platform/host_window.h"

namespace platform {

namespace {

const wchar_t kChildClass[] = L"LumitickPreviewChild";

// Handles travel as 32-bit numbers on the command line; 64-bit Windows
// sign-extends them.
HWND ToHwnd(NativeHandle host) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(host))));
}

bool IsRealWindow(HWND hwnd) { return hwnd && IsWindow(hwnd); }

bool OwnedByThisProcess(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid == GetCurrentProcessId();
}

bool ClientSize(HWND hwnd, int* width, int* height) {
  RECT rect;
  if (!GetClientRect(hwnd, &rect)) return false;
  *width = rect.right - rect.left;
  *height = rect.bottom - rect.top;
  return true;
}

HWND CreateChildOf(HWND host) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, kChildClass, &wc)) {
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC;  // one device context for the GL context's life
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kChildClass;
    if (!RegisterClassExW(&wc)) return nullptr;
  }
  int width = 0, height = 0;
  if (!ClientSize(host, &width, &height)) return nullptr;
  return CreateWindowExW(0, kChildClass, L"Lumitick Screensaver",
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                         width, height, host, nullptr, instance, nullptr);
}

}  // namespace

bool GetHostClientSize(NativeHandle host, int* width, int* height) {
  HWND hwnd = ToHwnd(host);
  if (!IsRealWindow(hwnd)) return false;
  return ClientSize(hwnd, width, height);
}

GLFWwindow* CreateWindowInHost(NativeHandle host) {
  HWND hwnd = ToHwnd(host);
  if (!IsRealWindow(hwnd)) return nullptr;
  if (OwnedByThisProcess(hwnd)) return glfwCreateWindowFromHandle(hwnd, nullptr);

  HWND child = CreateChildOf(hwnd);
  if (!child) return nullptr;
  GLFWwindow* window = glfwCreateWindowFromHandle(child, nullptr);
  if (!window) DestroyWindow(child);
  return window;
}

void FollowHostSize(GLFWwindow* window, NativeHandle host) {
  HWND hwnd = ToHwnd(host);
  if (!window || !IsRealWindow(hwnd)) return;
  HWND own = glfwGetWin32Window(window);
  if (!own || own == hwnd) return;  // the host itself: its size events arrive directly
  int hostWidth = 0, hostHeight = 0, width = 0, height = 0;
  if (!ClientSize(hwnd, &hostWidth, &hostHeight) || !ClientSize(own, &width, &height)) return;
  if (hostWidth != width || hostHeight != height)
    SetWindowPos(own, nullptr, 0, 0, hostWidth, hostHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsHostWindowEnabled(NativeHandle host) { return IsWindowEnabled(ToHwnd(host)) != FALSE; }

NativeHandle RootHostWindow() { return 0; }

}  // namespace platform
