// Runs the saver's real scene set-up and frame step offscreen, frame after
// frame at about 60 Hz, with the system's own wall clock, and checks every
// frame's hands against the local time read just before and just after the
// frame. Run it under libfaketime with FAKETIME_TIMESTAMP_FILE naming a file
// (FAKETIME_NO_CACHE=1, FAKETIME_DONT_FAKE_MONOTONIC=1), which the tool
// itself rewrites to move the wall clock:
//
//   reliability_clock SECONDS START [--jump AFTER TO]...
//
// Once the scene is set up the wall clock is set to START (seconds since the
// epoch) and the frames run for SECONDS; AFTER seconds into the run the clock
// is set to TO. The real time for the offsets is read past libfaketime.
//
// The hands are read back from the uniforms "psecond", "pminute" and
// "phour" of the program the frame drew with. A frame is right when each
// hand shows a time between the local time before the frame and one second
// after the local time after it (the second hand sweeps on between the
// whole seconds).
//
// Output: "first T" and "last T" (the local times of the first and last
// frame), "local A -> B at frame N" for every change of the local time by
// more than two seconds (a jump), "hour angle turns negative at T" or
// "... positive ...", "frames N wrong M", and a "wrong frame ..." line for
// each of the first wrong frames. Status 0 when every frame was right.
#include <GLFW/glfw3.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "app/ScreensaverApp.h"
#include "gl/GLEntryPoints.h"
#include "render/OffscreenFramebuffer.h"
#include "scene/Scene.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Jump {
  double after;
  double to;
  bool done = false;
};

// The real time, by the system call itself: libfaketime only wraps the C
// library's functions.
double RealNow() {
  timespec ts{};
  syscall(SYS_clock_gettime, CLOCK_REALTIME, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

// Sets the faked wall clock to `epoch` now, as an offset from the real time.
bool SetWallClock(const char* file, double epoch) {
  FILE* f = std::fopen(file, "w");
  if (!f) return false;
  const long long offset = static_cast<long long>(std::llround(epoch - RealNow()));
  std::fprintf(f, "%+lld\n", offset);
  return std::fclose(f) == 0;
}

std::tm LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

double SecondsOfDay(const std::tm& t) { return t.tm_hour * 3600.0 + t.tm_min * 60.0 + t.tm_sec; }

// The time a hand shows, in seconds within its period, from its angle
// (0 at 3 o'clock, counter-clockwise); `period` is what one turn counts.
double HandTime(float angle, double period) {
  double turns = (kPi / 2 - static_cast<double>(angle)) / (2 * kPi);
  turns -= std::floor(turns);
  return turns * period;
}

// True when `shown` lies within [from, to] on a dial of `period`, allowing
// `slack` seconds either side.
bool Within(double shown, double from, double to, double period, double slack) {
  const double span = std::fmod(std::fmod(to - from, period) + period, period);
  const double offset = std::fmod(std::fmod(shown - from, period) + period, period);
  return offset <= span + slack || offset >= period - slack;
}

std::string Format(const std::tm& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d%s", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec, t.tm_isdst > 0 ? " DST" : "");
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const char* file = std::getenv("FAKETIME_TIMESTAMP_FILE");
  if (argc < 3 || !file) {
    std::fprintf(stderr, "usage: FAKETIME_TIMESTAMP_FILE=F reliability_clock SECONDS START [--jump AFTER TO]...\n");
    return 2;
  }
  const double seconds = std::atof(argv[1]);
  const double startEpoch = std::atof(argv[2]);
  std::vector<Jump> jumps;
  for (int i = 3; i + 2 < argc && std::string(argv[i]) == "--jump"; i += 3)
    jumps.push_back({std::atof(argv[i + 1]), std::atof(argv[i + 2])});

  if (!glfwInit()) return 1;
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  SetSaverWindowHints();
  GLFWwindow* window = glfwCreateWindow(64, 64, "reliability_clock", nullptr, nullptr);
  if (!window) return 1;
  glfwMakeContextCurrent(window);
  InitGLEntryPoints();

  const int size = 64;
  OffscreenFramebuffer frame;
  frame.Create(size, size, false);
  SetUpScene();  // the timer and the wall clock stay the saver's own
  // Every frame, black ones too, sets the hands' uniforms read back below.
  SceneView view(frame.Id(), true);
  if (!SetWallClock(file, startEpoch)) return 1;

  const double start = glfwGetTime();
  int frames = 0, wrong = 0, lastHourSign = 0;
  std::tm previous = LocalNow();
  std::printf("first %s\n", Format(previous).c_str());
  while (glfwGetTime() - start < seconds) {
    for (Jump& j : jumps) {
      if (j.done || glfwGetTime() - start < j.after) continue;
      if (!SetWallClock(file, j.to)) return 1;
      j.done = true;
    }
    const std::tm before = LocalNow();
    gScene->Draw(view, gScene->ReadFrameInstant(), size, size);
    const std::tm after = LocalNow();
    ++frames;

    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    float second = 0, minute = 0, hour = 0;
    glGetUniformfv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), "psecond"), &second);
    glGetUniformfv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), "pminute"), &minute);
    glGetUniformfv(static_cast<GLuint>(program), glGetUniformLocation(static_cast<GLuint>(program), "phour"), &hour);

    const double jump = SecondsOfDay(before) - SecondsOfDay(previous);
    if (std::fabs(jump) > 2.0 && std::fabs(jump) < 86400.0 - 2.0)
      std::printf("local %s -> %s at frame %d\n", Format(previous).c_str(), Format(before).c_str(), frames);
    previous = after;

    const int sign = hour < 0 ? -1 : 1;
    if (lastHourSign != 0 && sign != lastHourSign)
      std::printf("hour angle turns %s at %s\n", sign < 0 ? "negative" : "positive", Format(before).c_str());
    lastHourSign = sign;

    // The hands may run up to a second ahead of the whole seconds, plus the
    // time of one frame.
    const double from = SecondsOfDay(before), to = SecondsOfDay(after) + 1.0;
    const double slack = 0.1;
    const bool ok = Within(HandTime(second, 60.0), from, to, 60.0, slack) &&
                    Within(HandTime(minute, 3600.0), from, to, 3600.0, slack) &&
                    Within(HandTime(hour, 43200.0), from, to, 43200.0, slack);
    if (!ok && ++wrong <= 20)
      std::printf("wrong frame %d: local %s..%s, hands show %.3f s, %.3f s, %.3f s (angles %.6f %.6f %.6f)\n", frames,
                  Format(before).c_str(), Format(after).c_str(), HandTime(hour, 43200.0), HandTime(minute, 3600.0),
                  HandTime(second, 60.0), hour, minute, second);
    std::this_thread::sleep_for(std::chrono::milliseconds(16));
  }
  std::printf("last %s\n", Format(previous).c_str());
  std::printf("frames %d wrong %d\n", frames, wrong);
  return wrong == 0 && frames > 0 ? 0 : 1;
}
