#version 110
// Passes the screen-covering rectangle through: its corners are already in
// clip space. The matrices are set by the drawable but not needed here.
attribute vec4 position;
attribute vec2 position_tex;
attribute vec3 position_normal;
uniform mat4 model_world;
uniform mat4 world_projection;
uniform mat4 model_projection;
varying vec2 fs_tex;
void main()
{
    fs_tex = position_tex;
    gl_Position = position;
}
//~
