#include <gtest/gtest.h>

#include <cmath>

#include "scene/Camera.h"
#include "scene/SceneMath.h"
#include "scene/SceneState.h"

using scene::Mat4;
using scene::Vec3;
using scene::Vec4;

namespace {

constexpr double kPi = 3.14159265358979323846;

void ExpectVec3Near(const Vec3& v, double x, double y, double z, double tolerance = 1e-6) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

TEST(SceneMath, PerspectiveOfTheClockScene) {
  const Mat4 p = scene::Perspective(50.0f, 16.0f / 9.0f, 0.1f, 1000.0f);
  EXPECT_NEAR(p.at(1, 1), 2.1445069, 1e-5);
  EXPECT_NEAR(p.at(0, 0), 1.2062851, 1e-5);
  EXPECT_NEAR(p.at(2, 2), (0.1 + 1000.0) / (0.1 - 1000.0), 1e-6);
  EXPECT_FLOAT_EQ(p.at(3, 2), -1.0f);  // column 2 ends in -1
  EXPECT_NEAR(p.at(2, 3), 2.0 * 0.1 * 1000.0 / (0.1 - 1000.0), 1e-5);
  EXPECT_FLOAT_EQ(p.at(3, 3), 0.0f);
  // A point on the near plane maps to depth -1, one on the far plane to +1.
  for (float z : {-0.1f, -1000.0f}) {
    const Vec4 clip = p * Vec4(0, 0, z, 1);
    EXPECT_NEAR(clip.z / clip.w, z == -0.1f ? -1.0 : 1.0, 1e-4);
  }
}

TEST(SceneMath, StorageIsColumnMajor) {
  const Mat4 t = scene::Translation(2, 3, 4);
  EXPECT_EQ(t.Data()[12], 2.0f);
  EXPECT_EQ(t.Data()[13], 3.0f);
  EXPECT_EQ(t.Data()[14], 4.0f);
  const Vec4 moved = t * Vec4(1, 1, 1, 1);
  EXPECT_EQ(moved.x, 3.0f);
  EXPECT_EQ(moved.y, 4.0f);
  EXPECT_EQ(moved.z, 5.0f);
  EXPECT_EQ(moved.w, 1.0f);
}

TEST(SceneMath, ProductAppliesTheRightFactorFirst) {
  // A quarter turn about z, then a move along x: (1, 0, 0) -> (0, 1, 0) -> (5, 1, 0).
  const Mat4 turn(Vec4(0, 1, 0, 0), Vec4(-1, 0, 0, 0), Vec4(0, 0, 1, 0), Vec4(0, 0, 0, 1));
  const Vec4 p = (scene::Translation(5, 0, 0) * turn) * Vec4(1, 0, 0, 1);
  EXPECT_NEAR(p.x, 5.0f, 1e-6);
  EXPECT_NEAR(p.y, 1.0f, 1e-6);
  const Vec4 q = (turn * scene::Translation(5, 0, 0)) * Vec4(1, 0, 0, 1);
  EXPECT_NEAR(q.x, 0.0f, 1e-6);
  EXPECT_NEAR(q.y, 6.0f, 1e-6);
}

TEST(SceneMath, LookAtPutsTheEyeAtTheOriginLookingDownMinusZ) {
  const Vec3 eye(3, -2, 7);
  const Vec3 target(4, 1, 2);
  const Mat4 view = scene::LookAt(eye, target, Vec3(0, 1, 0));
  const Vec4 e = view * Vec4(eye.x, eye.y, eye.z, 1);
  ExpectVec3Near(Vec3(e.x, e.y, e.z), 0, 0, 0, 1e-5);
  const Vec4 t = view * Vec4(target.x, target.y, target.z, 1);
  const double distance = scene::Length(target - eye);
  ExpectVec3Near(Vec3(t.x, t.y, t.z), 0, 0, -distance, 1e-5);
}

TEST(SceneState, TimesAndViewport) {
  SceneState state(0.0);
  EXPECT_EQ(state.sceneTime(), 0.0f);
  state.SetStartTime(7.25);
  state.SetCurrentTime(7.25);
  EXPECT_EQ(state.sceneTime(), 0.0f);
  state.SetCurrentTime(9.5);
  EXPECT_FLOAT_EQ(state.sceneTime(), 2.25f);
  EXPECT_FLOAT_EQ(state.CurrentTime(), 9.5f);
  state.SetViewportSize(1920.0f, 1080.0f);
  EXPECT_EQ(state.ViewportWidth(), 1920.0f);
  EXPECT_EQ(state.ViewportHeight(), 1080.0f);
}

TEST(SceneState, SceneTimeStaysFineAfterAWeek) {
  // A float reading a week in resolves only 1/16 s; the difference must not.
  const double week = 7 * 24 * 3600.0;
  SceneState state(3.0);
  state.SetCurrentTime(3.0 + week + 0.004);
  EXPECT_NEAR(state.PreciseSceneTime() - week, 0.004, 1e-9);
}

TEST(Camera, StartsAtItsPositionLookingDownMinusZ) {
  Camera camera(0, 0, 100);
  EXPECT_EQ(camera.CurrentSlot(), 0);
  ExpectVec3Near(camera.Target(), 0, 0, 99);
  camera.UpdateView(0);
  const Vec4 eye = camera.View() * Vec4(0, 0, 100, 1);
  ExpectVec3Near(Vec3(eye.x, eye.y, eye.z), 0, 0, 0, 1e-4);
}

TEST(Camera, PitchTurnsFrontAndUpAboutRight) {
  Camera camera(0, 0, 100);
  camera.Pitch(1.0f);
  camera.UpdateView(0);
  const double a = kPi / 180.0;
  ExpectVec3Near(camera.Front(), 0, std::sin(a), -std::cos(a));
  ExpectVec3Near(camera.Up(), 0, std::cos(a), std::sin(a));
  ExpectVec3Near(camera.Target(), 0, std::sin(a), 100 - std::cos(a), 1e-5);
  ExpectVec3Near(camera.Right(), 1, 0, 0);
  // The view maps the front direction to -z.
  const Vec3 ahead = camera.Position() + camera.Front() * 10.0f;
  const Vec4 v = camera.View() * Vec4(ahead.x, ahead.y, ahead.z, 1);
  ExpectVec3Near(Vec3(v.x, v.y, v.z), 0, 0, -10, 1e-4);
}

TEST(Camera, SlotsAreKeptApartAndOutOfRangeSlotsIgnored) {
  Camera camera(0, 0, 100);
  camera.UpdateView(0);
  const Mat4 first = camera.View();
  camera.Pitch(30.0f);  // does not touch slot 0
  EXPECT_EQ(camera.View().at(1, 2), first.at(1, 2));
  camera.UpdateView(3);
  EXPECT_EQ(camera.CurrentSlot(), 3);
  EXPECT_NE(camera.View().at(1, 2), first.at(1, 2));
  camera.SelectView(0);
  EXPECT_EQ(camera.View().at(1, 2), first.at(1, 2));
  camera.SelectView(5);
  camera.SelectView(-1);
  camera.UpdateView(7);
  EXPECT_EQ(camera.CurrentSlot(), 0);
}

}  // namespace
