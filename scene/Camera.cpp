#include "scene/Camera.h"

#include <cmath>

using scene::Vec3;

Camera::Camera(float x, float y, float z)
    : position(x, y, z), front(0, 0, -1), right(1, 0, 0), up(0, 1, 0) {
  target = position + front;
}

void Camera::Pitch(float degrees) {
  const float a = scene::radians(degrees);
  front = front * std::cos(a) + up * std::sin(a);
  up = scene::Cross(right, front);
  target = position + front;
}

void Camera::UpdateView(std::int32_t slot) {
  if (!ValidSlot(slot)) return;
  views[slot] = scene::LookAt(position, target, up);
  currentSlot = slot;
}

void Camera::SelectView(std::int32_t slot) {
  if (ValidSlot(slot)) currentSlot = slot;
}
