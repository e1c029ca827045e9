#include "app/ScreensaverApp.h"

#include <GLFW/glfw3.h>

#include <cstdlib>

#include "app/SaverWindows.h"
#include "gl/GLEntryPoints.h"
#include "platform/message_box.h"
#include "platform/os_version.h"

int gWindowWidth = 0;
int gWindowHeight = 0;
float gAspectRatio = 1.0f;
CHostedTarget gHosted;
bool gLayerShell = false;
CScreensaverApp* gApp = nullptr;

namespace {

void OnLibraryError(int /*code*/, const char* description) {
  platform::ShowMessageBox(description, "Error", platform::MessageIcon::Information);
}

// Every saver window's size reaches its view, the primary window's the size
// state. (An event before the window list is made, as a modal box in a
// developer build may deliver, is the primary window's.)
void OnWindowSize(GLFWwindow* window, int width, int height) {
  if (gSaverWindows) gSaverWindows->Resized(window, width, height);
  else StoreWindowSize(width, height);
}

// Any key event and any mouse button end the full-screen saver at once. A
// preview and a window an xscreensaver-style host hands us live as long as
// their host wants: input there is the host's business.
bool InputEndsSaver() { return !gHosted.active && gArgs->mode != ScreensaverMode::Preview; }

void OnKey(GLFWwindow*, int, int, int, int) {
  if (InputEndsSaver()) std::exit(0);
}

void OnMouseButton(GLFWwindow*, int, int, int) {
  if (InputEndsSaver()) std::exit(0);
}

// The window's picture was lost: the next frame is presented whole.
void OnRefresh(GLFWwindow* window) {
  if (gSaverWindows) gSaverWindows->Exposed(window);
}

void OnCursorPos(GLFWwindow*, double, double) {}
void OnScroll(GLFWwindow*, double, double) {}

}  // namespace

void StoreWindowSize(int width, int height) {
  gWindowWidth = width;
  gWindowHeight = height;
  if (width > 0 && height > 0) gAspectRatio = static_cast<float>(width) / static_cast<float>(height);
}

void ChooseFullScreenSize(int windowsVersion, int modeWidth, int modeHeight, int* width, int* height) {
  const bool monitorMode = windowsVersion == platform::kNotWindows || windowsVersion >= 60;
  if (monitorMode && modeWidth > 0 && modeHeight > 0) {
    *width = modeWidth;
    *height = modeHeight;
  } else {
    *width = 800;
    *height = 600;
  }
}

CScreensaverApp::CScreensaverApp(CScreensaverArgs* a) : args(a) {
  if (gLayerShell) {
    OpenLayerSurfaces();
    return;
  }
  InitLibrary();
  ChooseWindowSize();
  OpenSaverWindow();
  InitGLState();
  new CSaverWindows(window, gWindowWidth, gWindowHeight, FullScreen(), host);
}

bool CScreensaverApp::FullScreen() const { return !gHosted.active && args->mode != ScreensaverMode::Preview; }

int CScreensaverApp::GetWindowsVersion() { return platform::GetWindowsVersion(); }

int CScreensaverApp::GetPrimaryModeSize(int which) {
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
  if (!mode) return 0;
  return which == 0 ? mode->width : mode->height;
}

void CScreensaverApp::SetSwapInterval(bool on) { glfwSwapInterval(on ? 1 : 0); }

void CScreensaverApp::InitLibrary() {
  glfwSetErrorCallback(OnLibraryError);
  if (!glfwInit())
    platform::ShowMessageBox("Failed to initialize GLFW", "Debug", platform::MessageIcon::Information);
}

void CScreensaverApp::ChooseWindowSize() {
  int width = 0, height = 0;
  if (gHosted.active && gHosted.window == 0) gHosted.window = platform::RootHostWindow();
  host = gHosted.active ? gHosted.window
                        : (args->mode == ScreensaverMode::Preview ? static_cast<platform::NativeHandle>(static_cast<std::uint32_t>(args->parentWindow)) : 0);
  if (!FullScreen()) {
    platform::GetHostClientSize(host, &width, &height);  // a bogus handle leaves 0 x 0
  } else {
    ChooseFullScreenSize(GetWindowsVersion(), GetPrimaryModeSize(0), GetPrimaryModeSize(1), &width, &height);
  }
  StoreWindowSize(width, height);
}

void SetSaverWindowHints() {
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 2);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
  glfwWindowHint(GLFW_CONTEXT_ROBUSTNESS, GLFW_LOSE_CONTEXT_ON_RESET);
  glfwWindowHint(GLFW_SAMPLES, 0);
  glfwWindowHint(GLFW_STEREO, 0);
}

void CScreensaverApp::OpenSaverWindow() {
  SetSaverWindowHints();

  if (!FullScreen()) {
    window = platform::CreateWindowInHost(host);
  } else {
    // Losing the focus ends the saver (SaverWindows); the library must not
    // iconify the window first, nor one full-screen window when another
    // takes the focus.
    glfwWindowHint(GLFW_AUTO_ICONIFY, GLFW_FALSE);
    window = glfwCreateWindow(gWindowWidth, gWindowHeight, "Lumitick Screensaver", glfwGetPrimaryMonitor(), nullptr);
  }
  if (!window) {
    platform::ShowMessageBox("Failed to open window", "Debug", platform::MessageIcon::Information);
    glfwTerminate();
    std::exit(0);
  }

  InstallSaverCallbacks(window);
  glfwMakeContextCurrent(window);
  SetSaverIcon(window);
  InitGLEntryPoints();  // the status only concerns the context's major version
#if defined(LUMITICK_SHOW_GL_CAPABILITIES)
  ShowGLCapabilities();
#endif
}

void InstallSaverCallbacks(GLFWwindow* window) {
  glfwSetWindowSizeCallback(window, OnWindowSize);
  glfwSetKeyCallback(window, OnKey);
  glfwSetMouseButtonCallback(window, OnMouseButton);
  glfwSetCursorPosCallback(window, OnCursorPos);
  glfwSetScrollCallback(window, OnScroll);
  glfwSetWindowRefreshCallback(window, OnRefresh);
}

void SetFixedGLState() {
  // The loader leaves a pointer null when the driver lacks the function;
  // these four are core since 1.0, but a broken driver must not crash us.
  if (glCullFace) glCullFace(GL_BACK);
  if (glFrontFace) glFrontFace(GL_CW);
  if (glDisable) {
    glDisable(GL_MULTISAMPLE);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
  }
}

// The layer shell's road (its shared context is current): the entry points
// through EGL, then a surface on every output.
void CScreensaverApp::OpenLayerSurfaces() {
#if defined(LUMITICK_WAYLAND)
  InitGLEntryPoints();
#if defined(LUMITICK_SHOW_GL_CAPABILITIES)
  ShowGLCapabilities();
#endif
  SetFixedGLState();
  new CSaverWindows();
#endif
}

void CScreensaverApp::InitGLState() {
  SetFixedGLState();
  SetSwapInterval(true);
  glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
}

void CScreensaverApp::SetSaverIcon(GLFWwindow* w) {
  static unsigned char pixels[kSaverIconSize * kSaverIconSize * 4];
  BuildSaverIcon(pixels);
  GLFWimage image{kSaverIconSize, kSaverIconSize, pixels};
  glfwSetWindowIcon(w, 1, &image);
}
