// Scene set-up and the frame: one screen-filling rectangle drawn with the
// clock face shaders and two textures, the dial and the background. After
// the fade-in a frame is the view's static layer (the same rectangle drawn
// once without what moves) with the shader run again only where the hands,
// the marks they light and the sectors they tint can change the picture.
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
#include "scene/ChangingRegions.h"
#include "scene/ClockHands.h"
#include "scene/SceneState.h"

namespace {

const char kProgramName[] = "BackgroundProgram";
// The same shader texts without what moves: the static layer's program.
const char kStaticProgramName[] = "StaticLayerProgram";
constexpr std::uint16_t kFragmentShader = 136, kVertexShader = 137;
constexpr std::uint32_t kSkyObj = 141, kSkyMtl = 140;
constexpr int kDialBitmap = 208, kBackgroundBitmap = 209, kPictureSize = 2048;
// The fade-in: black up to 3 s on the timer, full brightness from 5 s.
constexpr float kFadeStart = 3.0f, kFadeEnd = 5.0f;

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
scene::DialLitBoxes* gDialLit = nullptr;
SceneView* gMainView = nullptr;
GLFWDrawableSky* gStaticSky = nullptr;  // made with the first static layer

double ReadTimer() { return gHooks.timer ? gHooks.timer() : glfwGetTime(); }

enum class FramePath { ClearOnly, Whole, Cached };

void BindPictures() {
  glActiveTexture(GL_TEXTURE0);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, gDialTexture->GetId());
  glActiveTexture(GL_TEXTURE1);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, gBackgroundTexture->GetId());
}

// Makes `program` current and points its samplers at units 0 and 1.
void UseWithSamplers(const char* program, GLint dialSampler, GLint backgroundSampler) {
  gRegistry->Use(program);
  glUniform1i(dialSampler, 0);
  glUniform1i(backgroundSampler, 1);
}

// Whether the view's target can take copies of an RGBA8 static layer
// pixel for pixel: the entry points are there and it stores 8 bits a
// colour channel (a deeper or shallower target would round the shader's
// colours differently from the copy).
bool CanCopyInto(GLuint target) {
  if (!glBlitFramebuffer || !glGenFramebuffers || !glDeleteFramebuffers || !glFramebufferRenderbuffer ||
      !glGenRenderbuffers || !glDeleteRenderbuffers || !glBindRenderbuffer || !glRenderbufferStorage ||
      !glCheckFramebufferStatus || !glDrawArrays || !glDisableVertexAttribArray)
    return false;
  // The colour depths of the bound framebuffer, as a compatibility context
  // (which the saver asks for) reports them; another context answers with
  // an error and leaves 0, and the view draws whole frames.
  constexpr GLenum kRedBits = 0x0D52, kGreenBits = 0x0D53, kBlueBits = 0x0D54;
  glBindFramebuffer(GL_FRAMEBUFFER, target);
  GLint bits[3] = {0, 0, 0};
  glGetIntegerv(kRedBits, &bits[0]);
  glGetIntegerv(kGreenBits, &bits[1]);
  glGetIntegerv(kBlueBits, &bits[2]);
  return bits[0] == 8 && bits[1] == 8 && bits[2] == 8;
}

FramePath ChoosePath(SceneView& view, float iTime) {
  if (view.wholeFrames) return FramePath::Whole;
  if (iTime < kFadeStart) return FramePath::ClearOnly;
  if (iTime < kFadeEnd) return FramePath::Whole;
  if (view.cache == SceneView::Cache::Unknown)
    view.cache = CanCopyInto(view.target) ? SceneView::Cache::Usable : SceneView::Cache::Unusable;
  return view.cache == SceneView::Cache::Usable ? FramePath::Cached : FramePath::Whole;
}

// Copies the static layer, once per size, into a BGRA texture with its rows
// in the opposite order. Mesa keeps a window's rows top first and its
// pixels in that byte order, so the per-frame copy of such a layer into the
// window is a plain copy of memory; into any other layout a software
// renderer copies through a shader, which cost a running saver more than
// all the rest of its frame. Where the texture cannot be made, the layer
// stays as it was drawn.
void ReverseLayerRows(SceneView& view, int width, int height) {
  OffscreenFramebuffer reversed;
  if (!glFramebufferTexture2D || !reversed.CreateBgraTexture(width, height)) return;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, view.staticLayer.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, reversed.fbo);
  glBlitFramebuffer(0, height, width, 0, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  view.staticLayer.Release();
  view.staticLayer = reversed;
  view.layerRowsReversed = true;
}

// Makes the view's static layer at width x height unless it has it: the
// picture without hands, highlights and tints, at full brightness. False
// when the driver cannot make the framebuffer (the view then draws whole
// frames from now on).
bool EnsureStaticLayer(SceneView& view, int width, int height) {
  if (view.layerWidth == width && view.layerHeight == height) return true;
  if (view.staticLayer.fbo) view.staticLayer.Release();
  view.layerWidth = view.layerHeight = 0;
  if (!view.staticLayer.Create(width, height, false)) {
    view.cache = SceneView::Cache::Unusable;
    return false;
  }
  if (!gStaticSky) {
    gRegistry->Add(kStaticProgramName, kVertexShader, kFragmentShader, scene::kStaticLayerDefinitions);
    gStaticSky = new GLFWDrawableSky(gSceneState, gCamera, gRegistry, kStaticProgramName, kSkyObj, kSkyMtl, 1.0f);
    gStaticSky->Init();
  }
  BindPictures();
  glViewport(0, 0, width, height);
  ShaderProgram* program = gRegistry->Find(kStaticProgramName);
  UseWithSamplers(kStaticProgramName, program->UniformLocation("clockTexture"),
                  program->UniformLocation("backgroundTexture"));
  gStaticSky->SetModel(scene::Translation(0.0f, 0.0f, -100.0f));
  gStaticSky->Draw();
  view.layerWidth = width;
  view.layerHeight = height;
  view.layerRowsReversed = false;
  if (view.target == 0) ReverseLayerRows(view, width, height);
  return true;
}

// Views in other contexts share the programs. Mesa applies a uniform set in
// one context to another only when it differs, there, from the value the
// program holds: a value another context has set already counts as
// unchanged, and this context goes on drawing with its own older copy (the
// second hand of the last window drawn in a turn stood still). So when the
// scene turns to another view, each uniform a frame sets is first set to a
// value it never takes.
void ForgetUniforms(const char* programName) {
  ShaderProgram* program = gRegistry->Find(programName);
  if (!program) return;
  program->Use();
  constexpr float kNever = -1.0e30f;
  for (const char* name : {"psecond", "pminute", "phour", "iTime", "viewportWidth", "viewportHeight"})
    glUniform1f(program->UniformLocation(name), kNever);
  float never[16];
  for (float& f : never) f = kNever;
  for (const char* name : {"model_world", "world_projection", "model_projection"})
    glUniformMatrix4fv(program->UniformLocation(name), 1, GL_FALSE, never);
}

void CopyStaticLayer(const SceneView& view, int width, int height) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, view.staticLayer.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, view.target);
  // A reversed layer is read from its last row to its first.
  const GLint first = view.layerRowsReversed ? height : 0;
  glBlitFramebuffer(0, first, width, height - first, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, view.target);
}

// The clock shader over the regions that can differ from the static layer.
void DrawChangingRegions(SceneView& view, const FrameInstant& instant, int width, int height) {
  float triangles[scene::kMaxRegionFloats];
  const int vertices = scene::ChangingRegions(instant.hour, instant.minute, instant.second, width, height,
                                              *gDialLit, triangles, scene::kMaxRegionFloats);
  if (!view.regionBuffer) glGenBuffers(1, &view.regionBuffer);
  glBindBuffer(GL_ARRAY_BUFFER, view.regionBuffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices * 2 * sizeof(float)), triangles, GL_STREAM_DRAW);
  gSky->DrawOver(view.regionBuffer, vertices);
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
  // A second set-up (the benchmark's) starts with a fresh view; the old
  // one's objects go before any new object can take their names.
  delete gMainView;
  gRegistry = new ProgramRegistry;
  gSceneState = new SceneState(0.0);
  gCamera = new Camera(0.0f, 0.0f, 100.0f);
  gCamera->Pitch(1.0f);
  gCamera->UpdateView(0);
  // What the sector tints can reach is learnt from the dial's texels as
  // they go up, not from a second reading of the picture.
  gDialLit = new scene::DialLitBoxes(kPictureSize);
  gDialTexture = new BitmapTexture(kDialBitmap, kPictureSize, [](int firstRow, int rows, int width, const float* texels) {
    gDialLit->AddBand(firstRow, rows, width, texels);
  });
  gBackgroundTexture = new BitmapTexture(kBackgroundBitmap, kPictureSize);
  gRegistry->Add(kProgramName, kVertexShader, kFragmentShader, scene::kClockShaderDefinitions);
  gSky = new GLFWDrawableSky(gSceneState, gCamera, gRegistry, kProgramName, kSkyObj, kSkyMtl, 1.0f);
  gSky->Init();
  gDialSampler = gRegistry->Find(kProgramName)->UniformLocation("clockTexture");
  gBackgroundSampler = gRegistry->Find(kProgramName)->UniformLocation("backgroundTexture");
  gStaticSky = nullptr;
  gMainView = new SceneView(gHooks.framebuffer, gHooks.wholeFrames);
}

FrameInstant ReadFrameInstant() {
  if (!gClockHands) gClockHands = new ClockHands(gHooks.wallClock);
  const double t = ReadTimer();
  const bool first = !gClockHands->started;
  if (first) gSceneState->SetStartTime(t);
  gSceneState->SetCurrentTime(t);
  if (first) gClockHands->CaptureFirstFrame(*gSceneState);
  gClockHands->Update(*gSceneState);
  FrameInstant instant;
  instant.time = t;
  instant.second = gClockHands->second;
  instant.minute = gClockHands->minute;
  instant.hour = gClockHands->hour;
  return instant;
}

void DrawSceneView(SceneView& view, const FrameInstant& instant, int width, int height) {
  static const SceneView* lastView = nullptr;
  if (lastView && lastView != &view) {
    ForgetUniforms(kProgramName);
    ForgetUniforms(kStaticProgramName);
  }
  lastView = &view;
  gSceneState->SetCurrentTime(instant.time);
  const float aspect = width > 0 && height > 0 ? static_cast<float>(width) / static_cast<float>(height) : gAspectRatio;
  gCamera->SetProjection(scene::Perspective(50.0f, aspect, 0.1f, 1000.0f));
  gSceneState->SetViewportSize(static_cast<float>(width), static_cast<float>(height));
  gCamera->SelectView(0);
  gSky->SetModel(scene::Translation(0.0f, 0.0f, -100.0f));

  FramePath path = ChoosePath(view, gSceneState->CurrentTime());
  if (width <= 0 || height <= 0) path = FramePath::ClearOnly;  // nothing to draw on
  if (path == FramePath::Cached && !EnsureStaticLayer(view, width, height)) path = FramePath::Whole;

  glBindFramebuffer(GL_FRAMEBUFFER, view.target);
  if (path == FramePath::ClearOnly) {
    // The picture is black: the clear is the frame. Nothing is drawn, so
    // the depth buffer is left alone (on a software renderer its clear
    // costs as much as the colour's).
    glClear(GL_COLOR_BUFFER_BIT);
    return;
  }
  if (path == FramePath::Cached) {
    // The copy covers every colour pixel. The depth buffer is not cleared:
    // the depth test is never on, so no draw reads or writes it, and a
    // software renderer clears the depth of a depth-and-stencil buffer
    // pixel by pixel, keeping the stencil bits (0.2 core at 60 frames a
    // second in full HD).
    CopyStaticLayer(view, width, height);
  } else {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  BindPictures();
  glViewport(0, 0, width, height);
  UseWithSamplers(kProgramName, gDialSampler, gBackgroundSampler);
  gSky->SetAngles(instant.second, instant.minute, instant.hour);
  if (path == FramePath::Whole)
    gSky->Draw();
  else
    DrawChangingRegions(view, instant, width, height);
}

SceneView& MainSceneView() { return *gMainView; }

void RunFrameStep() {
#if defined(LUMITICK_SHOW_FRAME_TIMES)
  BeginFrameTimes();
#endif
  const FrameInstant instant = ReadFrameInstant();
  DrawSceneView(*gMainView, instant, gWindowWidth, gWindowHeight);
#if defined(LUMITICK_SHOW_FRAME_TIMES)
  EndFrameTimes();  // shows the first frame's report and ends the process
#endif
}
