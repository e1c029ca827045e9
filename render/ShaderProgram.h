// GLSL programs built from "TEXTFILE" resources, and the registry that finds
// them by name. Locations of uniforms and attributes are asked of OpenGL once
// per program and name and then served from a cache.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "gl/gl_api.h"

enum class LocationKind { Uniform = 0, Attribute = 1 };

class ShaderProgram {
 public:
  static constexpr std::size_t kSourceCapacity = 32768;
  static constexpr std::size_t kSourceBufferSize = kSourceCapacity + 4;

  // Reads, compiles and links. A shader that does not compile, or a program
  // that does not link, shows its log and a "Debug" box and ends the process
  // with status 0. `definitions` (lines such as "#define NAME\n"), when
  // given, go into both texts after their first line (the "#version"
  // line), so texts can share constants and serve several programs; a text
  // with no room left for them is reported like a compile error.
  ShaderProgram(std::uint16_t vertexId, std::uint16_t fragmentId, const char* definitions = nullptr);
  ~ShaderProgram();
  ShaderProgram(const ShaderProgram&) = delete;
  ShaderProgram& operator=(const ShaderProgram&) = delete;

  GLuint GetId() const { return program; }
  void Use() const;
  GLint UniformLocation(const char* name);
  GLint AttribLocation(const char* name);
  GLint LookupLocation(LocationKind kind, const char* name);
  // Sets the sampler to `unit` in the current program, then binds `texture`
  // to that unit's GL_TEXTURE_2D target.
  void SetTexture(const char* sampler, int unit, GLuint texture);
  void ShowShaderLog(GLuint shader);

  const char* VertexSource() const { return vertexSource; }
  const char* FragmentSource() const { return fragmentSource; }

 private:
  void ShowProgramLog();
  // Loads and compiles one stage; on failure shows its log and `failure`,
  // then ends.
  GLuint CompileStage(GLenum type, std::uint16_t id, char* source, const char* definitions, const char* failure);

  char* vertexSource = nullptr;
  char* fragmentSource = nullptr;
  GLuint vertexShader = 0;
  GLuint fragmentShader = 0;
  GLuint program = 0;
  std::map<std::string, GLint> locations;
};

class ProgramRegistry {
 public:
  ProgramRegistry() = default;
  ~ProgramRegistry();
  ProgramRegistry(const ProgramRegistry&) = delete;
  ProgramRegistry& operator=(const ProgramRegistry&) = delete;

  // Builds a program and registers it under `name`. A name registered before
  // keeps its first program; the new one is deleted with its OpenGL objects.
  void Add(const char* name, std::uint16_t vertexId, std::uint16_t fragmentId,
           const char* definitions = nullptr);
  // Makes the named program current; a name never added changes nothing.
  void Use(const char* name);
  GLuint FindId(const char* name) const;          // 0 for a name never added
  ShaderProgram* Find(const char* name) const;    // nullptr for a name never added
  std::size_t Count() const { return programs.size(); }

 private:
  std::map<std::string, GLuint> programIds;
  std::map<std::string, ShaderProgram*> programs;
};
