// The About window shown in configure mode ("/c").
//
// The texts, colours and layout below are shared by both back ends
// (AboutWindow_win32.cpp, AboutWindow_x11.cpp); each builds the window with
// its own system's calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CAboutWindow {
 public:
  // Builds and shows the window, runs its message loop, and returns when the
  // window has been closed (or could not be made).
  CAboutWindow(void* instance, int showCommand);
};

namespace about {

constexpr const char* kCaption = "About";
constexpr const char* kClassName = "VexomarqWindowClass";
constexpr const char* kButtonText = "Visit website";
constexpr const char* kTitle = "Lumitick Screensaver";
// UTF-8 (the sign after "Copyright" is U+00A9); lines end in CR LF.
constexpr const char* kAboutText =
    "Copyright \xC2\xA9 2021-2024 Lumitick. All rights reserved.\r\n"
    "More screensavers at www.lumitick.example\r\n"
    "Contact: hello@lumitick.example";
constexpr const char* kWebsite = "https://www.lumitick.example";
constexpr const char* kWebsiteQuery = "/?utm_source=About";
inline std::string WebsiteUrl() { return std::string(kWebsite) + kWebsiteQuery; }

// Colours as 0x00BBGGRR.
constexpr std::uint32_t kBackgroundColour = 0x00B3E8B1;  // light green
constexpr std::uint32_t kTitleColour = 0x00000000;       // black
constexpr std::uint32_t kTextColour = 0x00FF3300;        // blue
constexpr int RedOf(std::uint32_t c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }

// Outer size of the window, and where its parts sit in the client area.
constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 300;
struct Rect {
  int x, y, width, height;
};
constexpr Rect kTextRect{20, 150, 380, 80};
constexpr Rect kTitleRect{102, 20, 280, 20};
constexpr Rect kButtonRect{150, 210, 100, 32};
constexpr int kPictureX = 142;
constexpr int kPictureY = 55;
constexpr int kPictureId = 101;

// Control ids; the about text and the button share 10, only the button
// sends commands.
constexpr int kIdAboutText = 10;
constexpr int kIdAboutTitle = 30;
constexpr int kIdVisitWebsite = 10;

// Fonts as the Windows font mapper takes them: cell height and average
// character width in pixels, weight 100..900.
struct FontSpec {
  int height, width, weight;
  bool underline;
};
constexpr FontSpec kTextFont{16, 6, 400, false};
constexpr FontSpec kTitleFont{18, 8, 700, true};

// The outer top-left corner: the window centred on the screen, computed in
// double precision and truncated toward zero.
inline void WindowPosition(int screenWidth, int screenHeight, int* x, int* y) {
  *x = static_cast<int>((screenWidth - static_cast<double>(kWindowWidth)) * 0.5);
  *y = static_cast<int>((screenHeight - static_cast<double>(kWindowHeight)) * 0.5);
}

// Breaks `text` into the lines a left-aligned, word-wrapping static control
// shows: at every CR LF, lone CR or lone LF, and between words where the next
// word would pass `maxWidth` (as `measure` reports widths in pixels). Spaces
// at a wrap are dropped; a word wider than the line keeps a line of its own.
template <typename Measure>
std::vector<std::string> BreakLines(const std::string& text, int maxWidth, Measure measure) {
  std::vector<std::string> lines;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (true) {
    std::size_t end = i;
    while (end < n && text[end] != '\r' && text[end] != '\n') ++end;
    const std::string hard = text.substr(i, end - i);
    // Wrap the hard line word by word.
    std::string line;
    std::size_t p = 0;
    bool any = false;
    while (p < hard.size()) {
      std::size_t spaceEnd = p;
      while (spaceEnd < hard.size() && hard[spaceEnd] == ' ') ++spaceEnd;
      std::size_t wordEnd = spaceEnd;
      while (wordEnd < hard.size() && hard[wordEnd] != ' ') ++wordEnd;
      const std::string spaces = hard.substr(p, spaceEnd - p);
      const std::string word = hard.substr(spaceEnd, wordEnd - spaceEnd);
      const std::string candidate = line + spaces + word;
      if (!line.empty() && !word.empty() && measure(candidate) > maxWidth) {
        lines.push_back(line);
        any = true;
        line = word;
      } else {
        line = candidate;
      }
      p = wordEnd;
    }
    if (!line.empty() || !any) lines.push_back(line);
    if (end >= n) break;
    i = end + ((text[end] == '\r' && end + 1 < n && text[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

}  // namespace about
