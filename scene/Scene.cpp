// Stand-in scene until the clock is built: a black frame.
#include "scene/Scene.h"

#include "gl/GLEntryPoints.h"

void SetUpScene() {}

void RunFrameStep() {
  if (glClear) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
