// X11 About window: Xlib for the window and its three controls, Xft for the
// text (fonts found through fontconfig; "Arial" resolves to a metric-
// compatible face such as Liberation Sans).
//
// Supports: a 400 x 300 window (outer size, frame included, when the window
// manager reports its frame extents) centred on the default screen, with a
// caption and only a close function; the title and about text drawn like
// Windows static controls (same cell heights, average widths, weights,
// underline, word wrap); bitmap 101; a push button that opens the website.
// The window ends on WM_DELETE_WINDOW (close box, Alt+F4 of the window
// manager), on Alt+F4 itself when no window manager takes it, or when it is
// destroyed from outside.
// Does not support: keyboard navigation between the controls, or visuals
// other than TrueColor/DirectColor for the picture (it is then left out).
#include "app/AboutWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>
#include <X11/Xft/Xft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/message_box.h"
#include "platform/url_opener.h"

// The window, its controls and the picture, as the event loop uses them.
Window gAboutWindow = 0;
Window gAboutTitle = 0;
Window gAboutText = 0;
Window gAboutButton = 0;
Pixmap gAboutBitmap = 0;

namespace {

// A font as the Windows font mapper would size it: the cell (ascent plus
// descent) is the requested height, the glyphs are scaled across so that the
// face's average character width is the requested width.
struct AboutFont {
  XftFont* font = nullptr;
  int ascent = 0;  // baseline below the top of a line
  int height = 0;  // line advance
  bool underline = false;
  int underlineTop = 0;  // below the top of a line
  int underlineThickness = 1;
};

struct AboutState {
  Display* display = nullptr;
  int screen = 0;
  Visual* visual = nullptr;
  Colormap colormap = 0;
  GC gc = nullptr;
  unsigned long backgroundPixel = 0;
  int pictureWidth = 0;
  int pictureHeight = 0;
  AboutFont textFont, titleFont;
  XftDraw* titleDraw = nullptr;
  XftDraw* textDraw = nullptr;
  XftDraw* buttonDraw = nullptr;
  XftColor titleColour{}, textColour{}, backgroundColour{};
  XftColor buttonFace{}, buttonBorder{}, buttonHotFace{}, buttonHotBorder{}, buttonDownFace{}, buttonDownBorder{},
      buttonText{};
  bool buttonDown = false;  // button 1 went down on the button and is held
  bool buttonHot = false;   // the pointer is over the button
  int frameLeft = 0, frameRight = 0, frameTop = 0, frameBottom = 0;
  Atom wmProtocols = 0, wmDeleteWindow = 0, netFrameExtents = 0;
};

AboutState sAbout;
bool sXError = false;

int NoteXError(Display*, XErrorEvent*) {
  sXError = true;
  return 0;
}

// The connection is gone, and the window with it: configure mode is over.
int EndOnLostDisplay(Display*) { std::exit(0); }

void ShowAboutError(const char* text) {
  platform::ShowMessageBox(text, "Error!", platform::MessageIcon::Warning);
}

// ----------------------------------------------------------------------------
// Colours

XftColor MakeXftColour(std::uint32_t bgr) {
  XRenderColor value;
  value.red = static_cast<unsigned short>(about::RedOf(bgr) * 257);
  value.green = static_cast<unsigned short>(about::GreenOf(bgr) * 257);
  value.blue = static_cast<unsigned short>(about::BlueOf(bgr) * 257);
  value.alpha = 0xFFFF;
  XftColor colour{};
  if (!XftColorAllocValue(sAbout.display, sAbout.visual, sAbout.colormap, &value, &colour)) {
    colour.pixel = BlackPixel(sAbout.display, sAbout.screen);
    colour.color = value;
  }
  return colour;
}

// Scales an 8-bit channel into the bits of a TrueColor mask.
unsigned long PackChannel(int value, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const unsigned long max = mask >> shift;
  return ((static_cast<unsigned long>(value) * max + 127) / 255) << shift;
}

// ----------------------------------------------------------------------------
// Fonts

FcPattern* ArialPattern(const about::FontSpec& wanted, double pixelSize) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("Arial"));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(wanted.weight));
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_ANTIALIAS, FcTrue);
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
  return pattern;
}

// The average character width the Windows font mapper scales by: the
// weighted average of the lowercase letters and the space (the classic
// definition of the OS/2 table's xAvgCharWidth, which Arial's table follows
// and newer faces replace by the mean of all glyphs). 0 when a letter is
// missing from the face.
double WeightedAverageWidth(FT_Face face) {
  static const int kWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56,
                                   56, 17, 4,  49, 56,  71, 31, 10, 18, 3,  18, 2, 166};
  double sum = 0;
  for (int i = 0; i < 27; ++i) {
    const FT_ULong code = i < 26 ? static_cast<FT_ULong>('a' + i) : ' ';
    const FT_UInt glyph = FT_Get_Char_Index(face, code);
    FT_Fixed advance = 0;
    if (glyph == 0 || FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
    sum += static_cast<double>(advance) * kWeights[i];
  }
  return sum / 1000.0;
}

AboutFont OpenFont(const about::FontSpec& wanted) {
  AboutFont f;
  f.height = wanted.height;
  f.ascent = wanted.height * 4 / 5;
  f.underline = wanted.underline;

  // The face's design metrics first, at the nominal size.
  FcResult result;
  FcPattern* request = ArialPattern(wanted, wanted.height);
  FcPattern* matched = XftFontMatch(sAbout.display, sAbout.screen, request, &result);
  FcPatternDestroy(request);
  if (!matched) return f;
  XftFont* probe = XftFontOpenPattern(sAbout.display, FcPatternDuplicate(matched));
  double em = wanted.height, xScale = 1.0, underlinePosition = -0.1, underlineThickness = 0.07;
  double cellAscent = 0.8;
  if (probe) {
    FT_Face face = XftLockFace(probe);
    if (face && face->units_per_EM > 0) {
      const double upem = face->units_per_EM;
      double winAscent = face->ascender, winDescent = -face->descender, average = 0.45 * upem;
      const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        winAscent = os2->usWinAscent;
        winDescent = os2->usWinDescent;
      }
      const double weighted = WeightedAverageWidth(face);
      if (weighted > 0)
        average = weighted;
      else if (os2 && os2->xAvgCharWidth > 0)
        average = os2->xAvgCharWidth;
      if (winAscent + winDescent > 0) {
        em = wanted.height * upem / (winAscent + winDescent);
        cellAscent = winAscent / (winAscent + winDescent);
      }
      if (average > 0) xScale = std::clamp(wanted.width / (average * em / upem), 0.25, 4.0);
      if (face->underline_thickness > 0) {
        underlinePosition = face->underline_position / upem;
        underlineThickness = face->underline_thickness / upem;
      }
    }
    if (face) XftUnlockFace(probe);
    XftFontClose(sAbout.display, probe);
  }

  FcPattern* sized = FcPatternDuplicate(matched);
  FcPatternDestroy(matched);
  FcPatternDel(sized, FC_PIXEL_SIZE);
  FcPatternAddDouble(sized, FC_PIXEL_SIZE, em);
  FcMatrix matrix;
  FcMatrixInit(&matrix);
  matrix.xx = xScale;
  FcPatternDel(sized, FC_MATRIX);
  FcPatternAddMatrix(sized, FC_MATRIX, &matrix);
  f.font = XftFontOpenPattern(sAbout.display, sized);  // owns `sized` on success
  if (!f.font) FcPatternDestroy(sized);

  f.ascent = static_cast<int>(std::lround(wanted.height * cellAscent));
  const int thickness = std::max(1, static_cast<int>(std::lround(underlineThickness * em)));
  f.underlineThickness = thickness;
  f.underlineTop = static_cast<int>(std::lround(f.ascent - underlinePosition * em - thickness / 2.0));
  return f;
}

int TextWidth(const AboutFont& f, const std::string& text) {
  if (!f.font || text.empty()) return 0;
  XGlyphInfo extents;
  XftTextExtentsUtf8(sAbout.display, f.font, reinterpret_cast<const FcChar8*>(text.data()),
                     static_cast<int>(text.size()), &extents);
  return extents.xOff;
}

// ----------------------------------------------------------------------------
// Painting

// A static control: light-green background, the text word-wrapped from the
// control's top-left corner, one line per cell height.
void PaintStatic(Window w, XftDraw* draw, const AboutFont& f, XftColor* colour, const char* text,
                 const about::Rect& r) {
  XClearWindow(sAbout.display, w);
  if (!draw || !f.font) return;
  const auto lines = about::BreakLines(text, r.width, [&](const std::string& s) { return TextWidth(f, s); });
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int top = static_cast<int>(i) * f.height;
    if (top >= r.height) break;
    const std::string& line = lines[i];
    XftDrawStringUtf8(draw, colour, f.font, 0, top + f.ascent, reinterpret_cast<const FcChar8*>(line.data()),
                      static_cast<int>(line.size()));
    if (f.underline) {
      const int width = TextWidth(f, line);
      if (width > 0)
        XftDrawRect(draw, colour, 0, top + f.underlineTop, static_cast<unsigned>(width),
                    static_cast<unsigned>(f.underlineThickness));
    }
  }
}

void PaintButton() {
  const about::Rect& r = about::kButtonRect;
  if (!sAbout.buttonDraw) return;
  const bool down = sAbout.buttonDown && sAbout.buttonHot;
  XftColor* face = down ? &sAbout.buttonDownFace : sAbout.buttonHot ? &sAbout.buttonHotFace : &sAbout.buttonFace;
  XftColor* border = down ? &sAbout.buttonDownBorder
                          : sAbout.buttonHot ? &sAbout.buttonHotBorder : &sAbout.buttonBorder;
  XftDrawRect(sAbout.buttonDraw, border, 0, 0, r.width, r.height);
  XftDrawRect(sAbout.buttonDraw, face, 1, 1, r.width - 2, r.height - 2);
  const AboutFont& f = sAbout.textFont;
  if (!f.font) return;
  const std::string label = about::kButtonText;
  const int x = (r.width - TextWidth(f, label)) / 2;
  const int y = (r.height - f.height) / 2 + f.ascent;
  XftDrawStringUtf8(sAbout.buttonDraw, &sAbout.buttonText, f.font, x, y,
                    reinterpret_cast<const FcChar8*>(label.data()), static_cast<int>(label.size()));
}

void PaintWindow() {
  if (gAboutBitmap)
    XCopyArea(sAbout.display, gAboutBitmap, gAboutWindow, sAbout.gc, 0, 0, sAbout.pictureWidth,
              sAbout.pictureHeight, about::kPictureX, about::kPictureY);
}

void Paint(Window w) {
  if (w == gAboutWindow) {
    PaintWindow();
  } else if (w == gAboutTitle) {
    PaintStatic(w, sAbout.titleDraw, sAbout.titleFont, &sAbout.titleColour, about::kTitle, about::kTitleRect);
  } else if (w == gAboutText) {
    PaintStatic(w, sAbout.textDraw, sAbout.textFont, &sAbout.textColour, about::kAboutText, about::kTextRect);
  } else if (w == gAboutButton) {
    PaintButton();
  }
}

// ----------------------------------------------------------------------------
// The picture

Pixmap LoadPicture() {
  platform::BitmapPixels pixels;
  if (!platform::LoadBitmapPixels(about::kPictureId, &pixels) || pixels.width <= 0 || pixels.height <= 0)
    return 0;
  Visual* v = sAbout.visual;
  if (v->c_class != TrueColor && v->c_class != DirectColor) return 0;
  const int depth = DefaultDepth(sAbout.display, sAbout.screen);
  XImage* image = XCreateImage(sAbout.display, v, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                               static_cast<unsigned>(pixels.width), static_cast<unsigned>(pixels.height), 32, 0);
  if (!image) return 0;
  image->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * pixels.height));
  if (!image->data) {
    XDestroyImage(image);
    return 0;
  }
  for (int y = 0; y < pixels.height; ++y) {
    // Rows are stored bottom-up.
    const std::uint8_t* row = pixels.bgrx.data() + static_cast<std::size_t>(pixels.height - 1 - y) * pixels.width * 4;
    for (int x = 0; x < pixels.width; ++x) {
      const std::uint8_t* p = row + x * 4;
      XPutPixel(image, x, y,
                PackChannel(p[2], v->red_mask) | PackChannel(p[1], v->green_mask) | PackChannel(p[0], v->blue_mask));
    }
  }
  Pixmap pixmap = XCreatePixmap(sAbout.display, RootWindow(sAbout.display, sAbout.screen),
                                static_cast<unsigned>(pixels.width), static_cast<unsigned>(pixels.height),
                                static_cast<unsigned>(depth));
  XPutImage(sAbout.display, pixmap, sAbout.gc, image, 0, 0, 0, 0, static_cast<unsigned>(pixels.width),
            static_cast<unsigned>(pixels.height));
  XDestroyImage(image);
  sAbout.pictureWidth = pixels.width;
  sAbout.pictureHeight = pixels.height;
  return pixmap;
}

// ----------------------------------------------------------------------------
// The window manager

// The 32-bit items of a window property of `type` (Xlib hands them over as
// longs); empty when there is none.
std::vector<unsigned long> ReadProperty32(Window w, Atom property, Atom type, long maxItems) {
  Atom actualType;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(sAbout.display, w, property, 0, maxItems, False, type, &actualType, &format, &count, &after,
                         &data) == Success &&
      data && format == 32 && actualType == type) {
    const unsigned long* values = reinterpret_cast<const unsigned long*>(data);
    items.assign(values, values + count);
  }
  if (data) XFree(data);
  return items;
}

bool RootListsAtom(Atom property, Atom wanted) {
  const auto atoms = ReadProperty32(RootWindow(sAbout.display, sAbout.screen), property, XA_ATOM, 4096);
  return std::find(atoms.begin(), atoms.end(), wanted) != atoms.end();
}

// Reads _NET_FRAME_EXTENTS of the window into the state; false when it has
// none yet.
bool ReadFrameExtents() {
  const auto e = ReadProperty32(gAboutWindow, sAbout.netFrameExtents, XA_CARDINAL, 4);
  if (e.size() != 4) return false;
  auto sane = [](unsigned long v) { return static_cast<int>(std::min(v, 100UL)); };
  sAbout.frameLeft = sane(e[0]);
  sAbout.frameRight = sane(e[1]);
  sAbout.frameTop = sane(e[2]);
  sAbout.frameBottom = sane(e[3]);
  return true;
}

Bool IsFrameExtentsNotify(Display*, XEvent* e, XPointer) {
  return e->type == PropertyNotify && e->xproperty.window == gAboutWindow &&
         e->xproperty.atom == sAbout.netFrameExtents;
}

// Asks the window manager for the frame it will put around the window, so
// that the outer size can be right from the first map. Waits at most a
// second for the answer.
void RequestFrameExtents() {
  Display* d = sAbout.display;
  const Atom request = XInternAtom(d, "_NET_REQUEST_FRAME_EXTENTS", False);
  if (!RootListsAtom(XInternAtom(d, "_NET_SUPPORTED", False), request)) return;
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = gAboutWindow;
  message.xclient.message_type = request;
  message.xclient.format = 32;
  XSendEvent(d, RootWindow(d, sAbout.screen), False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
  XFlush(d);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  XEvent event;
  while (!XCheckIfEvent(d, &event, IsFrameExtentsNotify, nullptr)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    pollfd fd{ConnectionNumber(d), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left.count()));
  }
  ReadFrameExtents();
}

int ClientWidth() { return std::max(1, about::kWindowWidth - sAbout.frameLeft - sAbout.frameRight); }
int ClientHeight() { return std::max(1, about::kWindowHeight - sAbout.frameTop - sAbout.frameBottom); }

// Fixed size, placed by its outer top-left corner.
void SetSizeHints(int x, int y) {
  XSizeHints* hints = XAllocSizeHints();
  if (!hints) return;
  hints->flags = USPosition | PPosition | PSize | PMinSize | PMaxSize | PWinGravity;
  hints->x = x;
  hints->y = y;
  hints->width = hints->min_width = hints->max_width = ClientWidth();
  hints->height = hints->min_height = hints->max_height = ClientHeight();
  hints->win_gravity = NorthWestGravity;
  XSetWMNormalHints(sAbout.display, gAboutWindow, hints);
  XFree(hints);
}

// A caption with a close box only: no sizing border, no minimise or maximise.
void SetMotifHints() {
  enum : unsigned long { kFunctions = 1, kDecorations = 2 };
  enum : unsigned long { kFuncMove = 4, kFuncClose = 32 };
  enum : unsigned long { kDecorBorder = 2, kDecorTitle = 8, kDecorMenu = 16 };
  unsigned long hints[5] = {kFunctions | kDecorations, kFuncMove | kFuncClose, kDecorBorder | kDecorTitle | kDecorMenu,
                            0, 0};
  const Atom motif = XInternAtom(sAbout.display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(sAbout.display, gAboutWindow, motif, motif, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(hints), 5);
}

void SetNames() {
  Display* d = sAbout.display;
  XStoreName(d, gAboutWindow, about::kCaption);
  XSetIconName(d, gAboutWindow, about::kCaption);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  const int length = static_cast<int>(std::strlen(about::kCaption));
  XChangeProperty(d, gAboutWindow, XInternAtom(d, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(about::kCaption), length);
  XChangeProperty(d, gAboutWindow, XInternAtom(d, "_NET_WM_ICON_NAME", False), utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(about::kCaption), length);
  XClassHint* classHint = XAllocClassHint();
  if (classHint) {
    classHint->res_name = const_cast<char*>(about::kClassName);
    classHint->res_class = const_cast<char*>(about::kClassName);
    XSetClassHint(d, gAboutWindow, classHint);
    XFree(classHint);
  }
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0) {
    XTextProperty machine;
    char* list[] = {host};
    if (XStringListToTextProperty(list, 1, &machine)) {
      XSetWMClientMachine(d, gAboutWindow, &machine);
      XFree(machine.value);
    }
    const long pid = static_cast<long>(getpid());
    XChangeProperty(d, gAboutWindow, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
  }
}

// The show command of the entry point: the minimising ones start the window
// iconic; every other one (hiding included: a window nobody can see or close
// would keep configure mode waiting) shows it normally.
int InitialState(int showCommand) {
  switch (showCommand) {
    case 2:   // show minimised
    case 6:   // minimise
    case 7:   // show minimised, not active
    case 11:  // force minimise
      return IconicState;
    default:
      return NormalState;
  }
}

void SetWmHints(int showCommand) {
  XWMHints* hints = XAllocWMHints();
  if (!hints) return;
  hints->flags = InputHint | StateHint;
  hints->input = True;
  hints->initial_state = InitialState(showCommand);
  XSetWMHints(sAbout.display, gAboutWindow, hints);
  XFree(hints);
}

// ----------------------------------------------------------------------------
// Construction

Window CreateChild(const about::Rect& r, long eventMask) {
  XSetWindowAttributes attrs{};
  attrs.background_pixel = sAbout.backgroundPixel;
  attrs.event_mask = eventMask;
  return XCreateWindow(sAbout.display, gAboutWindow, r.x, r.y, static_cast<unsigned>(r.width),
                       static_cast<unsigned>(r.height), 0, CopyFromParent, InputOutput, CopyFromParent,
                       CWBackPixel | CWEventMask, &attrs);
}

XftDraw* MakeDraw(Window w) { return w ? XftDrawCreate(sAbout.display, w, sAbout.visual, sAbout.colormap) : nullptr; }

bool CreateAboutWindow(int x, int y) {
  Display* d = sAbout.display;
  XSetWindowAttributes attrs{};
  attrs.background_pixel = sAbout.backgroundPixel;
  attrs.border_pixel = 0;
  attrs.event_mask = ExposureMask | KeyPressMask | StructureNotifyMask | PropertyChangeMask;
  attrs.cursor = XCreateFontCursor(d, XC_left_ptr);
  sXError = false;
  gAboutWindow = XCreateWindow(d, RootWindow(d, sAbout.screen), x, y, about::kWindowWidth, about::kWindowHeight, 0,
                               CopyFromParent, InputOutput, CopyFromParent,
                               CWBackPixel | CWBorderPixel | CWEventMask | CWCursor, &attrs);
  XSync(d, False);
  if (sXError) gAboutWindow = 0;
  return gAboutWindow != 0;
}

// The command a click on the button sends: the button's id, notification 0.
void OnCommand(unsigned long command) {
  if (command == static_cast<unsigned long>(about::kIdVisitWebsite))
    platform::OpenUrl(about::WebsiteUrl().c_str(), reinterpret_cast<void*>(gAboutWindow));
}

bool InsideButton(int x, int y) {
  return x >= 0 && y >= 0 && x < about::kButtonRect.width && y < about::kButtonRect.height;
}

void OnButtonEvent(const XEvent& e) {
  switch (e.type) {
    case ButtonPress:
      if (e.xbutton.button != Button1) return;
      sAbout.buttonDown = true;
      sAbout.buttonHot = true;
      break;
    case ButtonRelease:
      if (e.xbutton.button != Button1 || !sAbout.buttonDown) return;
      sAbout.buttonDown = false;
      sAbout.buttonHot = InsideButton(e.xbutton.x, e.xbutton.y);
      PaintButton();
      if (sAbout.buttonHot) OnCommand(about::kIdVisitWebsite);
      return;
    case EnterNotify:
      sAbout.buttonHot = true;
      break;
    case LeaveNotify:
      sAbout.buttonHot = false;
      break;
    default:
      return;
  }
  PaintButton();
}

// The frame changed (another theme, a late answer): keep the outer size.
void OnFrameExtents() {
  const int oldWidth = ClientWidth(), oldHeight = ClientHeight();
  if (!ReadFrameExtents() || (ClientWidth() == oldWidth && ClientHeight() == oldHeight)) return;
  XWindowAttributes attrs;
  if (!XGetWindowAttributes(sAbout.display, gAboutWindow, &attrs)) return;
  SetSizeHints(attrs.x, attrs.y);
  XResizeWindow(sAbout.display, gAboutWindow, static_cast<unsigned>(ClientWidth()),
                static_cast<unsigned>(ClientHeight()));
}

void RunMessageLoop() {
  Display* d = sAbout.display;
  bool open = true;
  while (open) {
    XEvent e;
    XNextEvent(d, &e);
    switch (e.type) {
      case Expose:
        if (e.xexpose.count == 0) Paint(e.xexpose.window);
        break;
      case ButtonPress:
      case ButtonRelease:
      case EnterNotify:
      case LeaveNotify:
        if (e.xany.window == gAboutButton) OnButtonEvent(e);
        break;
      case KeyPress: {
        // Alt+F4, when no window manager has taken it first.
        const KeySym key = XLookupKeysym(&e.xkey, 0);
        if (key == XK_F4 && (e.xkey.state & Mod1Mask)) open = false;
        break;
      }
      case ClientMessage:
        if (e.xclient.window == gAboutWindow && e.xclient.message_type == sAbout.wmProtocols &&
            e.xclient.format == 32 && static_cast<Atom>(e.xclient.data.l[0]) == sAbout.wmDeleteWindow)
          open = false;
        break;
      case PropertyNotify:
        if (IsFrameExtentsNotify(d, &e, nullptr)) OnFrameExtents();
        break;
      case DestroyNotify:
        if (e.xdestroywindow.window == gAboutWindow) {
          gAboutWindow = 0;
          open = false;
        }
        break;
      case MappingNotify:
        XRefreshKeyboardMapping(&e.xmapping);
        break;
      default:
        break;
    }
  }
  // Closing destroys the window and its controls and frees the picture.
  for (XftDraw* draw : {sAbout.textDraw, sAbout.titleDraw, sAbout.buttonDraw})
    if (draw) XftDrawDestroy(draw);
  sAbout.textDraw = sAbout.titleDraw = sAbout.buttonDraw = nullptr;
  if (gAboutWindow) XDestroyWindow(d, gAboutWindow);
  gAboutWindow = gAboutTitle = gAboutText = gAboutButton = 0;
  if (gAboutBitmap) XFreePixmap(d, gAboutBitmap);
  gAboutBitmap = 0;
  XSync(d, False);
}

}  // namespace

CAboutWindow::CAboutWindow(void*, int showCommand) {
  // Without a display there is nothing to register the window with, and no
  // window can be made; configure mode then ends at once.
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    ShowAboutError("Window Registration Failed!");
    ShowAboutError("Window Creation Failed!");
    return;
  }
  XSetErrorHandler(NoteXError);
  XSetIOErrorHandler(EndOnLostDisplay);
  sAbout.display = d;
  sAbout.screen = DefaultScreen(d);
  sAbout.visual = DefaultVisual(d, sAbout.screen);
  sAbout.colormap = DefaultColormap(d, sAbout.screen);
  sAbout.wmProtocols = XInternAtom(d, "WM_PROTOCOLS", False);
  sAbout.wmDeleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
  sAbout.netFrameExtents = XInternAtom(d, "_NET_FRAME_EXTENTS", False);

  sAbout.backgroundColour = MakeXftColour(about::kBackgroundColour);
  sAbout.backgroundPixel = sAbout.backgroundColour.pixel;
  sAbout.titleColour = MakeXftColour(about::kTitleColour);
  sAbout.textColour = MakeXftColour(about::kTextColour);
  // A push button in the system's light theme: normal, under the pointer,
  // held down.
  sAbout.buttonFace = MakeXftColour(0x00E1E1E1);
  sAbout.buttonBorder = MakeXftColour(0x00ADADAD);
  sAbout.buttonHotFace = MakeXftColour(0x00FBF1E5);
  sAbout.buttonHotBorder = MakeXftColour(0x00D77800);
  sAbout.buttonDownFace = MakeXftColour(0x00F7E4CC);
  sAbout.buttonDownBorder = MakeXftColour(0x00995400);
  sAbout.buttonText = MakeXftColour(0x00000000);

  int x = 0, y = 0;
  about::WindowPosition(DisplayWidth(d, sAbout.screen), DisplayHeight(d, sAbout.screen), &x, &y);
  if (!CreateAboutWindow(x, y)) {
    ShowAboutError("Window Creation Failed!");
    XCloseDisplay(d);
    sAbout.display = nullptr;
    return;
  }
  SetNames();
  XSetWMProtocols(d, gAboutWindow, &sAbout.wmDeleteWindow, 1);
  SetMotifHints();
  SetWmHints(showCommand);
  RequestFrameExtents();
  SetSizeHints(x, y);
  XResizeWindow(d, gAboutWindow, static_cast<unsigned>(ClientWidth()), static_cast<unsigned>(ClientHeight()));

  sAbout.gc = XCreateGC(d, gAboutWindow, 0, nullptr);
  gAboutBitmap = LoadPicture();
  sAbout.textFont = OpenFont(about::kTextFont);
  sAbout.titleFont = OpenFont(about::kTitleFont);

  gAboutText = CreateChild(about::kTextRect, ExposureMask);
  gAboutTitle = CreateChild(about::kTitleRect, ExposureMask);
  gAboutButton = CreateChild(about::kButtonRect,
                             ExposureMask | ButtonPressMask | ButtonReleaseMask | EnterWindowMask | LeaveWindowMask);
  sAbout.textDraw = MakeDraw(gAboutText);
  sAbout.titleDraw = MakeDraw(gAboutTitle);
  sAbout.buttonDraw = MakeDraw(gAboutButton);

  XMapSubwindows(d, gAboutWindow);
  XMapWindow(d, gAboutWindow);
  XFlush(d);
  RunMessageLoop();
  XCloseDisplay(d);
  sAbout = AboutState{};
}
