// The program's pictures, each drawn into an Image (image.h).
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace pictures {

// Black with the hour numerals 1 to 12 in light grey from the font file.
// False (after a message) when the font cannot be read.
bool DrawDial(const std::string& fontPath, Image& img);

// Near-black violet with a glow along the bottom edge, blue at the left
// through violet to red at the right.
void DrawBackground(Image& img);

// An abstract swirl of red, magenta and blue on a near-black ground.
void DrawSwirl(Image& img);

// A small computer monitor on a transparent ground, at each of `sizes`.
std::vector<Image> DrawMonitorIcons(const std::vector<int>& sizes);

}  // namespace pictures
