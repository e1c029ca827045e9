#version 110
// The whole clock picture, one pixel at a time: the background stretched
// over the viewport and, in a centred square as large as the shorter side,
// the dial picture, sixty tick marks lit by the hands passing them, the three
// glowing hands and a tint of the hour sectors nearest the hour and minute
// hands; all of it fading in between 3 and 5 seconds.
//
// Dial coordinates (u, v) run from 0 to 1 across the square, v upward.
// Angles are radians, 0 at 3 o'clock, growing counter-clockwise.
//
// What is the same for the whole frame comes from the vertex shader. A mark
// is far narrower than the spacing of the marks, so at most one mark can
// hold a pixel: the nearest one, the only one examined. Where the picture
// has hard edges (the square, the marks' boxes, the tinted sectors) the
// values deciding them are computed exactly as a mark-by-mark evaluation
// computes them, so the edges fall on the same pixels.

#define M_PI 3.1415926535897932

uniform float iTime;
uniform float viewportWidth;
uniform float viewportHeight;
uniform float psecond;
uniform float pminute;
uniform float phour;
uniform sampler2D clockTexture;
uniform sampler2D backgroundTexture;
varying vec2 fs_tex;

varying vec3 handAngles;   // hour, minute, second, reduced below 2 pi
varying vec3 lineX;        // hand line n . (u, v) + c, |n| = 1, per hand
varying vec3 lineY;
varying vec3 lineC;
varying vec4 sectors;      // hour's mark, hour's factor, minute's mark, minute's factor
varying vec4 square;       // margin x, margin y, side, scene brightness

// The arc sine, exact to a few millionths of a radian. Drivers' own asin
// may be off by 4e-4 (llvmpipe), which shows as uneven tick marks; the
// arc tangent form gives the same angle and is computed precisely.
float arc_sine(float z)
{
    return atan(z, sqrt(max(1.0 - z * z, 0.0)));
}

// (angle, radius) of a dial point about the centre; the angle in [0, 2 pi).
vec2 xy_to_ar(float x, float y)
{
    float r = length(vec2(x, y) - vec2(0.5, 0.5));
    float a = 0.0;
    if (r != 0.0)
        a = arc_sine((y - 0.5) / r);
    if (x < 0.5)
        a = M_PI - a;
    if (a < 0.0)
        a = a + 2.0 * M_PI;
    return vec2(a, r);
}

// The angle between two directions.
float angle_diff(float a, float b)
{
    float d = abs(a - b);
    return min(d, abs(2.0 * M_PI - d));
}

// Moves a mark's colour toward a hand's colour when the hand is within 3
// degrees of the mark, fully when it points straight at it.
vec4 highlight(vec4 colour, float handAngle, float markAngle, vec3 target)
{
    float f = angle_diff(handAngle, markAngle) / (M_PI / 60.0);
    if (f <= 1.0)
    {
        colour.rgb = colour.rgb + (target - colour.rgb) * (1.0 - f);
        colour.a = 1.0;
    }
    return colour;
}

void main()
{
    float W = viewportWidth;
    float H = viewportHeight;
    float x = gl_FragCoord.x;
    float y = gl_FragCoord.y;
    float margin_x = square.x;
    float margin_y = square.y;
    float w = square.z;
    float B = square.w;

    vec4 bg = texture2D(backgroundTexture, vec2(x / W, y / H));
    if (!(margin_x <= x && x <= margin_x + w && margin_y <= y && y <= margin_y + w))
    {
        gl_FragColor = B * (vec4(0.0, 0.0, 0.0, 1.0) + bg);
        return;
    }

    float u = (x - margin_x) / w;
    float v = (y - margin_y) / w;
    vec4 T = texture2D(clockTexture, vec2(0.5, 0.5) + 1.04 * (vec2(u, v) - vec2(0.5, 0.5)));
    vec2 ar = xy_to_ar(u, v);
    float alpha = ar.x;
    float r = ar.y;

    // The nearest tick mark; every fifth is bold. Only the ring of the
    // marks can hold one.
    if (r > 0.44 && r < 0.51)
    {
        int k = int(floor(alpha * (60.0 / (2.0 * M_PI)) + 0.5));
        if (k >= 60)
            k = 0;
        float a = float(k) * 2.0 * M_PI / 60.0;
        float hw = 0.016;
        float hl = 0.016;
        float falloff = 70.0;
        float centre = 0.48;
        vec4 colour = vec4(0.8, 0.8, 0.8, 1.0);
        if (k - (k / 5) * 5 == 0)
        {
            hw = 0.018;
            hl = 0.032;
            falloff = 44.0;
            centre = 0.475;
            colour = vec4(1.0, 1.0, 1.0, 1.0);
        }
        bool inAngle = (a - hw < alpha && alpha < a + hw)
                    || (a - hw + 2.0 * M_PI < alpha && alpha < a + hw + 2.0 * M_PI);
        if (inAngle && centre - hl < r && r < centre + hl)
        {
            colour = highlight(colour, handAngles.x, a, vec3(1.0, 0.0, 0.0));
            colour = highlight(colour, handAngles.y, a, vec3(0.0, 1.0, 0.0));
            colour = highlight(colour, handAngles.z, a, vec3(0.0, 0.0, 1.0));
            float b = 1.0 - falloff * length(vec2(r - centre, min(abs(alpha - a), abs(alpha - a - 2.0 * M_PI))));
            T = clamp(b * colour, 0.0, 1.0);
        }
    }

    // Hands: hour, minute, second in the three components. Each glows
    // within its width of its line, with a rounded tip and, behind the
    // centre, a half-disc.
    vec3 glow = vec3(0.0);
    vec3 d = abs(lineX * u + lineY * v + lineC);
    vec3 width = vec3(0.02, 0.015, 0.01);
    if (any(lessThan(d, width)) && r < 0.53)
    {
        vec3 len = vec3(0.336, 0.486, 0.526);
        vec3 tipStart = vec3(0.360 - 0.048, 0.490 - 0.048, 0.530 - 0.048);
        vec3 behind = vec3(angle_diff(alpha, handAngles.x), angle_diff(alpha, handAngles.y),
                           angle_diff(alpha, handAngles.z));
        vec3 isBehind = step(M_PI / 2.0, behind);
        vec3 tip = max(vec3(r) - tipStart, 0.0);
        vec3 d2 = mix(sqrt(d * d + tip * tip), vec3(r), isBehind);
        vec3 reach = mix(len, vec3(0.048), isBehind);
        vec3 inside = vec3(lessThan(d, width)) * vec3(lessThan(vec3(r), reach));
        glow = inside * (1.0 - smoothstep(vec3(0.0), width, d2));
    }

    // Sector tints: the hour hand's toward red, then the minute hand's
    // toward green.
    if (0.30 < r && r < 0.45)
    {
        float S = 2.0 * M_PI / 12.0;
        if (angle_diff(alpha, sectors.x) < S / 2.0 && T.r > 0.01)
        {
            float x_t = sectors.y;
            T.r = T.r + x_t * (1.0 - T.r);
            T.g = T.g - x_t * T.g;
            T.b = T.b - x_t * T.b;
        }
        if (angle_diff(alpha, sectors.z) < S / 2.0 && T.r > 0.01)
        {
            float x_t = sectors.w;
            T.g = T.g + x_t * (1.0 - T.g);
            T.r = T.r - x_t * T.r;
            T.b = T.b - x_t * T.b;
        }
    }

    gl_FragColor = B * (bg + T + vec4(glow, 0.0));
}
//~
