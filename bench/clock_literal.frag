#version 110
// The benchmark's baseline, never shipped: the clock picture computed
// literally, every one of the sixty marks tested at every pixel of the dial.
//
// The whole clock picture, one pixel at a time: the background stretched
// over the viewport and, in a centred square as large as the shorter side,
// the dial picture, sixty tick marks lit by the hands passing them, the three
// glowing hands and a tint of the hour sectors nearest the hour and minute
// hands; all of it fading in between 3 and 5 seconds.
//
// Dial coordinates (u, v) run from 0 to 1 across the square, v upward.
// Angles are radians, 0 at 3 o'clock, growing counter-clockwise.

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

// Distance from (x0, y0) to the straight line through (x1, y1) and (x2, y2).
float distance_to_line(float x0, float y0, float x1, float y1, float x2, float y2)
{
    float dy = y2 - y1;
    float dx = x2 - x1;
    return abs(dy * x0 - dx * y0 + x2 * y1 - y2 * x1) / sqrt(dy * dy + dx * dx);
}

// The angle between two directions.
float angle_diff(float a, float b)
{
    float d = abs(a - b);
    return min(d, abs(2.0 * M_PI - d));
}

// The magnitude reduced below 2 pi, the sign kept.
float angle_decycle(float angle)
{
    float m = abs(angle);
    return sign(angle) * (m - 2.0 * M_PI * floor(m / (2.0 * M_PI)));
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

// Glow of one hand: 1 on its line, fading over `width`, with a rounded tip
// from `tipStart` and a half-disc behind the centre.
float hand_glow(float d, float width, float len, float tipStart, float alpha, float r, float handAngle)
{
    float behind = angle_diff(alpha, handAngle);
    if (!(d < width && ((r < len && behind < M_PI / 2.0) || (r < 0.048 && behind >= M_PI / 2.0))))
        return 0.0;
    float d2 = d;
    if (r > tipStart)
        d2 = sqrt(d * d + (r - tipStart) * (r - tipStart));
    if (behind >= M_PI / 2.0)
        d2 = r;
    return 1.0 - smoothstep(0.0, width, d2);
}

// Tint factor (0 to 0.5) of the hour sector nearest to a hand, at a pixel of
// angle alpha: strongest when the hand points at that sector's 30 degree mark.
float sector_factor(float handAngle, float alpha)
{
    float S = 2.0 * M_PI / 12.0;
    float upper = S * ceil(handAngle / S);
    float lower = S * floor(handAngle / S);
    float du = angle_diff(alpha, upper);
    float dl = angle_diff(alpha, lower);
    float hu = angle_diff(handAngle, upper);
    float hl = angle_diff(handAngle, lower);
    float x_t = 0.0;
    if (hu < S / 2.0)
    {
        if (du < S / 2.0)
            x_t = 1.0 - hu / (S / 2.0);
    }
    else
    {
        if (dl < S / 2.0)
            x_t = 1.0 - hl / (S / 2.0);
    }
    return x_t * 0.5;
}

// Whether a pixel at angle alpha lies within 15 degrees of either 30 degree
// mark beside the hand.
bool in_sector(float handAngle, float alpha)
{
    float S = 2.0 * M_PI / 12.0;
    float du = angle_diff(alpha, S * ceil(handAngle / S));
    float dl = angle_diff(alpha, S * floor(handAngle / S));
    return du < S / 2.0 || dl < S / 2.0;
}

void main()
{
    float W = viewportWidth;
    float H = viewportHeight;
    float x = gl_FragCoord.x;
    float y = gl_FragCoord.y;

    float Ah = angle_decycle(phour);
    float Am = angle_decycle(pminute);
    float As = angle_decycle(psecond);

    float ratio = W / H;
    float sx = x / W;
    float sy = y / H;
    float B = smoothstep(3.0, 5.0, iTime);
    vec4 bg = texture2D(backgroundTexture, vec2(sx, sy));

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
    vec4 Ch = vec4(0.0);
    vec4 Cm = vec4(0.0);
    vec4 Cs = vec4(0.0);

    // Tick marks; every fifth is bold.
    for (int k = 0; k < 60; k++)
    {
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
        colour = highlight(colour, Ah, a, vec3(1.0, 0.0, 0.0));
        colour = highlight(colour, Am, a, vec3(0.0, 1.0, 0.0));
        colour = highlight(colour, As, a, vec3(0.0, 0.0, 1.0));

        bool inAngle = (a - hw < alpha && alpha < a + hw)
                    || (a - hw + 2.0 * M_PI < alpha && alpha < a + hw + 2.0 * M_PI);
        if (inAngle && centre - hl < r && r < centre + hl)
        {
            float b = 1.0 - falloff * length(vec2(r - centre, min(abs(alpha - a), abs(alpha - a - 2.0 * M_PI))));
            T = clamp(b * colour, 0.0, 1.0);
        }
    }

    // Hands: lines from the centre toward a far point in each direction.
    float dh = distance_to_line(u, v, 0.5, 0.5, 100.0 * cos(Ah), 100.0 * sin(Ah));
    float dm = distance_to_line(u, v, 0.5, 0.5, 1000.0 * cos(Am), 1000.0 * sin(Am));
    float ds = distance_to_line(u, v, 0.5, 0.5, 1000.0 * cos(As), 1000.0 * sin(As));
    Ch = vec4(hand_glow(dh, 0.02, 0.336, 0.360 - 0.048, alpha, r, Ah), 0.0, 0.0, 0.0);
    Cm = vec4(0.0, hand_glow(dm, 0.015, 0.486, 0.490 - 0.048, alpha, r, Am), 0.0, 0.0);
    Cs = vec4(0.0, 0.0, hand_glow(ds, 0.01, 0.526, 0.530 - 0.048, alpha, r, As), 0.0);

    // Sector tints: the hour hand's toward red, then the minute hand's toward green.
    if (in_sector(Ah, alpha) && T.r > 0.01 && 0.30 < r && r < 0.45)
    {
        float x_t = sector_factor(Ah, alpha);
        T.r = T.r + x_t * (1.0 - T.r);
        T.g = T.g - x_t * T.g;
        T.b = T.b - x_t * T.b;
    }
    if (in_sector(Am, alpha) && T.r > 0.01 && 0.30 < r && r < 0.45)
    {
        float x_t = sector_factor(Am, alpha);
        T.g = T.g + x_t * (1.0 - T.g);
        T.r = T.r - x_t * T.r;
        T.b = T.b - x_t * T.b;
    }

    gl_FragColor = B * (bg + T + Ch + Cm + Cs);
}
//~
