// Ear clipping of one polygonal face into triangles.
#pragma once

#include <cstdint>
#include <vector>

#include "model/ObjTypes.h"

namespace objl {

// Appends triangle indices (positions in `face`, from 0) to `out`. One or two
// corners give nothing, three give 0 1 2, four the split (0 1 3)(1 2 3);
// larger faces are clipped from the front, ear by ear, until four corners
// remain, which take the four-corner split. Corners are told apart by
// position alone. When no further ear can be cut (corners in a line, a
// self-intersecting outline), clipping stops: the triangles already cut are
// kept and the remaining corners get none. A triangle whose corners repeat
// positions of the face may receive more or fewer than three indices.
void TriangulateFace(const std::vector<Vertex>& face, std::vector<std::uint32_t>& out);

}  // namespace objl
