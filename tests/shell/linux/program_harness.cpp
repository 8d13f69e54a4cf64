// Processes, grabs and picture files for the Linux program's end-to-end tests.
#include "tests/shell/linux/program_harness.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <png.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr int kPollMilliseconds = 50;
constexpr int kClientAttempts = 20;  // tries of one X client before a failure counts

// The pseudo-terminal masters of running programs, by pid, read when they end.
struct TerminalOutput {
  pid_t pid;
  int master;
};
std::vector<TerminalOutput> gTerminals;

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void DrainTerminal(pid_t pid, const std::string& errPath) {
  for (auto it = gTerminals.begin(); it != gTerminals.end(); ++it) {
    if (it->pid != pid) continue;
    std::ofstream out(errPath, std::ios::binary | std::ios::app);
    char buffer[4096];
    // After the program has closed its side, the master returns what is left, then EIO.
    ssize_t n;
    while ((n = read(it->master, buffer, sizeof buffer)) > 0) out.write(buffer, n);
    close(it->master);
    gTerminals.erase(it);
    return;
  }
}

int DecodeStatus(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
  return -1;
}

// A PPM (P6, maxval 255) as ImageMagick writes it.
Picture ParsePpm(const std::string& data) {
  Picture picture;
  std::istringstream in(data);
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  in >> magic >> width >> height >> maxValue;
  if (magic != "P6" || width <= 0 || height <= 0 || maxValue != 255) return picture;
  in.get();  // the single white-space byte before the pixels
  const size_t bytes = static_cast<size_t>(width) * height * 3;
  const size_t offset = static_cast<size_t>(in.tellg());
  if (data.size() < offset + bytes) return picture;
  picture.width = width;
  picture.height = height;
  picture.rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(offset),
                     data.begin() + static_cast<std::ptrdiff_t>(offset + bytes));
  return picture;
}

uint32_t Le32(const std::string& data, size_t at) {
  return static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8 |
         static_cast<uint8_t>(data[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(data[at + 3])) << 24;
}

bool Lit(const uint8_t* p, int threshold) { return p[0] + p[1] + p[2] > threshold; }

std::string RunCommandStatus(const std::string& command, int* status) {
  std::string out;
  *status = -1;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int raw = pclose(pipe);
  *status = raw >= 0 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

// import's PPM of a window ("root" for the screen), 8 bits a channel; retried as Xdotool is.
Picture Grab(const std::string& window) {
  for (int attempt = 0; attempt < kClientAttempts; ++attempt) {
    Picture picture = ParsePpm(RunCommand("import -window " + window + " -depth 8 ppm:- 2>/dev/null"));
    if (!picture.rgb.empty()) return picture;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
  }
  return Picture{};
}

}  // namespace

Picture Picture::Crop(int32_t x, int32_t y, int32_t w, int32_t h) const {
  Picture out;
  if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > width || y + h > height) return out;
  out.width = w;
  out.height = h;
  out.rgb.resize(static_cast<size_t>(w) * h * 3);
  for (int32_t row = 0; row < h; ++row)
    std::memcpy(&out.rgb[static_cast<size_t>(row) * w * 3], At(x, y + row), static_cast<size_t>(w) * 3);
  return out;
}

Program::~Program() {
  if (pid > 0 && Running()) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    DrainTerminal(pid, errPath);
  }
}

bool Program::Running() {
  if (pid <= 0) return false;
  if (status >= 0) return false;
  int raw = 0;
  const pid_t done = waitpid(pid, &raw, WNOHANG);
  if (done == 0) return true;
  status = done == pid ? DecodeStatus(raw) : -2;
  DrainTerminal(pid, errPath);
  return false;
}

int Program::WaitForExit(int polls) {
  PollUntil([this] { return !Running(); }, polls);
  return Running() ? -1 : status;
}

std::string Program::Out() const { return ReadWhole(outPath); }
std::string Program::Err() const { return ReadWhole(errPath); }

void StartProgram(Program& program, const std::vector<std::string>& args, const std::vector<EnvChange>& env,
                  const std::string& folder, bool terminal) {
  static int serial = 0;
  ++serial;
  program.outPath = folder + "/out-" + std::to_string(serial) + ".txt";
  program.errPath = folder + "/err-" + std::to_string(serial) + ".txt";
  int master = -1, slave = -1;
  if (terminal && openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return;
  const pid_t pid = fork();
  if (pid == 0) {
    for (const EnvChange& change : env) {
      if (change.remove)
        unsetenv(change.name.c_str());
      else
        setenv(change.name.c_str(), change.value.c_str(), 1);
    }
    const int out = open(program.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = terminal ? slave : open(program.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (master >= 0) close(master);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  program.pid = pid;
  program.status = -1;
  if (terminal) {
    close(slave);
    std::ofstream(program.errPath, std::ios::trunc);
    gTerminals.push_back(TerminalOutput{pid, master});
  }
}

std::string RunCommand(const std::string& command) {
  int status = 0;
  return RunCommandStatus(command, &status);
}

bool Xdotool(const std::string& args) {
  for (int attempt = 0; attempt < kClientAttempts; ++attempt) {
    int status = -1;
    RunCommandStatus("xdotool " + args + " 2>/dev/null", &status);
    if (status == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
  }
  return false;
}

bool PollUntil(const std::function<bool()>& test, int polls) {
  for (int i = 0; i < polls; ++i) {
    if (test()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
  }
  return test();
}

Picture GrabScreen() { return Grab("root"); }

Picture GrabWindow(unsigned long window) { return Grab(std::to_string(window)); }

bool SaveWindow(unsigned long window, const std::string& path) {
  for (int attempt = 0; attempt < kClientAttempts; ++attempt) {
    int status = -1;
    RunCommandStatus("import -window " + std::to_string(window) + " '" + path + "' 2>/dev/null", &status);
    if (status == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
  }
  return false;
}

bool FindWindow(const std::string& title, int32_t width, int32_t height, WindowPlace* place) {
  std::istringstream ids(RunCommand("xdotool search --name '^" + title + "$' 2>/dev/null"));
  unsigned long id;
  while (ids >> id) {
    std::istringstream geometry(RunCommand("xdotool getwindowgeometry --shell " + std::to_string(id) + " 2>/dev/null"));
    WindowPlace found;
    found.id = id;
    std::string line;
    while (std::getline(geometry, line)) {
      const size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string key = line.substr(0, eq);
      const int32_t value = std::atoi(line.c_str() + eq + 1);
      if (key == "X") found.x = value;
      if (key == "Y") found.y = value;
      if (key == "WIDTH") found.width = value;
      if (key == "HEIGHT") found.height = value;
    }
    if (found.width == width && found.height == height) {
      *place = found;
      return true;
    }
  }
  return false;
}

Picture ReadPng(const std::string& path) {
  Picture picture;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return picture;
  picture.width = static_cast<int32_t>(image.width);
  picture.height = static_cast<int32_t>(image.height);
  picture.rgb = std::move(rgb);
  return picture;
}

Picture ReadBmp(const std::string& path, size_t* fileBytes) {
  Picture picture;
  const std::string data = ReadWhole(path);
  *fileBytes = data.size();
  if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return picture;
  const uint32_t offset = Le32(data, 10), width = Le32(data, 18), height = Le32(data, 22);
  const uint32_t bits = static_cast<uint8_t>(data[28]) | static_cast<uint8_t>(data[29]) << 8;
  const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (bits != 24 || width == 0 || height == 0 || width > 16384 || height > 16384 || data.size() < offset + row * height)
    return picture;
  picture.width = static_cast<int32_t>(width);
  picture.height = static_cast<int32_t>(height);
  picture.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (uint32_t y = 0; y < height; ++y) {
    const size_t source = offset + (height - 1 - y) * row;  // bottom-up rows
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<uint8_t>(data[source + x * 3 + 2]);
      p[1] = static_cast<uint8_t>(data[source + x * 3 + 1]);
      p[2] = static_cast<uint8_t>(data[source + x * 3]);
    }
  }
  return picture;
}

LoadingLook LookForLoading(const Picture& picture) {
  // The text sits on the middle row, one font height (28 pixels) tall.
  constexpr int32_t kBand = 40;
  LoadingLook look{0, 0};
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint8_t* p = picture.At(x, y);
      if (p[0] == 200 && p[1] == 100 && p[2] == 50) ++look.textPixels;
      if (std::abs(y - picture.height / 2) > kBand && Lit(p, 60)) ++look.pixelsOutsideBand;
    }
  }
  return look;
}

double MarsShare(const Picture& picture) {
  if (picture.rgb.empty()) return 0.0;
  size_t count = 0;
  for (size_t i = 0; i < picture.rgb.size(); i += 3) {
    const int r = picture.rgb[i], g = picture.rgb[i + 1], b = picture.rgb[i + 2];
    if (r > 50 && r > g + 15 && r > b + 15) ++count;
  }
  return static_cast<double>(count) / static_cast<double>(picture.rgb.size() / 3);
}

int32_t GlobeWidth(const Picture& picture) {
  // Runs of lit pixels with gaps of a few pixels bridged, so the dark seams of the relief do not
  // split the globe; single stars are too short to matter.
  constexpr int32_t kGap = 4;
  int32_t widest = 0;
  for (int32_t y = picture.height / 2 - 10; y <= picture.height / 2 + 10; ++y) {
    if (y < 0 || y >= picture.height) continue;
    int32_t start = -1, lastLit = -1;
    for (int32_t x = 0; x < picture.width; ++x) {
      if (!Lit(picture.At(x, y), 30)) continue;
      if (start < 0 || x - lastLit > kGap) start = x;
      lastLit = x;
      if (lastLit - start + 1 > widest) widest = lastLit - start + 1;
    }
  }
  return widest;
}

double MeanDifference(const Picture& a, const Picture& b) {
  if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return -1.0;
  double sum = 0.0;
  for (size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(static_cast<int>(a.rgb[i]) - static_cast<int>(b.rgb[i]));
  return sum / static_cast<double>(a.rgb.size());
}

namespace {

// First and last index of the longest run of true flags, with up to 3 false ones bridged;
// {-1, -1} when none is true.
std::pair<int32_t, int32_t> LongestRun(const std::vector<int32_t>& counts, int32_t least) {
  constexpr int32_t kGap = 3;
  const int32_t n = static_cast<int32_t>(counts.size());
  std::pair<int32_t, int32_t> best{-1, -1};
  int32_t start = -1, last = -1;
  for (int32_t i = 0; i <= n + kGap; ++i) {
    if (i < n && counts[i] >= least) {
      if (start < 0) start = i;
      last = i;
    } else if (start >= 0 && i - last > kGap) {
      if (best.first < 0 || last - start > best.second - best.first) best = {start, last};
      start = -1;
    }
  }
  return best;
}

}  // namespace

Box GlobeBox(const Picture& picture, const Box& box) {
  constexpr int32_t kLeast = 5;
  const Box in{std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, picture.width),
               std::min(box.bottom, picture.height)};
  if (in.Empty()) return {};
  std::vector<int32_t> columns(static_cast<size_t>(in.right - in.left)), rows(static_cast<size_t>(in.bottom - in.top));
  for (int32_t y = in.top; y < in.bottom; ++y) {
    for (int32_t x = in.left; x < in.right; ++x) {
      if (picture.At(x, y)[0] == 0) continue;
      ++columns[static_cast<size_t>(x - in.left)];
      ++rows[static_cast<size_t>(y - in.top)];
    }
  }
  const auto across = LongestRun(columns, kLeast), down = LongestRun(rows, kLeast);
  if (across.first < 0 || down.first < 0) return {};
  return {in.left + across.first, in.top + down.first, in.left + across.second + 1, in.top + down.second + 1};
}

TestWindow::TestWindow(int width, int height) {
  Display* x = nullptr;
  for (int attempt = 0; attempt < kClientAttempts && !x; ++attempt) {
    x = XOpenDisplay(nullptr);
    if (!x) std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
  }
  display = x;
  if (!x) {
    why = "XOpenDisplay failed";
    return;
  }
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
                      8,        GLX_DEPTH_SIZE,   24,           None};
  XVisualInfo* visual = glXChooseVisual(x, DefaultScreen(x), attributes);
  if (!visual) {
    why = "glXChooseVisual found no visual";
    return;
  }
  const Window root = RootWindow(x, visual->screen);
  colormap = XCreateColormap(x, root, visual->visual, AllocNone);
  XSetWindowAttributes set{};
  set.colormap = colormap;
  set.background_pixel = 0;
  set.border_pixel = 0;
  window = XCreateWindow(x, root, 20, 20, static_cast<unsigned>(width), static_cast<unsigned>(height), 0, visual->depth,
                         InputOutput, visual->visual, CWColormap | CWBackPixel | CWBorderPixel, &set);
  XFree(visual);
  XMapWindow(x, window);
  XSync(x, False);
}

void TestWindow::Destroy() {
  Display* x = static_cast<Display*>(display);
  if (!x || !window) return;
  XDestroyWindow(x, window);
  XSync(x, False);
  window = 0;
}

TestWindow::~TestWindow() {
  Display* x = static_cast<Display*>(display);
  if (!x) return;
  if (window) XDestroyWindow(x, window);
  if (colormap) XFreeColormap(x, colormap);
  XCloseDisplay(x);
}

std::string TestWindow::Id() const {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", window);
  return text;
}
