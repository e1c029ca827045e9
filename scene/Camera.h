// The scene's camera: five view slots (only slot 0 is ever computed), the
// eye and its axes, and the projection the drawables combine with the view.
#pragma once

#include <cstdint>

#include "scene/SceneMath.h"

class Camera {
 public:
  static constexpr std::int32_t kViewSlots = 5;

  // Eye at (x, y, z) looking down -z with y up; slot 0 current. The view
  // slots and the projection are identity until computed.
  Camera(float x, float y, float z);

  // Turns front about the right axis by `degrees` (positive looks up) and
  // recomputes up and target. The view slots are left as they are.
  void Pitch(float degrees);
  // Computes the look-at matrix into `slot` and makes it current. A slot
  // outside 0..4 is ignored.
  void UpdateView(std::int32_t slot);
  // Makes `slot` current without computing it; outside 0..4 it is ignored.
  void SelectView(std::int32_t slot);
  void SetProjection(const scene::Mat4& matrix) { projection = matrix; }

  const scene::Mat4& View() const { return views[currentSlot]; }
  const scene::Mat4& Projection() const { return projection; }
  std::int32_t CurrentSlot() const { return currentSlot; }

  const scene::Vec3& Position() const { return position; }
  const scene::Vec3& Target() const { return target; }
  const scene::Vec3& Front() const { return front; }
  const scene::Vec3& Right() const { return right; }
  const scene::Vec3& Up() const { return up; }

 private:
  static bool ValidSlot(std::int32_t slot) { return slot >= 0 && slot < kViewSlots; }

  scene::Mat4 views[kViewSlots];
  std::int32_t currentSlot = 0;
  scene::Vec3 position;
  scene::Vec3 target;
  scene::Vec3 front;
  scene::Vec3 right;
  scene::Vec3 up;
  scene::Mat4 projection;
};
