// OpenGL types and enumerants for the whole program: the Khronos core-profile
// header, without prototypes. Every OpenGL function is a pointer declared in
// gl/GLEntryPoints.h; nothing may include <GL/gl.h> (GLFW is included with
// GLFW_INCLUDE_NONE everywhere, set by the build).
#pragma once

#ifdef GL_GLEXT_PROTOTYPES
#error "OpenGL functions are pointers here; do not ask for prototypes"
#endif

#include <GL/glcorearb.h>

// Compatibility-profile enumerants the system uses that the core header lacks.
#ifndef GL_MULTISAMPLE
#define GL_MULTISAMPLE 0x809D
#endif
