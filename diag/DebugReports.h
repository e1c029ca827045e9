// Developer reports: values shown in a message box titled "Info".
//
// None of them is called in the delivered program. Two build switches wire
// them in: LUMITICK_SHOW_GL_CAPABILITIES (the capability report once the
// saver's context is ready, CScreensaverApp::ShowGLCapabilities) and
// LUMITICK_SHOW_FRAME_TIMES (the first frame's time, then the process ends;
// diag/FrameTimes.h).
#pragma once

#include <string>

// What the capability report shows, read from the current context.
struct GLCapabilityValues {
  int majorVersion = 0;
  int minorVersion = 0;
  std::string versionString;
  std::string rendererString;
  int maxVertexAttribs = 0;
  int maxUniformLocations = 0;
  int maxVertexUniformComponents = 0;
  int maxFragmentUniformComponents = 0;
  int maxElementsIndices = 0;
  int maxElementsVertices = 0;
  int maxTextureSize = 0;
};

// Reads the values through the loaded entry points. A value the context does
// not know (or a function the loader could not resolve) stays 0 or empty.
GLCapabilityValues QueryGLCapabilities();

// The report texts: one line per value, lines separated by CR LF, no line
// end after the last; floats in a stream's default format.
std::string FormatGLCapabilities(const GLCapabilityValues& values);
std::string FormatFrameTimes(float minimum, float maximum, float average);
std::string FormatThreeFloats(float x, float y, float z);

// Each shows its text in an "Info" box and returns once it is dismissed.
void ShowFrameTimes(float minimum, float maximum, float average);
void ShowThreeFloats(float x, float y, float z);
