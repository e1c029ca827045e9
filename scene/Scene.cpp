// Scene set-up and the frame: one screen-filling rectangle drawn with the
// clock face shaders and two textures, the dial and the background. After
// the fade-in a frame is the view's static layer (the same rectangle drawn
// once without what moves) with the shader run again only where the hands,
// the marks they light and the sectors they tint can change the picture.
#include "scene/Scene.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "diag/FrameTimes.h"
#include "gl/GLEntryPoints.h"
#include "platform/message_box.h"
#include "scene/ClockGeometry.h"

namespace {

const char kProgramName[] = "BackgroundProgram";
// The same shader texts without what moves: the static layer's program.
const char kStaticProgramName[] = "StaticLayerProgram";
// The pictures' samples of a size, written once and read back per frame.
const char kSamplesOutProgramName[] = "SamplesOutProgram";
const char kSamplesInProgramName[] = "SamplesInProgram";
constexpr GLint kBackgroundSamplesUnit = 2, kDialSamplesUnit = 3;
// How far from the centre, in the square's sides, the samples reach.
constexpr double kSamplesReach = 0.55;
constexpr std::uint16_t kFragmentShader = 136, kVertexShader = 137;
constexpr std::uint32_t kSkyObj = 141, kSkyMtl = 140;
constexpr int kDialBitmap = 208, kBackgroundBitmap = 209, kPictureSize = 2048;
// The fade-in: black up to 3 s on the timer, full brightness from 5 s.
constexpr float kFadeStart = 3.0f, kFadeEnd = 5.0f;

enum class FramePath { ClearOnly, Whole, Cached };

// Makes the view's program `name` current and points its samplers at
// units 0 and 1.
void UseWithSamplers(ProgramRegistry& programs, const char* name) {
  ShaderProgram* program = programs.Find(name);
  program->Use();
  glUniform1i(program->UniformLocation("clockTexture"), 0);
  glUniform1i(program->UniformLocation("backgroundTexture"), 1);
}

// The rectangle drawn with the view's program `name`.
std::unique_ptr<GLFWDrawableSky> MakeSky(SceneView& view, const char* name) {
  std::unique_ptr<GLFWDrawableSky> sky(
      new GLFWDrawableSky(&view.state, &view.camera, view.programs.get(), name, kSkyObj, kSkyMtl, 1.0f));
  sky->Init();
  return sky;
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
  glBindFramebuffer(GL_READ_FRAMEBUFFER, view.staticLayer.Id());
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, reversed.Id());
  glBlitFramebuffer(0, height, width, 0, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  view.staticLayer.TakeFrom(reversed);
  view.layerRowsReversed = true;
}

// Copies `count` rectangles of the static layer into the view's target.
void CopyStaticLayer(const SceneView& view, int height, const scene::PixelRect* rects, int count) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, view.staticLayer.Id());
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, view.target);
  for (int i = 0; i < count; ++i) {
    const scene::PixelRect& r = rects[i];
    // A reversed layer is read from its last row to its first.
    const GLint y0 = view.layerRowsReversed ? height - r.y : r.y;
    const GLint y1 = view.layerRowsReversed ? height - r.y - r.height : r.y + r.height;
    glBlitFramebuffer(r.x, y0, r.x + r.width, y1, r.x, r.y, r.x + r.width, r.y + r.height, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, view.target);
}

using DrawnFrame = SceneView::DrawnFrame;

bool Holds(const DrawnFrame& frame, DrawnFrame::Kind kind, int width, int height) {
  return frame.kind == kind && frame.width == width && frame.height == height;
}

// Keeps what was drawn into the view's target as its newest frame.
void Remember(SceneView& view, DrawnFrame::Kind kind, int width, int height, const scene::PixelRect* rects = nullptr,
              int count = 0) {
  for (std::size_t i = view.drawn.size() - 1; i > 0; --i) view.drawn[i] = view.drawn[i - 1];
  DrawnFrame& frame = view.drawn[0];
  frame.kind = kind;
  frame.width = width;
  frame.height = height;
  frame.count = count;
  for (int i = 0; i < count; ++i) frame.rects[static_cast<std::size_t>(i)] = rects[i];
}

// Copies in from the static layer every pixel of the target that can
// differ from it: all of them, or, where the target holds a cached frame
// of this size, the rectangles that frame shaded. Notes in view.changes
// where this frame (shading `rects`) differs from the last one drawn.
void RestoreFromStaticLayer(SceneView& view, int width, int height, const scene::PixelRect* rects, int count) {
  const int age = view.backBufferAge;
  const DrawnFrame* held = age >= 1 && age <= SceneView::kFramesKept ? &view.drawn[age - 1u] : nullptr;
  const scene::PixelRect all{0, 0, width, height};
  if (held && Holds(*held, DrawnFrame::Kind::Cached, width, height))
    CopyStaticLayer(view, height, held->rects.data(), held->count);
  else
    CopyStaticLayer(view, height, &all, 1);
  // Where the last frame was a cached one of this size, only what it or
  // this one shades can differ.
  const DrawnFrame& last = view.drawn[0];
  if (!Holds(last, DrawnFrame::Kind::Cached, width, height)) return;
  FrameChanges& changes = view.changes;
  changes.whole = false;
  std::copy(last.rects.begin(), last.rects.begin() + last.count, changes.rects.begin());
  changes.count = scene::JoinRects(changes.rects.data(), last.count, rects, count);
}

}  // namespace

Scene* gScene = nullptr;

void SetUpScene(double (*timer)(), WallClock* wallClock) {
  // A missing entry point would be a jump through a null pointer.
  if (const char* missing = gl_loader::MissingSceneRequirement()) {
    platform::ShowMessageBox(missing, "Debug", platform::MessageIcon::Information);
    std::exit(0);
  }
#if defined(LUMITICK_SHOW_FRAME_TIMES)
  TheFrameTimeStats();
#endif
  gScene = new Scene(timer, wallClock);
}

void TearDownScene() {
  delete gScene;
  gScene = nullptr;
}

Scene::Scene(double (*t)(), WallClock* wallClock)
    : timer(t), state(0.0), camera(0.0f, 0.0f, 100.0f), dialLit(kPictureSize), hands(wallClock) {
  camera.Pitch(1.0f);
  camera.UpdateView(0);
}

SceneView::~SceneView() {
  if (regionBuffer) glDeleteBuffers(1, &regionBuffer);
}

Scene::~Scene() {
  if (dial) dial->Release();
  if (background) background->Release();
}

bool Scene::PrepareStep(SceneView& view) {
  if (!dial) {
    // What the sector tints can reach is learnt from the dial's texels as
    // they go up, not from a second reading of the picture.
    const auto learn = [this](int firstRow, int rows, int width, const float* texels) {
      dialLit.AddBand(firstRow, rows, width, texels);
    };
    dial.reset(new BitmapTexture(kDialBitmap, kPictureSize, learn));
  } else if (!background) {
    background.reset(new BitmapTexture(kBackgroundBitmap, kPictureSize));
  } else if (!view.programs) {
    // The view's programs and rectangles, in its own context.
    view.camera = camera;
    view.programs.reset(new ProgramRegistry);
    view.programs->Add(kProgramName, kVertexShader, kFragmentShader, scene::kClockShaderDefinitions);
    view.sky = MakeSky(view, kProgramName);
    if (!view.wholeFrames) {
      view.programs->Add(kStaticProgramName, kVertexShader, kFragmentShader, scene::kStaticLayerDefinitions);
      view.staticSky = MakeSky(view, kStaticProgramName);
      view.programs->Add(kSamplesOutProgramName, kVertexShader, kFragmentShader, scene::kSamplesOutDefinitions);
      view.samplesOutSky = MakeSky(view, kSamplesOutProgramName);
      view.programs->Add(kSamplesInProgramName, kVertexShader, kFragmentShader, scene::kSamplesInDefinitions);
      view.samplesInSky = MakeSky(view, kSamplesInProgramName);
    }
  } else {
    return false;
  }
  return true;
}

void Scene::BindPictures() {
  glActiveTexture(GL_TEXTURE0);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, dial->GetId());
  glActiveTexture(GL_TEXTURE1);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, background->GetId());
}

// Makes the view's static layer at width x height unless it has it: the
// picture without hands, highlights and tints, at full brightness. False
// when the driver cannot make the framebuffer (the view then draws whole
// frames from now on).
bool Scene::EnsureStaticLayer(SceneView& view, int width, int height) {
  if (view.layerWidth == width && view.layerHeight == height) return true;
  view.staticLayer.Release();
  view.layerWidth = view.layerHeight = 0;
  if (!view.staticLayer.Create(width, height, false)) {
    view.cache = SceneView::Cache::Unusable;
    return false;
  }
  BindPictures();
  glViewport(0, 0, width, height);
  UseWithSamplers(*view.programs, kStaticProgramName);
  view.staticSky->SetModel(scene::Translation(0.0f, 0.0f, -100.0f));
  view.staticSky->Draw();
  view.layerWidth = width;
  view.layerHeight = height;
  view.layerRowsReversed = false;
  if (view.target == 0) ReverseLayerRows(view, width, height);
  // The pictures' samples at this size, where float targets can be drawn
  // into; elsewhere the regions filter the pictures themselves. The
  // regions stay within about half the square's side of its centre: the
  // samples cover a little more (a frame whose regions reach beyond, should
  // one ever, filters the pictures).
  view.samples.Release();
  const int reach = static_cast<int>(std::ceil(kSamplesReach * std::min(width, height)));
  scene::PixelRect& r = view.samplesRect;
  r.x = std::max(0, width / 2 - reach), r.y = std::max(0, height / 2 - reach);
  r.width = std::min(width, width / 2 + reach) - r.x, r.height = std::min(height, height / 2 + reach) - r.y;
  if (glDrawBuffers && view.samples.CreateFloatTextures(r.width, r.height, 2)) {
    BindPictures();  // making the textures took a unit's binding
    glViewport(0, 0, r.width, r.height);
    UseWithSamplers(*view.programs, kSamplesOutProgramName);
    glUniform2f(view.programs->Find(kSamplesOutProgramName)->UniformLocation("samplesOrigin"),
                static_cast<float>(r.x), static_cast<float>(r.y));
    view.samplesOutSky->SetModel(scene::Translation(0.0f, 0.0f, -100.0f));
    view.samplesOutSky->Draw();
    view.samplesInSky->SetModel(scene::Translation(0.0f, 0.0f, -100.0f));
  }
  return true;
}

bool Scene::Sampled(const SceneView& view, const scene::PixelRect* rects, int count) {
  if (!view.samples.Id()) return false;
  const scene::PixelRect& s = view.samplesRect;
  for (int i = 0; i < count; ++i) {
    const scene::PixelRect& r = rects[i];
    if (r.x < s.x || r.y < s.y || r.x + r.width > s.x + s.width || r.y + r.height > s.y + s.height) return false;
  }
  return true;
}

FrameInstant Scene::ReadFrameInstant() {
  const double t = timer ? timer() : glfwGetTime();
  const bool first = !hands.started;
  if (first) state.SetStartTime(t);
  state.SetCurrentTime(t);
  if (first) hands.CaptureFirstFrame(state);
  hands.Update(state);
  FrameInstant instant;
  instant.time = t;
  instant.second = hands.second;
  instant.minute = hands.minute;
  instant.hour = hands.hour;
  return instant;
}

bool Scene::Draw(SceneView& view, const FrameInstant& instant, int width, int height) {
  view.state.SetCurrentTime(instant.time);
  FramePath path = ChoosePath(view, view.state.CurrentTime());
  if (width <= 0 || height <= 0) path = FramePath::ClearOnly;  // nothing to draw on
  FrameChanges& changes = view.changes;
  changes.whole = true;
  changes.count = 0;
  if (path == FramePath::ClearOnly) {
    if (Holds(view.drawn[0], DrawnFrame::Kind::Black, width, height)) {
      // The window shows this frame already: the turn builds a piece of
      // what the frames after the black ones need instead.
      changes.whole = false;
      PrepareStep(view);
      return false;
    }
    // The picture is black: the clear is the frame. Nothing is drawn, so
    // the depth buffer is left alone (on a software renderer its clear
    // costs as much as the colour's).
    glBindFramebuffer(GL_FRAMEBUFFER, view.target);
    glClear(GL_COLOR_BUFFER_BIT);
    Remember(view, DrawnFrame::Kind::Black, width, height);
    return true;
  }
  while (PrepareStep(view)) {
  }

  const float aspect = static_cast<float>(width) / static_cast<float>(height);
  view.camera.SetProjection(scene::Perspective(50.0f, aspect, 0.1f, 1000.0f));
  view.state.SetViewportSize(static_cast<float>(width), static_cast<float>(height));
  view.camera.SelectView(0);
  view.sky->SetModel(scene::Translation(0.0f, 0.0f, -100.0f));
  if (path == FramePath::Cached && !EnsureStaticLayer(view, width, height)) path = FramePath::Whole;

  glBindFramebuffer(GL_FRAMEBUFFER, view.target);
  float triangles[scene::kMaxRegionFloats];
  int vertices = 0;
  scene::PixelRect rects[scene::kMaxRegions];
  int count = 0;
  if (path == FramePath::Cached) {
    vertices = scene::ChangingRegions(instant.hour, instant.minute, instant.second, width, height, dialLit, triangles,
                                      scene::kMaxRegionFloats);
    count = scene::RegionPixelRects(triangles, vertices, width, height, rects);
    // The depth buffer is not cleared: the depth test is never on, so no
    // draw reads or writes it, and a software renderer clears the depth of
    // a depth-and-stencil buffer pixel by pixel, keeping the stencil bits
    // (0.2 core at 60 frames a second in full HD).
    RestoreFromStaticLayer(view, width, height, rects, count);
  } else {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  Remember(view, path == FramePath::Cached ? DrawnFrame::Kind::Cached : DrawnFrame::Kind::Whole, width, height, rects,
           count);

  BindPictures();
  glViewport(0, 0, width, height);
  // The clock shader over every pixel, or over the regions that can differ
  // from the static layer, from the pictures' samples where the view has
  // them.
  const bool sampled = path == FramePath::Cached && Sampled(view, rects, count);
  GLFWDrawableSky& sky = sampled ? *view.samplesInSky : *view.sky;
  UseWithSamplers(*view.programs, sampled ? kSamplesInProgramName : kProgramName);
  if (sampled) {
    glActiveTexture(GL_TEXTURE0 + kBackgroundSamplesUnit);
    glBindTexture(GL_TEXTURE_2D, view.samples.Texture(0));
    glActiveTexture(GL_TEXTURE0 + kDialSamplesUnit);
    glBindTexture(GL_TEXTURE_2D, view.samples.Texture(1));
    ShaderProgram* program = view.programs->Find(kSamplesInProgramName);
    glUniform1i(program->UniformLocation("backgroundSamples"), kBackgroundSamplesUnit);
    glUniform1i(program->UniformLocation("dialSamples"), kDialSamplesUnit);
    const scene::PixelRect& r = view.samplesRect;
    glUniform2f(program->UniformLocation("samplesOrigin"), static_cast<float>(r.x), static_cast<float>(r.y));
    glUniform2f(program->UniformLocation("samplesSize"), static_cast<float>(r.width), static_cast<float>(r.height));
  }
  sky.SetAngles(instant.second, instant.minute, instant.hour);
  if (path == FramePath::Whole) {
    sky.Draw();
    return true;
  }
  if (!view.regionBuffer) glGenBuffers(1, &view.regionBuffer);
  glBindBuffer(GL_ARRAY_BUFFER, view.regionBuffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices * 2 * sizeof(float)), triangles, GL_STREAM_DRAW);
  sky.DrawOver(view.regionBuffer, vertices);
  return true;
}
