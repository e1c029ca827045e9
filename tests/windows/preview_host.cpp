// A stand-in for the display settings: a top-level window of its own process
// whose handle the saver gets as "/p HANDLE", and a probe of what the saver
// does with it. Prints "hwnd N" once the window is shown, then answers one
// command per line on standard input (replies end with "end"):
//   children        one line per child window: class, client size, whether
//                   it belongs to this process, its pixel format
//   resize W H      sets the client area to W x H
//   disable|enable  EnableWindow on the host
//   destroy         DestroyWindow on the host (the settings dialog closing)
//   input           posts a key press and release and a left click to every
//                   child window, as a user's in the preview; one line each
//   boxes           one line per message box on the desktop ("box TITLE|TEXT"),
//                   each of which is then closed with OK
//   quit            ends the program
// The window keeps pumping messages while a command is awaited, as a real
// settings dialog would, so the saver's requests to it never stall.
//
//   preview_host [W H [popup]]
//
// "popup" makes the host a borderless popup, whose client area may be empty
// (0 x 0): framed windows are kept at a minimum size by the system.
#undef APIENTRY
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

namespace {

constexpr UINT kCommand = WM_APP + 1;

void Reply(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

BOOL CALLBACK ListChild(HWND child, LPARAM) {
  char name[128] = "";
  GetClassNameA(child, name, sizeof name);
  RECT r{};
  GetClientRect(child, &r);
  DWORD pid = 0;
  GetWindowThreadProcessId(child, &pid);
  HDC dc = GetDC(child);
  const int format = dc ? GetPixelFormat(dc) : 0;
  if (dc) ReleaseDC(child, dc);
  Reply(std::string("child ") + name + " " + std::to_string(r.right - r.left) + "x" +
        std::to_string(r.bottom - r.top) + (pid == GetCurrentProcessId() ? " own" : " other") +
        " pf=" + std::to_string(format) + (IsWindowVisible(child) ? " visible" : " hidden"));
  return TRUE;
}

BOOL CALLBACK ListBox(HWND hwnd, LPARAM) {
  char name[64] = "";
  GetClassNameA(hwnd, name, sizeof name);
  if (std::string(name) != "#32770" || !IsWindowVisible(hwnd)) return TRUE;
  char title[256] = "", text[1024] = "";
  GetWindowTextA(hwnd, title, sizeof title);
  GetDlgItemTextA(hwnd, 0xFFFF, text, sizeof text);  // the box's static text
  Reply(std::string("box ") + title + "|" + text);
  PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
  return TRUE;
}

BOOL CALLBACK PostInput(HWND child, LPARAM) {
  const LPARAM at = MAKELPARAM(10, 10);
  const bool posted = PostMessageW(child, WM_KEYDOWN, 'A', 0x001E0001) &&
                      PostMessageW(child, WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001u)) &&
                      PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, at) && PostMessageW(child, WM_LBUTTONUP, 0, at);
  char name[128] = "";
  GetClassNameA(child, name, sizeof name);
  Reply(std::string(posted ? "input " : "no input ") + name);
  return TRUE;
}

void Handle(HWND host, const std::string& line) {
  if (line == "children") {
    EnumChildWindows(host, ListChild, 0);
  } else if (line.rfind("resize ", 0) == 0) {
    int w = 0, h = 0;
    std::sscanf(line.c_str() + 7, "%d %d", &w, &h);
    RECT r{0, 0, w, h};
    AdjustWindowRectEx(&r, GetWindowLongW(host, GWL_STYLE), FALSE, GetWindowLongW(host, GWL_EXSTYLE));
    SetWindowPos(host, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  } else if (line == "disable" || line == "enable") {
    EnableWindow(host, line == "enable");
  } else if (line == "input") {
    EnumChildWindows(host, PostInput, 0);
  } else if (line == "destroy") {
    Reply(DestroyWindow(host) ? "destroyed" : "not destroyed");
  } else if (line == "boxes") {
    EnumWindows(ListBox, 0);
  } else if (line == "quit") {
    PostQuitMessage(0);
  } else {
    Reply("unknown " + line);
  }
  Reply("end");
}

}  // namespace

int main(int argc, char** argv) {
  const int width = argc > 2 ? std::atoi(argv[1]) : 320;
  const int height = argc > 2 ? std::atoi(argv[2]) : 240;
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "LumitickPreviewHost";
  RegisterClassA(&wc);
  const bool popup = argc > 3 && std::string(argv[3]) == "popup";
  const DWORD style = (popup ? WS_POPUP : WS_OVERLAPPEDWINDOW) | WS_CLIPCHILDREN;
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  HWND host = CreateWindowExA(0, "LumitickPreviewHost", "Preview host", style | WS_VISIBLE, 50, 50,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
  if (!host) return 1;
  Reply("hwnd " + std::to_string(reinterpret_cast<std::uintptr_t>(host)));

  const DWORD mainThread = GetCurrentThreadId();
  std::thread reader([mainThread] {
    std::string line;
    while (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      PostThreadMessageA(mainThread, kCommand, 0, reinterpret_cast<LPARAM>(new std::string(line)));
    }
    PostThreadMessageA(mainThread, kCommand, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
  });
  reader.detach();

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == kCommand) {
      std::string* line = reinterpret_cast<std::string*>(msg.lParam);
      Handle(host, *line);
      delete line;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  std::_Exit(0);  // the reader may still be blocked on standard input
}
