// glfwCreateWindowFromHandle and the Win32 host-window back end, in process:
// a native window of the test's own is adopted, drawn into and read back,
// and handed back intact by glfwDestroyWindow and glfwTerminate.
#undef APIENTRY
#include <windows.h>

#include <gtest/gtest.h>

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_WIN32
#include <GLFW/glfw3native.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "glfw_from_handle.h"
#include "platform/host_window.h"

namespace {

int sMessages = 0;  // messages that reached the window's own procedure
std::string sLastError;
int sResizeWidth = 0, sResizeHeight = 0;

LRESULT CALLBACK OwnProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ++sMessages;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeNativeWindow(DWORD style, DWORD exStyle = 0) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = OwnProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LumitickAdoptTest";
    registered = RegisterClassW(&wc) != 0;
  }
  RECT r{0, 0, 160, 120};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return CreateWindowExW(exStyle, L"LumitickAdoptTest", L"adopt test", style | WS_VISIBLE, 40, 40,
                         r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

WNDPROC ProcOf(HWND hwnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)); }

void SaverHints() {
  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 2);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
  glfwWindowHint(GLFW_CONTEXT_ROBUSTNESS, GLFW_LOSE_CONTEXT_ON_RESET);
  glfwWindowHint(GLFW_SAMPLES, 0);
}

class AdoptWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    glfwSetErrorCallback([](int, const char* text) { sLastError = text ? text : ""; });
    ASSERT_TRUE(glfwInit());
    SaverHints();
    sLastError.clear();
  }
  void TearDown() override { glfwTerminate(); }
};

TEST_F(AdoptWindow, DrawsIntoTheNativeWindowAndGivesItBack) {
  HWND native = MakeNativeWindow(WS_OVERLAPPEDWINDOW);
  ASSERT_NE(native, nullptr);
  GLFWwindow* window = glfwCreateWindowFromHandle(native, nullptr);
  ASSERT_NE(window, nullptr) << sLastError;
  EXPECT_EQ(glfwGetWin32Window(window), native);
  EXPECT_NE(ProcOf(native), OwnProc);  // the library's procedure took over
  EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_RESIZABLE), GLFW_TRUE);
  EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_DECORATED), GLFW_TRUE);
  EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_FLOATING), GLFW_FALSE);
  int w = 0, h = 0;
  glfwGetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 160);
  EXPECT_EQ(h, 120);

  // Draw two colours into the back buffer and read them back.
  glfwMakeContextCurrent(window);
  InitGLEntryPoints();
  ASSERT_NE(glClearColor, nullptr);
  glViewport(0, 0, 160, 120);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(80, 0, 80, 120);
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glFinish();
  std::vector<unsigned char> px(160 * 120 * 4);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, 160, 120, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  auto at = [&](int x, int y) { return &px[(y * 160 + x) * 4]; };
  EXPECT_EQ(at(10, 60)[0], 255);
  EXPECT_EQ(at(10, 60)[2], 0);
  EXPECT_EQ(at(150, 60)[0], 0);
  EXPECT_EQ(at(150, 60)[2], 255);
  glfwSwapBuffers(window);

  // Size events of the native window reach the library's callbacks.
  glfwSetWindowSizeCallback(window, [](GLFWwindow*, int width, int height) {
    sResizeWidth = width;
    sResizeHeight = height;
  });
  RECT r{0, 0, 200, 100};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  SetWindowPos(native, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  glfwPollEvents();
  EXPECT_EQ(sResizeWidth, 200);
  EXPECT_EQ(sResizeHeight, 100);

  glfwMakeContextCurrent(nullptr);
  glfwDestroyWindow(window);
  EXPECT_TRUE(IsWindow(native));
  EXPECT_EQ(ProcOf(native), OwnProc);
  EXPECT_EQ(GetPropW(native, L"GLFW"), nullptr);
  const int before = sMessages;
  SendMessageW(native, WM_NULL, 0, 0);
  EXPECT_EQ(sMessages, before + 1);  // messages reach the window's own procedure again
  DestroyWindow(native);
}

TEST_F(AdoptWindow, TerminateLeavesAdoptedWindowsAlive) {
  HWND first = MakeNativeWindow(WS_POPUP, WS_EX_TOPMOST);
  HWND second = MakeNativeWindow(WS_OVERLAPPED | WS_BORDER);
  GLFWwindow* a = glfwCreateWindowFromHandle(first, nullptr);
  GLFWwindow* b = glfwCreateWindowFromHandle(second, nullptr);
  ASSERT_NE(a, nullptr) << sLastError;
  ASSERT_NE(b, nullptr) << sLastError;
  EXPECT_EQ(glfwGetWindowAttrib(a, GLFW_RESIZABLE), GLFW_FALSE);
  EXPECT_EQ(glfwGetWindowAttrib(a, GLFW_DECORATED), GLFW_FALSE);
  EXPECT_EQ(glfwGetWindowAttrib(a, GLFW_FLOATING), GLFW_TRUE);
  EXPECT_EQ(glfwGetWindowAttrib(b, GLFW_RESIZABLE), GLFW_FALSE);
  EXPECT_EQ(glfwGetWindowAttrib(b, GLFW_DECORATED), GLFW_TRUE);
  glfwTerminate();
  for (HWND hwnd : {first, second}) {
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(ProcOf(hwnd), OwnProc);
    EXPECT_EQ(GetPropW(hwnd, L"GLFW"), nullptr);
    DestroyWindow(hwnd);
  }
  ASSERT_TRUE(glfwInit());  // for TearDown
}

TEST_F(AdoptWindow, RefusesWhatItCannotAdopt) {
  // Not a window at all.
  EXPECT_EQ(glfwCreateWindowFromHandle(reinterpret_cast<HWND>(static_cast<std::intptr_t>(0x7654321)), nullptr), nullptr);
  EXPECT_FALSE(sLastError.empty());
  EXPECT_EQ(glfwCreateWindowFromHandle(nullptr, nullptr), nullptr);
  // A share window without a context.
  HWND native = MakeNativeWindow(WS_POPUP);
  glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
  GLFWwindow* bare = glfwCreateWindowFromHandle(native, nullptr);
  ASSERT_NE(bare, nullptr);
  SaverHints();
  HWND other = MakeNativeWindow(WS_POPUP);
  sLastError.clear();
  EXPECT_EQ(glfwCreateWindowFromHandle(other, bare), nullptr);
  EXPECT_FALSE(sLastError.empty());
  EXPECT_EQ(ProcOf(other), OwnProc);  // left untouched
  glfwDestroyWindow(bare);
  EXPECT_EQ(ProcOf(native), OwnProc);
  DestroyWindow(native);
  DestroyWindow(other);
  // Not initialised.
  glfwTerminate();
  sLastError.clear();
  HWND late = MakeNativeWindow(WS_POPUP);
  EXPECT_EQ(glfwCreateWindowFromHandle(late, nullptr), nullptr);
  EXPECT_FALSE(sLastError.empty());
  EXPECT_EQ(ProcOf(late), OwnProc);
  DestroyWindow(late);
  ASSERT_TRUE(glfwInit());
}

TEST_F(AdoptWindow, HostOfThisProcessIsAdoptedItself) {
  HWND host = MakeNativeWindow(WS_OVERLAPPEDWINDOW);
  const auto handle = static_cast<platform::NativeHandle>(reinterpret_cast<std::uintptr_t>(host));
  int w = 0, h = 0;
  ASSERT_TRUE(platform::GetHostClientSize(handle, &w, &h));
  EXPECT_EQ(w, 160);
  EXPECT_EQ(h, 120);
  GLFWwindow* window = platform::CreateWindowInHost(handle);
  ASSERT_NE(window, nullptr) << sLastError;
  EXPECT_EQ(glfwGetWin32Window(window), host);  // no child window in between
  EXPECT_TRUE(platform::IsHostWindowEnabled(handle));
  EnableWindow(host, FALSE);
  EXPECT_FALSE(platform::IsHostWindowEnabled(handle));
  glfwDestroyWindow(window);
  EXPECT_EQ(ProcOf(host), OwnProc);
  DestroyWindow(host);
}

TEST_F(AdoptWindow, BogusHostGivesNoWindow) {
  const platform::NativeHandle bogus = 0x7654321;
  int w = -1, h = -1;
  EXPECT_FALSE(platform::GetHostClientSize(bogus, &w, &h));
  EXPECT_EQ(w, -1);
  EXPECT_EQ(platform::CreateWindowInHost(bogus), nullptr);
  EXPECT_EQ(platform::CreateWindowInHost(0), nullptr);
  EXPECT_FALSE(platform::IsHostWindowEnabled(bogus));
}

}  // namespace
