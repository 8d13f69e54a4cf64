// What the end-to-end tests of the Linux program need around it: starting it with its own
// environment, bounded waits for it, screen grabs through ImageMagick's import, xdotool, and
// reading back the pictures it writes. Every wait is a bounded poll, never a fixed sleep.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// An RGB picture, top row first.
struct Picture {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int32_t x, int32_t y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  Picture Crop(int32_t x, int32_t y, int32_t w, int32_t h) const;
};

// A started program. The destructor kills it if it still runs, so no test leaves one behind.
struct Program {
  pid_t pid = 0;
  std::string outPath, errPath;  // its standard output and error, kept in files
  int status = -1;               // exit status once it has ended; 128 + signal when killed by one
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();
  bool Running();                    // false once it has ended (status is then set)
  int WaitForExit(int polls = 200);  // polls of 50 ms; -1 when it is still running after them
  std::string Out() const;
  std::string Err() const;
};

// A variable to set, or with remove = true to take out of the program's environment.
struct EnvChange {
  std::string name, value;
  bool remove = false;
};

// Starts `program args...` with the environment changed as given; output goes to files in folder.
// With terminal = true its standard error is a pseudo-terminal whose output ends up in errPath.
void StartProgram(Program& program, const std::vector<std::string>& args, const std::vector<EnvChange>& env,
                  const std::string& folder, bool terminal = false);

// Runs a shell command line to the end and returns its standard output.
std::string RunCommand(const std::string& command);
// Runs xdotool with args until it succeeds, up to 20 times: like every X client here it can find
// its connection refused when it comes just as another client's goes away.
bool Xdotool(const std::string& args);

// Calls test up to `polls` times, 50 ms apart, until it returns true.
bool PollUntil(const std::function<bool()>& test, int polls = 200);

// The X screen (`import -window root`) or one window, as a picture; empty when import fails 20
// times in a row.
Picture GrabScreen();
Picture GrabWindow(unsigned long window);
// A window as a picture file for people to look at (any format import knows by the suffix).
bool SaveWindow(unsigned long window, const std::string& path);

// Position and size of the program's top-level window, found by its title.
struct WindowPlace {
  unsigned long id = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
};
bool FindWindow(const std::string& title, int32_t width, int32_t height, WindowPlace* place);

// An 8-bit RGB or RGBA PNG file as RGB; empty on failure.
Picture ReadPng(const std::string& path);
// A 24-bit bottom-up BMP file as RGB, top row first; empty on failure. *fileBytes: its length.
Picture ReadBmp(const std::string& path, size_t* fileBytes);

// ---- What is on a picture ------------------------------------------------------------------

// Pixels of "Loading..." (its exact colour) and lit pixels outside the text's band.
struct LoadingLook {
  int textPixels;
  int pixelsOutsideBand;
};
LoadingLook LookForLoading(const Picture& picture);
// Share of pixels in the planet's colours: red above green and blue, and not dark.
double MarsShare(const Picture& picture);
// Widest horizontal extent of the lit globe over the rows around the picture's middle, pixels.
int32_t GlobeWidth(const Picture& picture);
// Mean absolute difference per channel between two pictures of the same size.
double MeanDifference(const Picture& a, const Picture& b);

// A box on a picture, right and bottom exclusive.
struct Box {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};
// The box of the largest disc drawn in box, the atmosphere's faintest edge included: the longest
// runs of columns and of rows that hold at least 5 pixels with any red (the few stars of one row
// or column fall short). Empty when nothing is drawn.
Box GlobeBox(const Picture& picture, const Box& box);

// A window as XScreenSaver makes one for a hack: a GL-capable visual of its own choosing, mapped,
// on a connection of the test's. Destroyed with the record.
struct TestWindow {
  explicit TestWindow(int width, int height);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  std::string Id() const;   // "0x..." as XScreenSaver passes it
  void Destroy();           // the window goes now, as XScreenSaver takes a hack's window away
  void* display = nullptr;  // Display*
  unsigned long window = 0;
  unsigned long colormap = 0;
  std::string why;  // what failed when window is 0
};
