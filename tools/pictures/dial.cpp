// The dial: twelve hour numerals in light grey on black, set in an outline
// font with FreeType's anti-aliasing rasterizer, each centred by its ink on a
// ring about the picture's centre ("12" at the top, "3" at the right).
#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

namespace pictures {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRingRadius = 0.40;  // numeral centres, in picture sides
constexpr double kEmSize = 0.085;     // font size, in picture sides
constexpr double kGrey = 0.86;

struct FontFace {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~FontFace() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

// Loads `c` unhinted (outlines at their true shape and advance).
bool LoadGlyph(FT_Face face, char c) {
  const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(static_cast<unsigned char>(c)));
  return index != 0 && FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
         face->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
}

// Pen positions (26.6, from the string's origin) of each character.
std::string::size_type Layout(FT_Face face, const std::string& text, FT_Pos* pens) {
  FT_Pos pen = 0;
  FT_UInt previous = 0;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(text[i]));
    if (previous && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      if (FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kern) == 0) pen += kern.x;
    }
    pens[i] = pen;
    if (!LoadGlyph(face, text[i])) return i;
    pen += face->glyph->linearHoriAdvance >> 10;  // 16.16 to 26.6
    previous = index;
  }
  return text.size();
}

// Draws `text` with the middle of its ink box at (cx, cy), picture pixels
// with y down. Coverage is combined as light over light.
bool DrawCentred(FT_Face face, const std::string& text, double cx, double cy, Image& img) {
  FT_Pos pens[8];
  if (text.size() > 8 || Layout(face, text, pens) != text.size()) return false;

  // Ink box of the whole string in font units of 26.6, y up.
  FT_BBox box = {0, 0, 0, 0};
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    if (!LoadGlyph(face, text[i])) return false;
    FT_BBox g;
    FT_Outline_Get_BBox(&face->glyph->outline, &g);
    g.xMin += pens[i], g.xMax += pens[i];
    if (i == 0) box = g;
    box.xMin = std::min(box.xMin, g.xMin), box.xMax = std::max(box.xMax, g.xMax);
    box.yMin = std::min(box.yMin, g.yMin), box.yMax = std::max(box.yMax, g.yMax);
  }
  // In FreeType's frame the picture's row y lies at height img.h - y.
  const FT_Pos offX = static_cast<FT_Pos>(std::lround(cx * 64.0)) - (box.xMin + box.xMax) / 2;
  const FT_Pos offY = static_cast<FT_Pos>(std::lround((img.h - cy) * 64.0)) - (box.yMin + box.yMax) / 2;

  for (std::string::size_type i = 0; i < text.size(); ++i) {
    if (!LoadGlyph(face, text[i])) return false;
    FT_GlyphSlot slot = face->glyph;
    FT_Outline_Translate(&slot->outline, pens[i] + offX, offY);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_Bitmap& bm = slot->bitmap;
    for (unsigned row = 0; row < bm.rows; ++row) {
      const int y = img.h - slot->bitmap_top + static_cast<int>(row);
      if (y < 0 || y >= img.h) continue;
      for (unsigned col = 0; col < bm.width; ++col) {
        const int x = slot->bitmap_left + static_cast<int>(col);
        if (x < 0 || x >= img.w) continue;
        const double a = bm.buffer[static_cast<long>(row) * bm.pitch + col] / 255.0;
        Rgb& p = img.At(x, y);
        p.r = 1.0 - (1.0 - p.r) * (1.0 - a * kGrey);
        p.g = p.b = p.r;
      }
    }
  }
  return true;
}

}  // namespace

bool DrawDial(const std::string& fontPath, Image& img) {
  FontFace font;
  if (FT_Init_FreeType(&font.library) != 0) return false;
  if (FT_New_Face(font.library, fontPath.c_str(), 0, &font.face) != 0) {
    std::fprintf(stderr, "make_pictures: cannot open the font %s\n", fontPath.c_str());
    return false;
  }
  const int side = std::min(img.w, img.h);
  if (FT_Set_Pixel_Sizes(font.face, 0, static_cast<FT_UInt>(std::lround(kEmSize * side))) != 0) return false;
  for (int hour = 1; hour <= 12; ++hour) {
    const double a = hour * kPi / 6.0;  // clockwise from the top
    const double cx = img.w * 0.5 + kRingRadius * side * std::sin(a);
    const double cy = img.h * 0.5 - kRingRadius * side * std::cos(a);
    if (!DrawCentred(font.face, std::to_string(hour), cx, cy, img)) {
      std::fprintf(stderr, "make_pictures: the font %s cannot draw %d\n", fontPath.c_str(), hour);
      return false;
    }
  }
  return true;
}

}  // namespace pictures
