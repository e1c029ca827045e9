// Scene set-up and the frame: one screen-filling rectangle drawn with the
// clock face shaders and two textures, the dial and the background.
#include "scene/Scene.h"

#include <GLFW/glfw3.h>

#include <cstdlib>

#include "app/ScreensaverApp.h"
#include "diag/FrameTimes.h"
#include "gl/GLEntryPoints.h"
#include "platform/message_box.h"
#include "render/BitmapTexture.h"
#include "render/Drawable.h"
#include "render/ShaderProgram.h"
#include "scene/Camera.h"
#include "scene/ClockHands.h"
#include "scene/SceneState.h"

namespace {

const char kProgramName[] = "BackgroundProgram";
constexpr std::uint16_t kFragmentShader = 136, kVertexShader = 137;
constexpr std::uint32_t kSkyObj = 141, kSkyMtl = 140;
constexpr int kDialBitmap = 208, kBackgroundBitmap = 209, kPictureSize = 2048;

SceneHooks gHooks;
ProgramRegistry* gRegistry = nullptr;
SceneState* gSceneState = nullptr;
Camera* gCamera = nullptr;
BitmapTexture* gDialTexture = nullptr;
BitmapTexture* gBackgroundTexture = nullptr;
GLFWDrawableSky* gSky = nullptr;
GLint gDialSampler = -1;
GLint gBackgroundSampler = -1;
ClockHands* gClockHands = nullptr;

double ReadTimer() { return gHooks.timer ? gHooks.timer() : glfwGetTime(); }

void FrameUpdate() {
  gCamera->SetProjection(scene::Perspective(50.0f, gAspectRatio, 0.1f, 1000.0f));
  gSceneState->SetViewportSize(static_cast<float>(gWindowWidth), static_cast<float>(gWindowHeight));
  gCamera->SelectView(0);
  gSky->SetModel(scene::Translation(0.0f, 0.0f, -100.0f));
  gClockHands->Update(*gSceneState);

  glBindFramebuffer(GL_FRAMEBUFFER, gHooks.framebuffer);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glActiveTexture(GL_TEXTURE0);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, gDialTexture->GetId());
  glActiveTexture(GL_TEXTURE1);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, gBackgroundTexture->GetId());
  glViewport(0, 0, gWindowWidth, gWindowHeight);

  static bool firstFrame = true;
  if (firstFrame) {
    gRegistry->Use(kProgramName);  // the sky's Draw keeps it current afterwards
    firstFrame = false;
  }
  glUniform1i(gDialSampler, 0);
  glUniform1i(gBackgroundSampler, 1);
  gSky->SetAngles(gClockHands->second, gClockHands->minute, gClockHands->hour);
  gSky->Draw();
}

}  // namespace

void SetSceneHooks(const SceneHooks& hooks) { gHooks = hooks; }

void SetUpScene() {
  // A missing entry point would be a jump through a null pointer.
  if (const char* missing = gl_loader::MissingSceneRequirement()) {
    platform::ShowMessageBox(missing, "Debug", platform::MessageIcon::Information);
    std::exit(0);
  }
#if defined(LUMITICK_SHOW_FRAME_TIMES)
  TheFrameTimeStats();
#endif
  gRegistry = new ProgramRegistry;
  gSceneState = new SceneState(0.0);
  gCamera = new Camera(0.0f, 0.0f, 100.0f);
  gCamera->Pitch(1.0f);
  gCamera->UpdateView(0);
  gDialTexture = new BitmapTexture(kDialBitmap, kPictureSize);
  gBackgroundTexture = new BitmapTexture(kBackgroundBitmap, kPictureSize);
  gRegistry->Add(kProgramName, kVertexShader, kFragmentShader);
  gSky = new GLFWDrawableSky(gSceneState, gCamera, gRegistry, kProgramName, kSkyObj, kSkyMtl, 1.0f);
  gSky->Init();
  gDialSampler = gRegistry->Find(kProgramName)->UniformLocation("clockTexture");
  gBackgroundSampler = gRegistry->Find(kProgramName)->UniformLocation("backgroundTexture");
}

void RunFrameStep() {
#if defined(LUMITICK_SHOW_FRAME_TIMES)
  BeginFrameTimes();
#endif
  if (!gClockHands) gClockHands = new ClockHands(gHooks.wallClock);
  const double t = ReadTimer();
  const bool first = !gClockHands->started;
  if (first) gSceneState->SetStartTime(t);
  gSceneState->SetCurrentTime(t);
  if (first) gClockHands->CaptureFirstFrame(*gSceneState);
  FrameUpdate();
#if defined(LUMITICK_SHOW_FRAME_TIMES)
  EndFrameTimes();  // shows the first frame's report and ends the process
#endif
}
