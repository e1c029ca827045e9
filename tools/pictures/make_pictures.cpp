// Draws the pictures the program carries: the dial (hour numerals from an
// outline font) and the background, 2048 x 2048; the About picture,
// 110 x 83; and the program icon (16, 32 and 48 pixels). Every output
// depends on the font file alone, so two runs give identical bytes.
//   make_pictures OUTPUT_DIR FONT_FILE
#include <cstdio>
#include <string>

#include "pictures.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_pictures OUTPUT_DIR FONT_FILE\n");
    return 2;
  }
  const std::string dir = argv[1];
  using namespace pictures;

  Image dial(2048, 2048);
  if (!DrawDial(argv[2], dial)) return 1;
  Image background(2048, 2048);
  DrawBackground(background);
  Image about(110, 83);
  DrawSwirl(about);

  // The dial keeps its exact black: only the numerals may be lit.
  const bool ok = WriteFile(dir + "/dial.bmp", EncodeBmp(dial, false)) &&
                  WriteFile(dir + "/background.bmp", EncodeBmp(background, true)) &&
                  WriteFile(dir + "/about.bmp", EncodeBmp(about, true)) &&
                  WriteFile(dir + "/lumitick.ico", EncodeIco(DrawMonitorIcons({16, 32, 48})));
  if (!ok) std::fprintf(stderr, "make_pictures: cannot write to %s\n", dir.c_str());
  return ok ? 0 : 1;
}
