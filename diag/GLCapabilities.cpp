// The OpenGL capability report.
#include "diag/DebugReports.h"

#include "gl/GLEntryPoints.h"
#include "platform/message_box.h"

#if defined(LUMITICK_SHOW_GL_CAPABILITIES)
#include "app/ScreensaverApp.h"
#endif

namespace {

int GetInteger(GLenum name) {
  // Left untouched by a context that does not know `name`.
  GLint value = 0;
  if (glGetIntegerv) glGetIntegerv(name, &value);
  return value;
}

std::string GetString(GLenum name) {
  const GLubyte* text = glGetString ? glGetString(name) : nullptr;
  return text ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

GLCapabilityValues QueryGLCapabilities() {
  GLCapabilityValues v;
  v.majorVersion = GetInteger(GL_MAJOR_VERSION);
  v.minorVersion = GetInteger(GL_MINOR_VERSION);
  v.versionString = GetString(GL_VERSION);
  v.rendererString = GetString(GL_RENDERER);
  v.maxVertexAttribs = GetInteger(GL_MAX_VERTEX_ATTRIBS);
  v.maxUniformLocations = GetInteger(GL_MAX_UNIFORM_LOCATIONS);
  v.maxVertexUniformComponents = GetInteger(GL_MAX_VERTEX_UNIFORM_COMPONENTS);
  v.maxFragmentUniformComponents = GetInteger(GL_MAX_FRAGMENT_UNIFORM_COMPONENTS);
  v.maxElementsIndices = GetInteger(GL_MAX_ELEMENTS_INDICES);
  v.maxElementsVertices = GetInteger(GL_MAX_ELEMENTS_VERTICES);
  v.maxTextureSize = GetInteger(GL_MAX_TEXTURE_SIZE);
  return v;
}

#if defined(LUMITICK_SHOW_GL_CAPABILITIES)
void CScreensaverApp::ShowGLCapabilities() {
  platform::ShowMessageBox(FormatGLCapabilities(QueryGLCapabilities()).c_str(), "Info",
                           platform::MessageIcon::Information);
}
#endif
