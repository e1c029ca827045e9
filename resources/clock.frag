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
// Written for software rasterisers as much as for GPUs. Mesa's llvmpipe
// runs a fragment shader on 8 pixels at a time and executes both sides of
// every branch for all of them, so a branch saves nothing: what counts is
// the number of operations on the one path every pixel takes, and each
// varying costs about as much as nine operations. Hence no branches, no
// loop, and only the per-frame values that are dear to compute come from
// the vertex shader. A mark is far narrower than the spacing of the marks,
// so only the nearest one can hold a pixel, and only it is examined. Where
// the picture has hard edges (the square, the marks' boxes, the tinted
// sectors, the hands' cut at 3 o'clock for angles below -3/2 pi) the values
// deciding them are computed exactly as a mark-by-mark evaluation computes
// them, so the edges fall on the same pixels; elsewhere the picture is
// continuous, and cheaper forms of the same values do.
//
// The clock's measures (kDialScale, kHourWidth, ...) are "#define" lines
// the scene adds after the first line, from the one list it shares with
// the code that finds where a frame can change. With STATIC_LAYER defined
// as well the picture leaves out what moves: the hands, the marks'
// highlights and the sector tints. Everywhere those are zero both forms
// compute the very same pixels.
//
// The two pictures' samples are the same in every frame of a size: with
// SAMPLES_OUT the shader only writes them (the background's and the dial's)
// into two float framebuffer textures covering the viewport's pixels from
// samplesOrigin on (whole pixels), and with SAMPLES_IN it reads them back
// there, one texel a pixel, instead of filtering the pictures again. Their
// alpha channels carry the pixel's angle and radius about the dial centre
// instead: the pictures' alpha is 1, and after the fade-in (the frames that
// read the samples) the alpha written is saturated either way.

#define M_PI 3.1415926535897932

uniform float iTime;
uniform float viewportWidth;
uniform float viewportHeight;
uniform float psecond;
uniform float pminute;
uniform float phour;
uniform sampler2D clockTexture;
uniform sampler2D backgroundTexture;
#if defined(SAMPLES_IN) || defined(SAMPLES_OUT)
uniform vec2 samplesOrigin;
#endif
#ifdef SAMPLES_IN
uniform vec2 samplesSize;
uniform sampler2D backgroundSamples;
uniform sampler2D dialSamples;
#endif
varying vec2 fs_tex;

varying vec3 handAngles;   // hour, minute, second, reduced below 2 pi
varying vec3 lineX;        // unit normal of each hand's line, x and y
varying vec3 lineY;
varying vec4 sectors;      // hour's mark, hour's factor, minute's mark, minute's factor
varying float brightness;  // the fade-in

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

// The angle between two directions (for angles 3 pi apart or more it is
// not the smallest one; the picture keeps that, see the hands).
float angle_diff(float a, float b)
{
    float d = abs(a - b);
    return min(d, abs(2.0 * M_PI - d));
}

vec3 angle_diff(float a, vec3 b)
{
    vec3 d = abs(a - b);
    return min(d, abs(2.0 * M_PI - d));
}

void main()
{
    float x = gl_FragCoord.x;
    float y = gl_FragCoord.y;
#ifdef SAMPLES_OUT
    x = x + samplesOrigin.x;
    y = y + samplesOrigin.y;
#endif
    float margin_x = max(viewportWidth - viewportHeight, 0.0) * 0.5;
    float margin_y = max(viewportHeight - viewportWidth, 0.0) * 0.5;
    float w = min(viewportWidth, viewportHeight);

#ifdef SAMPLES_IN
    vec2 samplesAt = (vec2(x, y) - samplesOrigin) / samplesSize;
    vec4 bg = texture2D(backgroundSamples, samplesAt);
#else
    vec4 bg = texture2D(backgroundTexture, vec2(x / viewportWidth, y / viewportHeight));
#endif
    bool inside = margin_x <= x && x <= margin_x + w && margin_y <= y && y <= margin_y + w;

    // Outside the square the dial's colour is not used; one fixed texel
    // spares the memory traffic of fetching it.
    float u = (x - margin_x) / w;
    float v = (y - margin_y) / w;
    vec2 dialAt = vec2(0.5, 0.5) + kDialScale * (vec2(u, v) - vec2(0.5, 0.5));
#ifdef SAMPLES_IN
    vec4 T = texture2D(dialSamples, samplesAt);
    vec2 ar = vec2(bg.a, T.a);
    bg.a = 1.0;
    T.a = 1.0;
#else
    vec4 T = texture2D(clockTexture, inside ? dialAt : vec2(0.5, 0.5));
    vec2 ar = xy_to_ar(u, v);
#endif
#ifdef SAMPLES_OUT
    gl_FragData[0] = vec4(bg.rgb, ar.x);
    gl_FragData[1] = vec4(T.rgb, ar.y);
#else
    float alpha = ar.x;
    float r = ar.y;

    // The nearest tick mark; every fifth is bold. A hand within 3 degrees
    // of it pulls its colour toward the hand's, hour first, then minute,
    // then second.
    float k = floor(alpha * (kMarkCount / (2.0 * M_PI)) + 0.5);
    if (k >= kMarkCount)
        k = 0.0;
    float a = k * 2.0 * M_PI / kMarkCount;
    bool bold = fract(k * 0.2) < 0.1;
    float hw = bold ? kBoldHalfWidth : kMarkHalfWidth;
    float hl = bold ? kBoldHalfLength : kMarkHalfLength;
    float falloff = bold ? kBoldFalloff : kMarkFalloff;
    float centre = bold ? kBoldCentre : kMarkCentre;
    vec3 colour = vec3(bold ? 1.0 : 0.8);
#ifndef STATIC_LAYER
    vec3 pull = max(1.0 - angle_diff(a, handAngles) / (M_PI / kMarkCount), 0.0);
    colour = colour * (1.0 - pull.x) + vec3(pull.x, 0.0, 0.0);
    colour = colour * (1.0 - pull.y) + vec3(0.0, pull.y, 0.0);
    colour = colour * (1.0 - pull.z) + vec3(0.0, 0.0, pull.z);
#endif
    bool inAngle = (a - hw < alpha && alpha < a + hw)
                || (a - hw + 2.0 * M_PI < alpha && alpha < a + hw + 2.0 * M_PI);
    if (inAngle && centre - hl < r && r < centre + hl)
    {
        float b = 1.0 - falloff * length(vec2(r - centre, min(abs(alpha - a), abs(alpha - a - 2.0 * M_PI))));
        T = max(b, 0.0) * vec4(colour, 1.0);
    }

    // Hands: hour, minute, second in the three components. Each glows
    // within its width of its line, with a rounded tip and, behind the
    // centre, a half-disc. The glow falls to 0 before every bound of a
    // hand's region (its width, its length, the half-disc's radius), so no
    // test of the region is needed. "Behind" is decided by angle_diff as
    // the mark-by-mark evaluation does, so the hands keep its cut along the
    // 3 o'clock line for angles below -3/2 pi.
#ifdef STATIC_LAYER
    vec3 glow = vec3(0.0);
#else
    vec3 width = vec3(kHourWidth, kMinuteWidth, kSecondWidth);
    vec3 tipStart = vec3(kHourTipStart, kMinuteTipStart, kSecondTipStart);
    vec3 d = lineX * (u - 0.5) + lineY * (v - 0.5);  // signed distances
    vec3 behind = step(M_PI / 2.0, angle_diff(alpha, handAngles));
    vec3 tip = max(vec3(r) - tipStart, 0.0);
    vec3 d2 = mix(sqrt(d * d + tip * tip), vec3(r), behind);
    vec3 glow = 1.0 - smoothstep(vec3(0.0), width, d2);
#endif

    // Sector tints: the lit dial (red above kLitRed) between radii
    // kRingInner and kRingOuter within 15 degrees of a hand's sector mark;
    // the hour hand's toward red, then the minute hand's toward green.
#ifndef STATIC_LAYER
    bool ring = kRingInner < r && r < kRingOuter;
    float S = 2.0 * M_PI / kSectorCount;
    float x_t = ring && angle_diff(alpha, sectors.x) < S / 2.0 && T.r > kLitRed ? sectors.y : 0.0;
    T.rgb = T.rgb * (1.0 - x_t) + vec3(x_t, 0.0, 0.0);
    x_t = ring && angle_diff(alpha, sectors.z) < S / 2.0 && T.r > kLitRed ? sectors.w : 0.0;
    T.rgb = T.rgb * (1.0 - x_t) + vec3(0.0, x_t, 0.0);
#endif

    gl_FragColor = brightness * (bg + (inside ? T + vec4(glow, 0.0) : vec4(0.0, 0.0, 0.0, 1.0)));
#endif
}
//~
