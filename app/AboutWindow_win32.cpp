// Win32 About window: a fixed-size window of class "VexomarqWindowClass" with
// the title, the picture (bitmap 101), the maker lines and a "Visit website"
// button, built with the 8-bit ("A") calls and run by its own message loop.
// The texts, colours and layout are shared with the X11 window
// (app/AboutWindow.h).
#undef APIENTRY  // given by the build for the OpenGL header; windows.h has its own
#include <windows.h>

#include <string>

#include "app/AboutWindow.h"
#include "platform/message_box.h"
#include "platform/url_opener.h"

namespace {

HWND gAboutWindow = nullptr;
HWND gAboutTitle = nullptr;
HWND gAboutText = nullptr;
HWND gAboutButton = nullptr;
HBITMAP gAboutBitmap = nullptr;

// The shared texts are UTF-8; the "A" calls take the system's code page.
std::string ToAnsi(const char* utf8) {
  const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (wideLength <= 0) return utf8;
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], wideLength);
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return utf8;
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], length, nullptr, nullptr);
  ansi.resize(static_cast<std::size_t>(length) - 1);  // the terminator
  return ansi;
}

HFONT MakeFont(const about::FontSpec& wanted) {
  return CreateFontA(wanted.height, wanted.width, 0, 0, wanted.weight, FALSE, wanted.underline ? TRUE : FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH,
                     "Arial");
}

LRESULT CALLBACK AboutWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  static HBRUSH background = CreateSolidBrush(about::kBackgroundColour);
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      DeleteObject(gAboutBitmap);
      gAboutBitmap = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      SetBkColor(dc, about::kBackgroundColour);
      ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
      if (gAboutBitmap) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, gAboutBitmap);
        BITMAP info{};
        GetObjectA(gAboutBitmap, sizeof info, &info);
        BitBlt(dc, about::kPictureX, about::kPictureY, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_COMMAND:
      // The whole wParam: the button's id with notification code 0, a click.
      if (wParam == static_cast<WPARAM>(about::kIdVisitWebsite))
        platform::OpenUrl(about::WebsiteUrl().c_str(), hwnd);
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const bool title = reinterpret_cast<HWND>(lParam) == gAboutTitle;
      SetTextColor(dc, title ? about::kTitleColour : about::kTextColour);
      SetBkColor(dc, about::kBackgroundColour);
      return reinterpret_cast<LRESULT>(background);
    }
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

HWND MakeStatic(HINSTANCE instance, const about::Rect& r, int id) {
  return CreateWindowExA(0, "static", "ST_U", WS_CHILD | WS_VISIBLE | WS_TABSTOP, r.x, r.y, r.width, r.height,
                         gAboutWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace

CAboutWindow::CAboutWindow(void* instanceHandle, int showCommand) {
  HINSTANCE instance = static_cast<HINSTANCE>(instanceHandle);
  if (!instance) instance = GetModuleHandleA(nullptr);

  HICON icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA("user32.dll"), MAKEINTRESOURCEA(104), IMAGE_ICON, 16, 16, LR_SHARED));

  WNDCLASSA wc{};
  wc.style = 0;
  wc.lpfnWndProc = AboutWndProc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = about::kClassName;
  if (!RegisterClassA(&wc))
    platform::ShowMessageBox("Window Registration Failed!", "Error!", platform::MessageIcon::Warning);

  SetProcessDPIAware();
  HDC screen = GetDC(nullptr);
  const int screenWidth = GetDeviceCaps(screen, HORZRES);
  const int screenHeight = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  int x = 0, y = 0;
  about::WindowPosition(screenWidth, screenHeight, &x, &y);

  gAboutWindow = CreateWindowExA(0, about::kClassName, about::kCaption, WS_OVERLAPPED | WS_SYSMENU, x, y,
                                 about::kWindowWidth, about::kWindowHeight, nullptr, nullptr, instance, nullptr);
  if (!gAboutWindow) {
    platform::ShowMessageBox("Window Creation Failed!", "Error!", platform::MessageIcon::Warning);
    // No window could ever post the quit message: configure mode ends here.
    return;
  }

  gAboutBitmap = static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(about::kPictureId), IMAGE_BITMAP, 0, 0, LR_SHARED));

  HFONT textFont = MakeFont(about::kTextFont);
  HFONT titleFont = MakeFont(about::kTitleFont);

  HINSTANCE windowInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(gAboutWindow, GWLP_HINSTANCE));
  gAboutText = MakeStatic(windowInstance, about::kTextRect, about::kIdAboutText);
  SetWindowTextA(gAboutText, ToAnsi(about::kAboutText).c_str());
  SendMessageA(gAboutText, WM_SETFONT, reinterpret_cast<WPARAM>(textFont), TRUE);

  gAboutTitle = MakeStatic(windowInstance, about::kTitleRect, about::kIdAboutTitle);
  SetWindowTextA(gAboutTitle, ToAnsi(about::kTitle).c_str());
  SendMessageA(gAboutTitle, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont), TRUE);

  const about::Rect& b = about::kButtonRect;
  gAboutButton = CreateWindowExA(0, "BUTTON", about::kButtonText, WS_CHILD | WS_VISIBLE, b.x, b.y, b.width, b.height,
                                 gAboutWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(about::kIdVisitWebsite)),
                                 instance, nullptr);
  SendMessageA(gAboutButton, WM_SETFONT, reinterpret_cast<WPARAM>(textFont), TRUE);

  ShowWindow(gAboutWindow, showCommand);
  UpdateWindow(gAboutWindow);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
