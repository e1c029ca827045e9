#include "diag/DebugReports.h"

#include <sstream>

#include "platform/message_box.h"

namespace {

void ShowInfo(const std::string& text) {
  platform::ShowMessageBox(text.c_str(), "Info", platform::MessageIcon::Information);
}

}  // namespace

std::string FormatGLCapabilities(const GLCapabilityValues& v) {
  std::ostringstream out;
  out << "OpenGL Major and Minor version: " << v.majorVersion << "." << v.minorVersion
      << "\r\nOpenGL Version string: " << v.versionString
      << "\r\nOpenGL Renderer string: " << v.rendererString
      << "\r\nMax Attrib Count: " << v.maxVertexAttribs
      << "\r\nMax Uniform Locations: " << v.maxUniformLocations
      << "\r\nMax Vertex Uniform Count: " << v.maxVertexUniformComponents
      << "\r\nMax Fragment Uniform Count: " << v.maxFragmentUniformComponents
      << "\r\nMax Elements Indices: " << v.maxElementsIndices
      << "\r\nMax Elements Vertices: " << v.maxElementsVertices
      << "\r\nMax Texture Size: " << v.maxTextureSize;
  return out.str();
}

std::string FormatFrameTimes(float minimum, float maximum, float average) {
  std::ostringstream out;
  out << "Min: " << minimum << "\r\nMax: " << maximum << "\r\nAverage: " << average;
  return out.str();
}

std::string FormatThreeFloats(float x, float y, float z) {
  std::ostringstream out;
  out << "Float X: " << x << "\r\nFloat Y: " << y << "\r\nFloat Z: " << z;
  return out.str();
}

void ShowFrameTimes(float minimum, float maximum, float average) {
  ShowInfo(FormatFrameTimes(minimum, maximum, average));
}

void ShowThreeFloats(float x, float y, float z) { ShowInfo(FormatThreeFloats(x, y, z)); }
