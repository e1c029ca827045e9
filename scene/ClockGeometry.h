// The clock picture's measures, written once for the clock shaders and for
// the code that finds where a frame can change (ChangingRegions): C++ sees
// constants, the shaders "#define" lines of the same names that the scene
// puts after each shader text's first line. GLSL gets each value as the
// text written here, so it evaluates it as it would a literal of its own.
// Dial units: the drawing square's side is 1; angles in radians.
#pragma once

// X(name, value) for every measure:
// - the dial picture is shown at 1/kDialScale of the square; the marks, the
//   first at 3 o'clock, and the hour sectors, the first about 3 o'clock;
// - tick marks (bold: every fifth; other marks): half-width (radians),
//   half-length, brightness falloff, radius of the centre;
// - hands: the line runs from the centre toward the point `Reach` from the
//   dial origin in the hand's direction; the glow reaches `Width` from it
//   (and behind the centre), the rounded tip begins at `TipStart`;
// - the sector tints reach the dial's lit parts (red above kLitRed) between
//   radii kRingInner and kRingOuter.
#define LUMITICK_CLOCK_GEOMETRY(X)                                                                           \
  X(kDialScale, 1.04) X(kMarkCount, 60.0) X(kSectorCount, 12.0)                                              \
  X(kBoldHalfWidth, 0.018) X(kBoldHalfLength, 0.032) X(kBoldFalloff, 44.0) X(kBoldCentre, 0.475)             \
  X(kMarkHalfWidth, 0.016) X(kMarkHalfLength, 0.016) X(kMarkFalloff, 70.0) X(kMarkCentre, 0.48)              \
  X(kHourReach, 100.0) X(kHourWidth, 0.02) X(kHourTipStart, (0.360 - 0.048))                                 \
  X(kMinuteReach, 1000.0) X(kMinuteWidth, 0.015) X(kMinuteTipStart, (0.490 - 0.048))                         \
  X(kSecondReach, 1000.0) X(kSecondWidth, 0.01) X(kSecondTipStart, (0.530 - 0.048))                          \
  X(kRingInner, 0.30) X(kRingOuter, 0.45) X(kLitRed, 0.01)

namespace scene {

#define LUMITICK_CLOCK_CONSTANT(name, value) constexpr double name = value;
LUMITICK_CLOCK_GEOMETRY(LUMITICK_CLOCK_CONSTANT)
#undef LUMITICK_CLOCK_CONSTANT

// The measures as "#define" lines, for the clock program and for the static
// layer's, which leaves out what moves, and for the programs that write the
// pictures' samples and read them back.
#define LUMITICK_CLOCK_DEFINE(name, value) "#define " #name " " #value "\n"
constexpr char kClockShaderDefinitions[] = LUMITICK_CLOCK_GEOMETRY(LUMITICK_CLOCK_DEFINE);
constexpr char kStaticLayerDefinitions[] = LUMITICK_CLOCK_GEOMETRY(LUMITICK_CLOCK_DEFINE) "#define STATIC_LAYER\n";
// The pictures' samples of a size written once, and the clock read from them.
constexpr char kSamplesOutDefinitions[] = LUMITICK_CLOCK_GEOMETRY(LUMITICK_CLOCK_DEFINE) "#define SAMPLES_OUT\n";
constexpr char kSamplesInDefinitions[] = LUMITICK_CLOCK_GEOMETRY(LUMITICK_CLOCK_DEFINE) "#define SAMPLES_IN\n";
#undef LUMITICK_CLOCK_DEFINE

}  // namespace scene
