#version 110
// Stand-in clock face: black.
varying vec2 fs_tex;
void main()
{
    gl_FragColor = vec4(0.0, 0.0, 0.0, 1.0);
}
//~
