#version 110
// Passes the screen-covering rectangle through (its corners are already in
// clip space; the matrices are set by the drawable but not needed here) and
// does, once per vertex instead of once per pixel, the clock picture's work
// that is the same for the whole frame and costs more than carrying it to
// the pixels: the reduced hand angles, the normal of each hand's line, the
// tinted hour sector of the hour and minute hands with its strength, and
// the fade-in. The results are the same at every corner, so every pixel
// receives them as they are.
// The clock's measures (kHourReach, kSectorCount, ...) are "#define" lines
// the scene adds after the first line.

#define M_PI 3.1415926535897932

attribute vec4 position;
attribute vec2 position_tex;
attribute vec3 position_normal;
uniform mat4 model_world;
uniform mat4 world_projection;
uniform mat4 model_projection;
uniform float iTime;
uniform float psecond;
uniform float pminute;
uniform float phour;
varying vec2 fs_tex;

varying vec3 handAngles;   // hour, minute, second, reduced below 2 pi
varying vec3 lineX;        // unit normal of each hand's line, x and y
varying vec3 lineY;
varying vec4 sectors;      // hour's mark, hour's factor, minute's mark, minute's factor
varying float brightness;  // the fade-in

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

// The unit normal of the line from the dial centre (0.5, 0.5) toward the
// point `reach` units from the dial origin in the hand's direction: the
// distance of (u, v) from the line is |n . ((u, v) - (0.5, 0.5))|.
vec2 hand_normal(float handAngle, float reach)
{
    float x2 = reach * cos(handAngle);
    float y2 = reach * sin(handAngle);
    float dy = y2 - 0.5;
    float dx = x2 - 0.5;
    return vec2(dy, -dx) / sqrt(dy * dy + dx * dx);
}

// The 30 degree mark whose sector a hand tints, and the tint's strength:
// of the two marks beside the hand, the one it is nearer to, the more the
// nearer, half-way at most. (Half-way between two marks either may be
// taken: the strength is 0 there.)
vec2 sector_of(float handAngle)
{
    float S = 2.0 * M_PI / kSectorCount;
    float mark = S * floor(handAngle / S + 0.5);
    return vec2(mark, (1.0 - angle_diff(handAngle, mark) / (S / 2.0)) * 0.5);
}

void main()
{
    fs_tex = position_tex;
    gl_Position = position;

    float Ah = angle_decycle(phour);
    float Am = angle_decycle(pminute);
    float As = angle_decycle(psecond);
    handAngles = vec3(Ah, Am, As);
    vec2 h = hand_normal(Ah, kHourReach);
    vec2 m = hand_normal(Am, kMinuteReach);
    vec2 s = hand_normal(As, kSecondReach);
    lineX = vec3(h.x, m.x, s.x);
    lineY = vec3(h.y, m.y, s.y);
    sectors = vec4(sector_of(Ah), sector_of(Am));
    brightness = smoothstep(3.0, 5.0, iTime);
}
//~
