#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/Triangulate.h"
#include "model/VectorMath.h"

namespace {

using objl::Vector3;
using Indices = std::vector<std::uint32_t>;

std::vector<objl::Vertex> Face(const std::vector<Vector3>& corners) {
  std::vector<objl::Vertex> face;
  for (const Vector3& p : corners) {
    objl::Vertex v;
    v.position = p;
    face.push_back(v);
  }
  return face;
}

Indices Triangulate(const std::vector<Vector3>& corners) {
  Indices out;
  objl::TriangulateFace(Face(corners), out);
  return out;
}

TEST(ModelVectorMath, CrossDotAndAngle) {
  const Vector3 c = objl::Cross({1, 0, 0}, {0, 1, 0});
  EXPECT_EQ(c, (Vector3{0, 0, 1}));
  EXPECT_FLOAT_EQ(objl::Dot({1, 2, 3}, {4, -5, 6}), 12.0f);
  EXPECT_FLOAT_EQ(objl::Magnitude({3, 4, 12}), 13.0f);
  EXPECT_FLOAT_EQ(objl::AngleBetween({1, 0, 0}, {0, 1, 0}), 1.5707964f);
  EXPECT_FLOAT_EQ(objl::AngleBetween({1, 0, 0}, {-2, 0, 0}), 3.1415927f);
  EXPECT_TRUE(std::isnan(objl::AngleBetween({0, 0, 0}, {1, 0, 0})));
  EXPECT_FALSE((Vector3{NAN, 0, 0}) == (Vector3{NAN, 0, 0}));
}

TEST(ModelVectorMath, PointInTriangleCountsEdgesAndCorners) {
  const Vector3 a{0, 0, 0}, b{4, 0, 0}, c{0, 4, 0};
  EXPECT_TRUE(objl::PointInTriangle(a, a, b, c));
  EXPECT_TRUE(objl::PointInTriangle(c, a, b, c));
  EXPECT_TRUE(objl::PointInTriangle({2, 0, 0}, a, b, c));   // edge midpoint
  EXPECT_TRUE(objl::PointInTriangle({1, 1, 5}, a, b, c));   // judged by its projection
  EXPECT_FALSE(objl::PointInTriangle({3, 3, 0}, a, b, c));  // beyond the long edge
  EXPECT_FALSE(objl::PointInTriangle({-1, 1, 0}, a, b, c));
  EXPECT_FALSE(objl::PointInTriangle(a, a, {1, 1, 0}, {2, 2, 0}));  // degenerate
}

TEST(ModelTriangulate, SmallFaces) {
  EXPECT_EQ(Triangulate({{0, 0, 0}, {1, 0, 0}}), Indices{});
  EXPECT_EQ(Triangulate({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}), (Indices{0, 1, 2}));
  EXPECT_EQ(Triangulate({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}), (Indices{0, 1, 3, 1, 2, 3}));
}

TEST(ModelTriangulate, ConvexPentagonIsClippedFromTheFront) {
  std::vector<Vector3> corners;
  for (int k = 0; k < 5; ++k) {
    const double a = 2.0 * M_PI * k / 5.0;
    corners.push_back(Vector3{static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)), 0});
  }
  EXPECT_EQ(Triangulate(corners), (Indices{0, 1, 4, 1, 2, 4, 2, 3, 4}));
}

TEST(ModelTriangulate, StraightCornerIsLeftForTheFourCornerSplit) {
  // Corner 0 lies between corners 4 and 1: it is never cut as an ear, so
  // corner 1 goes first and corner 0 ends in the four-corner split.
  const Indices out = Triangulate({{1, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {0, 0, 0}});
  EXPECT_EQ(out, (Indices{0, 1, 2, 0, 2, 4, 2, 3, 4}));
  // Corners whose triangle holds another corner are not ears: the notch
  // corner 3 lies in the triangles of corners 0 and 1, so corner 2 goes first.
  const Indices notch = Triangulate({{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {2, 1, 0}, {0, 4, 0}});
  ASSERT_EQ(notch.size(), 9u);
  EXPECT_EQ((Indices{notch[0], notch[1], notch[2]}), (Indices{1, 2, 3}));
}

TEST(ModelTriangulate, NoEarMeansNoTriangles) {
  EXPECT_EQ(Triangulate({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}}), Indices{});
}

TEST(ModelTriangulate, StopsWhenNoFurtherEarCanBeCut) {
  // After the ear at corner 0, the five corners left lie on one line: the
  // triangle cut so far is kept and clipping ends.
  const Indices out =
      Triangulate({{0, 4, 0}, {1, 4, 0}, {1, 2, 0}, {3, 2, 0}, {2, 2, 0}, {4, 2, 0}});
  EXPECT_EQ(out, (Indices{0, 1, 5}));
}

TEST(ModelTriangulate, RepeatedAndInvalidPositionsEnd) {
  // Every corner at one place: each clip lists every corner three times.
  const Indices same = Triangulate({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}});
  EXPECT_EQ(same.size() % 3, 0u);
  for (std::uint32_t i : same) EXPECT_LT(i, 5u);
  // Four corners on two positions have no fourth corner for the second triangle.
  EXPECT_EQ(Triangulate({{0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {1, 0, 0}}).size(), 6u);
  // NaN positions equal nothing; the walk still ends.
  EXPECT_EQ(Triangulate({{NAN, 0, 0}, {NAN, 0, 0}, {NAN, 0, 0}, {NAN, 0, 0}, {NAN, 0, 0}}), Indices{});
}

}  // namespace
