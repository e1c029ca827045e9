// Frame-time statistics for the LUMITICK_SHOW_FRAME_TIMES developer build.
//
// The frame update calls BeginFrameTimes() first and EndFrameTimes() last;
// the end call updates the statistics, shows them ("Info" box: minimum,
// maximum, average in milliseconds) and ends the process with status 0, so
// the report covers the first frame. Without the switch nothing calls them
// and no statistics are kept.
#pragma once

#include <cstdint>

struct FrameTimeStats {
  float startMark = 0.0f;  // timer seconds at the start of the frame
  float elapsed = 0.0f;    // milliseconds of the last frame
  float minimum = 1000.0f;
  float maximum = -1000.0f;
  float total = 0.0f;
  std::int32_t count = 0;
  float average = 0.0f;

  void Start(double now);
  // Takes one sample. The first sample sets both extremes, whatever the
  // starting values, so that a frame longer than a second is reported as it
  // was.
  void Finish(double now);
};

// The record the two calls below use; made on first use.
FrameTimeStats& TheFrameTimeStats();

void BeginFrameTimes();
void EndFrameTimes();  // does not return
