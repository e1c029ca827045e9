#include "scene/SceneView.h"

#include "gl/GLEntryPoints.h"

void SceneView::Release() {
  if (staticLayer.fbo) staticLayer.Release();
  layerWidth = layerHeight = 0;
  if (regionBuffer) glDeleteBuffers(1, &regionBuffer);
  regionBuffer = 0;
}
