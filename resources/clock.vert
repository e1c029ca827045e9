#version 110
// Passes the screen-covering rectangle through (its corners are already in
// clip space; the matrices are set by the drawable but not needed here) and
// does, once per vertex instead of once per pixel, the clock picture's work
// that is the same for the whole frame: the reduced hand angles, each hand's
// line as a normalised line equation, the tinted hour sector of the hour and
// minute hands and its strength, the drawing square and the fade-in. The
// results are the same at every corner, so every pixel receives them as
// they are.

#define M_PI 3.1415926535897932

attribute vec4 position;
attribute vec2 position_tex;
attribute vec3 position_normal;
uniform mat4 model_world;
uniform mat4 world_projection;
uniform mat4 model_projection;
uniform float iTime;
uniform float viewportWidth;
uniform float viewportHeight;
uniform float psecond;
uniform float pminute;
uniform float phour;
varying vec2 fs_tex;

varying vec3 handAngles;   // hour, minute, second, reduced below 2 pi
varying vec3 lineX;        // hand line n . (u, v) + c, |n| = 1, per hand
varying vec3 lineY;
varying vec3 lineC;
varying vec4 sectors;      // hour's mark, hour's factor, minute's mark, minute's factor
varying vec4 square;       // margin x, margin y, side, scene brightness

// The magnitude reduced below 2 pi, the sign kept.
float angle_decycle(float angle)
{
    float m = abs(angle);
    return sign(angle) * (m - 2.0 * M_PI * floor(m / (2.0 * M_PI)));
}

// The angle between two directions.
float angle_diff(float a, float b)
{
    float d = abs(a - b);
    return min(d, abs(2.0 * M_PI - d));
}

// The line from the dial centre (0.5, 0.5) toward the point `reach` units
// from the dial origin in the hand's direction, as (nx, ny, c): the distance
// of (u, v) from it is |nx u + ny v + c|.
vec3 hand_line(float handAngle, float reach)
{
    float x2 = reach * cos(handAngle);
    float y2 = reach * sin(handAngle);
    float dy = y2 - 0.5;
    float dx = x2 - 0.5;
    float len = sqrt(dy * dy + dx * dx);
    return vec3(dy, -dx, x2 * 0.5 - y2 * 0.5) / len;
}

// The 30 degree mark whose sector a hand tints, and the tint's strength:
// of the two marks beside the hand, the one it is nearer to, the more the
// nearer, half-way at most.
vec2 sector_of(float handAngle)
{
    float S = 2.0 * M_PI / 12.0;
    float upper = S * ceil(handAngle / S);
    float lower = S * floor(handAngle / S);
    float hu = angle_diff(handAngle, upper);
    float hl = angle_diff(handAngle, lower);
    if (hu < S / 2.0)
        return vec2(upper, (1.0 - hu / (S / 2.0)) * 0.5);
    return vec2(lower, (1.0 - hl / (S / 2.0)) * 0.5);
}

void main()
{
    fs_tex = position_tex;
    gl_Position = position;

    float Ah = angle_decycle(phour);
    float Am = angle_decycle(pminute);
    float As = angle_decycle(psecond);
    handAngles = vec3(Ah, Am, As);
    vec3 h = hand_line(Ah, 100.0);
    vec3 m = hand_line(Am, 1000.0);
    vec3 s = hand_line(As, 1000.0);
    lineX = vec3(h.x, m.x, s.x);
    lineY = vec3(h.y, m.y, s.y);
    lineC = vec3(h.z, m.z, s.z);
    sectors = vec4(sector_of(Ah), sector_of(Am));

    float W = viewportWidth;
    float H = viewportHeight;
    float ratio = W / H;
    float margin_x = 0.0;
    float margin_y = 0.0;
    float w = 0.0;
    if (ratio > 1.0)
    {
        margin_x = (W - H) / 2.0;
        w = H;
    }
    if (ratio < 1.0)
    {
        margin_y = (H - W) / 2.0;
        w = W;
    }
    if (ratio == 1.0)
        w = W;
    square = vec4(margin_x, margin_y, w, smoothstep(3.0, 5.0, iTime));
}
//~
