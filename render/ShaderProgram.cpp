#include "render/ShaderProgram.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "platform/message_box.h"
#include "render/TextResource.h"

namespace {

void DebugBox(const char* text) { platform::ShowMessageBox(text, "Debug", platform::MessageIcon::Information); }

// Puts `lines` into the NUL-terminated `text` after its first line. False,
// with the text unchanged, when the result would not fit in `capacity`.
bool InsertAfterFirstLine(char* text, std::size_t capacity, const char* lines) {
  const std::size_t length = std::strlen(text), extra = std::strlen(lines);
  if (length + extra > capacity) return false;
  const char* newline = std::strchr(text, '\n');
  const std::size_t at = newline ? static_cast<std::size_t>(newline - text) + 1 : length;
  std::memmove(text + at + extra, text + at, length - at + 1);
  std::memcpy(text + at, lines, extra);
  return true;
}

}  // namespace

ShaderProgram::ShaderProgram(std::uint16_t vertexId, std::uint16_t fragmentId, const char* definitions) {
  vertexSource = new char[kSourceBufferSize];
  fragmentSource = new char[kSourceBufferSize];
  program = glCreateProgram();

  vertexShader = CompileStage(GL_VERTEX_SHADER, vertexId, vertexSource, definitions, "Vertex shader compilation error");
  fragmentShader =
      CompileStage(GL_FRAGMENT_SHADER, fragmentId, fragmentSource, definitions, "Fragment shader compilation error");

  glAttachShader(program, vertexShader);
  glAttachShader(program, fragmentShader);
  glLinkProgram(program);
  // A program that does not link would draw nothing at all: say why and end,
  // as for a shader that does not compile.
  if (glGetProgramiv) {
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == GL_FALSE) {
      ShowProgramLog();
      DebugBox("Shader program link error");
      std::exit(0);
    }
  }
}

GLuint ShaderProgram::CompileStage(GLenum type, std::uint16_t id, char* source, const char* definitions,
                                   const char* failure) {
  LoadTextResource(id, source, kSourceCapacity);
  if (definitions && !InsertAfterFirstLine(source, kSourceCapacity, definitions)) {
    DebugBox("Shader text too long for its definitions");
    DebugBox(failure);
    std::exit(0);
  }
  GLint status = GL_FALSE;
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
  if (status == GL_FALSE) {
    ShowShaderLog(shader);
    DebugBox(failure);
    glDeleteShader(shader);
    std::exit(0);
  }
  return shader;
}

ShaderProgram::~ShaderProgram() {
  delete[] vertexSource;
  delete[] fragmentSource;
  glDeleteShader(vertexShader);
  glDeleteShader(fragmentShader);
  glDeleteProgram(program);
}

void ShaderProgram::Use() const { glUseProgram(program); }

GLint ShaderProgram::UniformLocation(const char* name) { return LookupLocation(LocationKind::Uniform, name); }

GLint ShaderProgram::AttribLocation(const char* name) { return LookupLocation(LocationKind::Attribute, name); }

GLint ShaderProgram::LookupLocation(LocationKind kind, const char* name) {
  const std::string key(name);
  auto found = locations.find(key);
  if (found != locations.end()) return found->second;
  const GLint location =
      kind == LocationKind::Uniform ? glGetUniformLocation(program, name) : glGetAttribLocation(program, name);
  locations.emplace(key, location);
  return location;
}

void ShaderProgram::SetTexture(const char* sampler, int unit, GLuint texture) {
  glUniform1i(UniformLocation(sampler), unit);
  glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
  glBindTexture(GL_TEXTURE_2D, texture);
}

void ShaderProgram::ShowShaderLog(GLuint shader) {
  GLint length = 0;
  glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
  if (length < 0) length = 0;
  std::vector<char> log(static_cast<std::size_t>(length) + 1, '\0');
  glGetShaderInfoLog(shader, length, &length, log.data());
  DebugBox(log.data());
}

void ShaderProgram::ShowProgramLog() {
  GLint length = 0;
  glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
  if (length < 0) length = 0;
  std::vector<char> log(static_cast<std::size_t>(length) + 1, '\0');
  if (glGetProgramInfoLog) glGetProgramInfoLog(program, length, &length, log.data());
  DebugBox(log.data());
}

ProgramRegistry::~ProgramRegistry() {
  for (auto& entry : programs) delete entry.second;
}

void ProgramRegistry::Add(const char* name, std::uint16_t vertexId, std::uint16_t fragmentId,
                          const char* definitions) {
  ShaderProgram* program = new ShaderProgram(vertexId, fragmentId, definitions);
  const std::string key(name);
  if (programs.count(key)) {
    delete program;  // the first program under a name stays
    return;
  }
  programIds.emplace(key, program->GetId());
  programs.emplace(key, program);
}

void ProgramRegistry::Use(const char* name) {
  if (ShaderProgram* program = Find(name)) program->Use();
}

GLuint ProgramRegistry::FindId(const char* name) const {
  auto found = programIds.find(name);
  return found == programIds.end() ? 0 : found->second;
}

ShaderProgram* ProgramRegistry::Find(const char* name) const {
  auto found = programs.find(name);
  return found == programs.end() ? nullptr : found->second;
}
