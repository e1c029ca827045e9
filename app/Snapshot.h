// Linux-only developer and packaging aids of the executable: one frame
// rendered offscreen into a PNG, and the embedded resources written out.
#pragma once

#include <string>

struct SnapshotOptions {
  std::string path;            // the PNG to write
  int width = 1920;
  int height = 1080;
  bool haveTime = false;       // false: the current local time
  int hour = 0, minute = 0, second = 0;
  double fraction = 0.0;       // of the second, 0 <= fraction < 1
  double iTime = 10.0;         // the timer value of the frame (seconds)
};

// Parses "WxH" (both 1..16384).
bool ParseSnapshotSize(const char* text, int* width, int* height);
// Parses "HH:MM:SS" or "HH:MM:SS.fff" (24-hour; seconds up to 60).
bool ParseSnapshotTime(const char* text, SnapshotOptions* options);
// Parses a finite, non-negative number of seconds.
bool ParseSnapshotITime(const char* text, double* iTime);

// Renders one frame through the scene set-up and frame step, with the wall
// clock and timer replaced by the options, and writes it as an 8-bit RGB
// PNG. Answers the process's exit status (0 on success).
int RunSnapshot(const SnapshotOptions& options);

// Writes every embedded resource to `directory` as TYPE-ID.ext, byte for
// byte. Answers the exit status.
int ExportResources(const std::string& directory);

// Writes an RGB image (rows from the top) as a PNG. False on failure.
bool WritePng(const std::string& path, int width, int height, const unsigned char* rgbTopDown);
