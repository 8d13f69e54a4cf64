// The Linux program end to end on the test's own Xvfb server: command-line errors and settings,
// "Loading..." then the globe in a window, keys that move the camera, numbered screenshots, PNG
// frames with and without a display, the terminal's progress line, drawing into a window made
// here, and a full-screen run that input ends. Runs under tests/xvfb/run_with_xvfb.sh; the
// LinuxProgramTwoMonitors case under tests/xvfb/run_with_two_monitors.sh.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "mapdata/derived_cache.h"
#include "settings/saver_settings.h"
#include "tests/shell/linux/program_harness.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kWidth = 480, kHeight = 360;  // the program's window in these tests
constexpr double kGlobeShare = 0.02;            // a globe covers far more of the window than this

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

bool CursorAt(int32_t x, int32_t y) {
  const std::string where = RunCommand("xdotool getmouselocation --shell 2>/dev/null");
  return where.find("X=" + std::to_string(x) + "\n") != std::string::npos &&
         where.find("Y=" + std::to_string(y) + "\n") != std::string::npos;
}

class LinuxProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    ASSERT_TRUE(display && display[0]) << "run under tests/xvfb/run_with_xvfb.sh";
    home = temp / "home";
    config = temp / "config";
    data = temp / "data";
    for (const fs::path& folder : {home, config, data}) fs::create_directories(folder);
    dataSet = MakeTestDataSet(8, false);
    ASSERT_TRUE(WriteTestDataSet(data.string(), dataSet));
  }

  // A home, settings and data home of the test's own; no XScreenSaver window inherited.
  std::vector<EnvChange> Environment(std::vector<EnvChange> extra = {}) const {
    std::vector<EnvChange> env = {{"HOME", home.string()},
                                  {"XDG_CONFIG_HOME", config.string()},
                                  {"XDG_DATA_HOME", (temp / "share").string()},
                                  {"XDG_CACHE_HOME", (temp / "cache").string()},
                                  {"XSCREENSAVER_WINDOW", "", true}};
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
  }

  void Start(Program& program, std::vector<std::string> args, std::vector<EnvChange> extra = {},
             bool terminal = false) {
    args.insert(args.begin(), REDSPHERE_PROGRAM);
    StartProgram(program, args, Environment(extra), temp.str(), terminal);
    ASSERT_GT(program.pid, 0);
  }

  // A window run of the test data with a look that does not change by itself.
  std::vector<std::string> WindowArgs(std::vector<std::string> more = {}) const {
    std::vector<std::string> args = {"--data", data.string(), "--terraform-mode",
                                     "0",      "--size",      std::to_string(kWidth) + "x" + std::to_string(kHeight)};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // The program's window on the screen, found and then grabbed.
  Picture GrabProgramWindow(WindowPlace* place) {
    if (place->id == 0 && !FindWindow("Redsphere", kWidth, kHeight, place)) return Picture{};
    return GrabScreen().Crop(place->x, place->y, place->width, place->height);
  }

  bool WaitForGlobe(Program& program, WindowPlace* place, Picture* picture) {
    return PollUntil([&] {
             *picture = GrabProgramWindow(place);
             return !program.Running() || MarsShare(*picture) > kGlobeShare;
           }) &&
           program.Running();
  }

  TempFolder temp;
  fs::path home, config, data;
  TestDataSet dataSet;
};

TEST_F(LinuxProgram, BadCommandLinesPrintTheUsageAndExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--bogus"},
      {"--max-ppd", "abc"},
      {"--shadows"},
      {"--frames", "0", "--out", "x"},
      {"--frames", "3"},
      {"--out", "x"},
      {"--fullscreen", "--root"},
      {"--size", "10x10"},
      {"--size", "640"},
      {"--window-id", "zebra"},
      {"--help=yes"},
  };
  for (const std::vector<std::string>& args : cases) {
    SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
    Program program;
    Start(program, args);
    EXPECT_EQ(program.WaitForExit(), 2);
    const std::string err = program.Err();
    EXPECT_EQ(FirstLine(err).rfind("redsphere: ", 0), 0u) << err;
    // The error line names what is wrong: the value where there is one, else the option.
    const bool namesValue = args.size() > 1 && args[0] != "--frames" && args[0] != "--out";
    const std::string culprit = namesValue ? args[1] : args[0].substr(0, args[0].find('='));
    EXPECT_NE(FirstLine(err).find(culprit), std::string::npos) << FirstLine(err);
    EXPECT_NE(err.find("usage: redsphere"), std::string::npos);
    EXPECT_EQ(program.Out(), "");
  }
  // An XScreenSaver window variable that is no window id is as bad as the option.
  Program program;
  Start(program, {"--data", data.string()}, {{"XSCREENSAVER_WINDOW", "nonsense"}});
  EXPECT_EQ(program.WaitForExit(), 2);
  EXPECT_NE(FirstLine(program.Err()).find("XSCREENSAVER_WINDOW"), std::string::npos) << program.Err();
}

TEST_F(LinuxProgram, HelpAndConfigureCoverEverySetting) {
  // The option each stored value has on the command line: part of the program's interface.
  const std::vector<std::pair<std::string, std::string>> options = {
      {"Shadows", "--shadows"},
      {"Atmosphere", "--atmosphere"},
      {"Clouds", "--clouds"},
      {"AutoControl", "--auto-control"},
      {"MaxPPD", "--max-ppd"},
      {"ReliefExFactor", "--relief-ex-factor"},
      {"SunPos", "--sun-pos"},
      {"TerraformMode", "--terraform-mode"},
      {"TerraformPeriod", "--terraform-period"},
      {"ShowFrameRate", "--show-frame-rate"},
      {"AdaptQuality", "--adapt-quality"},
      {"Monitors", "--monitors"},
  };
  ASSERT_EQ(options.size(), kSettingCount);
  Program help;
  Start(help, {"--help"});
  ASSERT_EQ(help.WaitForExit(), 0);
  const std::string usage = help.Out();
  for (size_t i = 0; i < kSettingCount; ++i) {
    const SettingDef& def = kSettingDefs[i];
    ASSERT_EQ(options[i].first, def.name);
    const std::string& option = options[i].second;
    SCOPED_TRACE(option);
    // --help: the option, its range and default on one line.
    const size_t at = usage.find("  " + option + " ");
    ASSERT_NE(at, std::string::npos) << usage;
    const std::string line = usage.substr(at, usage.find('\n', at) - at);
    // A setting whose values have names shows and takes the names ("--monitors span").
    const bool named = def.choices != nullptr;
    std::string range = def.kind == SettingKind::Flag ? "0|1" : std::to_string(def.minValue) + ".." + std::to_string(def.maxValue);
    if (named) {
      range.clear();
      for (uint32_t i = 0; i <= def.maxValue; ++i) range += (i ? "|" : "") + std::string(def.choices[i]);
    }
    EXPECT_NE(line.find(range), std::string::npos) << line;
    const std::string defaultText = named ? def.choices[def.defaultValue] : std::to_string(def.defaultValue);
    EXPECT_NE(line.find("default " + defaultText), std::string::npos) << line;

    // The option reaches the settings: a value other than the default, and one past the range,
    // which is clamped as the stores clamp.
    const uint32_t other = def.defaultValue == def.maxValue ? def.minValue : def.maxValue;
    for (const auto& [given, shown] :
         {std::pair{other, other}, std::pair{def.maxValue + 50, def.kind == SettingKind::Flag ? 1u : def.maxValue}}) {
      Program configure;
      const std::string value = named && given <= def.maxValue ? def.choices[given] : std::to_string(given);
      Start(configure, {"--configure", "--data", data.string(), option, value});
      ASSERT_EQ(configure.WaitForExit(), 0);
      EXPECT_NE(configure.Out().find("\n" + std::string(def.name) + "=" + std::to_string(shown) + " "),
                std::string::npos)
          << configure.Out();
    }
  }
}

TEST_F(LinuxProgram, ConfigureShowsTheStoredSettingsAndTheirFile) {
  const fs::path file = config / "redsphere" / "settings.conf";
  fs::create_directories(file.parent_path());
  const std::string stored = "# mine\nMaxPPD=16\nShadows=0\nDataPath=" + data.string() + "\nSunPos=77\n";
  std::ofstream(file) << stored;
  Program program;
  Start(program, {"--configure"});
  ASSERT_EQ(program.WaitForExit(), 0);
  const std::string out = program.Out();
  EXPECT_NE(out.find(file.string()), std::string::npos) << out;
  EXPECT_EQ(out.find("not written yet"), std::string::npos) << out;
  EXPECT_NE(out.find("\nMaxPPD=16 "), std::string::npos) << out;
  EXPECT_NE(out.find("\nShadows=0 "), std::string::npos) << out;
  EXPECT_NE(out.find("\nSunPos=5 "), std::string::npos) << "clamped as a run would: " << out;
  EXPECT_NE(out.find("DataPath=" + data.string()), std::string::npos) << out;
  EXPECT_NE(out.find("levels 8"), std::string::npos) << out;
  EXPECT_EQ(ReadText(file), stored) << "showing the settings never writes them";

  // Without a file: the defaults, and the file named as not there yet.
  fs::remove(file);
  Program defaults;
  Start(defaults, {"--configure"});
  ASSERT_EQ(defaults.WaitForExit(), 0);
  EXPECT_NE(defaults.Out().find("not written yet"), std::string::npos) << defaults.Out();
  EXPECT_NE(defaults.Out().find("\nMaxPPD=8 "), std::string::npos) << defaults.Out();
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(LinuxProgram, MissingMapDataEndsWithStatusOne) {
  // No folder at all: one line before any window opens.
  Program missing;
  Start(missing, WindowArgs({"--data", (temp / "nowhere").string()}));
  EXPECT_EQ(missing.WaitForExit(), 1);
  EXPECT_NE(FirstLine(missing.Err()).find((temp / "nowhere").string()), std::string::npos) << missing.Err();

  // A folder with a node file and nothing else: the window opens, and the loader ends the run.
  const fs::path partial = temp / "partial";
  fs::create_directories(partial);
  fs::copy_file(data / "nodes8.hex", partial / "nodes8.hex");
  Program loader;
  Start(loader, WindowArgs({"--data", partial.string()}));
  EXPECT_EQ(loader.WaitForExit(), 1);
}

// The data folder moved away while frames are drawn (a disk unmounted lazily, a folder renamed)
// takes nothing the run needs: it goes on. Its files cut to nothing in place (what cp of a new
// set over the old one does) take the mapped tables' pages away: the run ends with status 1 and
// one line naming the file, never by the signal those pages raise.
TEST_F(LinuxProgram, DataMovedOrCutUnderARunEndsNoRunBySignal) {
  Program program;
  // No quality steps: their lines (on a loaded machine) are not what is judged here.
  Start(program, WindowArgs({"--adapt-quality", "0"}));
  WindowPlace place;
  Picture globe;
  ASSERT_TRUE(WaitForGlobe(program, &place, &globe)) << "status " << program.status << " " << program.Err();
  const fs::path moved = temp / "moved";
  fs::rename(data, moved);
  EXPECT_FALSE(PollUntil([&] { return !program.Running(); }, 20)) << program.Err();
  EXPECT_GT(MarsShare(GrabProgramWindow(&place)), kGlobeShare);
  for (const auto& entry : fs::directory_iterator(moved)) fs::resize_file(entry.path(), 0);
  EXPECT_EQ(program.WaitForExit(), 1) << program.Err();
  const std::string err = program.Err();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  // The file by the name the run was given.
  EXPECT_NE(err.find(".hex in " + data.string() + ": it was cut short"), std::string::npos) << err;
}

// Fills the file system of folder with a file there until only `keep` bytes are left (0: full).
bool FillDisk(const fs::path& folder, const char* name, uint64_t keep) {
  struct statvfs disk;
  if (statvfs(folder.c_str(), &disk) != 0) return false;
  const uint64_t free = static_cast<uint64_t>(disk.f_bavail) * disk.f_frsize;
  if (free < keep) return false;
  uint64_t left = keep == 0 ? UINT64_MAX : free - keep;
  const int file = open((folder / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (file < 0) return false;
  const std::vector<char> block(65536, 'f');
  while (left > 0) {
    const ssize_t wrote = write(file, block.data(), std::min<uint64_t>(left, block.size()));
    if (wrote <= 0) break;
    left -= static_cast<uint64_t>(wrote);
  }
  close(file);
  return keep == 0 || left == 0;
}

// The builder and the program on a disk that fills (a tmpfs of full_disk.sh's, under
// REDSPHERE_FULL_DISK). The builder has room for the shared files but not for a level: it ends
// with one line, and the earlier level stays as it was. The disk then full, the program cannot
// store its two caches: a line for each, and the globe from the data that is there.
TEST_F(LinuxProgram, AFullDiskCostsTheNewLevelAndTheCachesButNotTheGlobe) {
  const char* mount = std::getenv("REDSPHERE_FULL_DISK");
  if (!mount) GTEST_SKIP() << "run by tests/shell/linux/full_disk.sh";
  const fs::path disk = mount, full = disk / "data";
  fs::create_directories(full);
  ASSERT_TRUE(WriteTestDataSet(full.string(), dataSet));
  const auto hexFiles = [&] {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : fs::directory_iterator(full))
      files.emplace_back(entry.path().filename(), ReadText(entry.path()));
    std::sort(files.begin(), files.end());
    return files;
  };
  const auto before = hexFiles();
  // Room for the shared files' new copies (the 8 MiB clouds beside the old), none for the level.
  ASSERT_TRUE(FillDisk(disk, "filler", 10u << 20));

  Program builder;
  StartProgram(builder, {REDSPHERE_MKDATA, "--level", "8", "--synthetic", "all", "--threads", "1", full.string()},
               Environment(), temp.str());
  EXPECT_EQ(builder.WaitForExit(1200), 1) << builder.Err();
  const std::string said = builder.Err();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("redsphere-mkdata: cannot write " + full.string() + "/"), std::string::npos) << said;
  EXPECT_NE(said.find("No space left on device"), std::string::npos) << said;
  const auto afterBuilder = hexFiles();
  ASSERT_EQ(afterBuilder.size(), before.size()) << "no file more, no file less, no temporary file";
  for (size_t k = 0; k < before.size(); ++k) {
    EXPECT_EQ(afterBuilder[k].first, before[k].first);
    // The level's files are the earlier level's; the shared files may have been replaced whole.
    const std::string& name = before[k].first;
    const size_t length = afterBuilder[k].second.size();
    if (name.find('8') != std::string::npos && name != "clouds8.hex")
      EXPECT_TRUE(afterBuilder[k].second == before[k].second) << name;
    else if (name.rfind("stars", 0) == 0)
      EXPECT_EQ(length % sizeof(StarRecord), 0u) << name;
    else
      EXPECT_EQ(length, before[k].second.size()) << name;
  }

  ASSERT_TRUE(FillDisk(disk, "filler2", 0));
  Program program;
  // The cache folder on the full disk too: the graphics driver's own cache, which would end the
  // run there, is turned off with a line of its own.
  Start(program, WindowArgs({"--data", full.string(), "--adapt-quality", "0"}),
        {{"XDG_CACHE_HOME", (disk / "cache").string()}});
  WindowPlace place;
  Picture globe;
  ASSERT_TRUE(WaitForGlobe(program, &place, &globe)) << "status " << program.status << " " << program.Err();
  std::istringstream lines(program.Err());
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line,
            "redsphere: " + disk.string() + " has 0 KiB free: the graphics driver's shader cache is off for this run");
  int cacheLines = 0;
  for (; std::getline(lines, line); ++cacheLines)
    EXPECT_NE(line.find("No space left on device (the run goes on; the cache is derived again"), std::string::npos)
        << line;
  EXPECT_EQ(cacheLines, 2) << program.Err();
  EXPECT_EQ(hexFiles(), afterBuilder) << "nothing stored, nothing left behind";
  kill(program.pid, SIGTERM);
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(LinuxProgram, PrintSkyGivesTheWorkedExampleWithoutADisplay) {
  // NASA GISS's Mars24 worked example at 2000-01-06 00:00:00 UTC, current constants; the
  // sub-solar longitude is its 174.726 W turned east. The later lines are only named: their order
  // is what scripts read.
  const std::vector<std::tuple<std::string, double, double>> expected = {
      {"mars_sol_date", 44795.99976, 1e-5},    {"coordinated_mars_time", 23.99425, 1e-5},
      {"solar_longitude", 277.18759, 1e-5},    {"equation_of_time", -0.34585, 1e-5},
      {"subsolar_latitude", -25.22824, 1e-3},  {"subsolar_longitude", 185.27400, 1e-3},
      {"sun_distance", 1.39358, 1e-5}};
  std::vector<std::string> laterNames = {
      "local_true_solar_time_curiosity", "sol_curiosity", "local_true_solar_time_perseverance", "sol_perseverance",
      "phobos_latitude", "phobos_longitude", "phobos_distance", "deimos_latitude", "deimos_longitude",
      "deimos_distance"};
  for (const char* planet : {"mercury", "venus", "earth", "jupiter", "saturn"})
    for (const char* what : {"_latitude", "_longitude", "_distance"}) laterNames.push_back(std::string(planet) + what);
  Program program;
  Start(program, {"--print-sky", "--when", "2000-01-06T00:00:00Z"}, {{"DISPLAY", "", true}});
  ASSERT_EQ(program.WaitForExit(), 0) << program.Err();
  std::istringstream out(program.Out());
  std::string name;
  double value = 0.0;
  for (const auto& [wantedName, wantedValue, tolerance] : expected) {
    ASSERT_TRUE(out >> name >> value) << program.Out();
    EXPECT_EQ(name, wantedName);
    EXPECT_NEAR(value, wantedValue, tolerance) << name;
  }
  for (const std::string& wantedName : laterNames) {
    ASSERT_TRUE(out >> name >> value) << program.Out();
    EXPECT_EQ(name, wantedName);
  }
  EXPECT_FALSE(out >> name) << "more than 32 lines: " << program.Out();

  // A date the clock cannot read: one line, no usage, status 1.
  Program bad;
  Start(bad, {"--print-sky", "--when", "2000-02-30T00:00:00Z"});
  EXPECT_EQ(bad.WaitForExit(), 1);
  const std::string err = bad.Err();
  EXPECT_EQ(err.rfind("redsphere: --when needs a date such as 2031-05-04T18:30:00Z, not '2000-02-30T00:00:00Z'", 0),
            0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(bad.Out(), "");
}

TEST_F(LinuxProgram, WindowShowsLoadingThenTheGlobe) {
  // A data set of real size, so the picture kept for people to look at shows a proper globe.
  const fs::path full = temp / "full";
  fs::create_directories(full);
  const TestDataSet fullSet = MakeTestDataSet(8, true);
  ASSERT_TRUE(WriteTestDataSet(full.string(), fullSet));
  // The loader writes its first derived cache under .terra8.hex.<pid>-0.tmp before putting it in
  // place. A FIFO there, made while the program is still starting, holds the loader at its open
  // until the test reads from it: "Loading..." stays on the screen exactly as long as the test needs.
  Program program;
  Start(program, WindowArgs({"--data", full.string()}));
  const fs::path fifo = full / (".terra8.hex." + std::to_string(program.pid) + "-0.tmp");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  WindowPlace place;
  Picture loading;
  ASSERT_TRUE(PollUntil([&] {
    loading = GrabProgramWindow(&place);
    return !program.Running() || LookForLoading(loading).textPixels > 0;
  }));
  ASSERT_TRUE(program.Running()) << program.Err();
  const LoadingLook look = LookForLoading(loading);
  EXPECT_GT(look.textPixels, 100) << "\"Loading...\" in its colour";
  EXPECT_EQ(look.pixelsOutsideBand, 0) << "nothing but the text while loading";

  // Let the loader go: read what it writes through the FIFO, one colour per node and the cache's
  // trailer.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const size_t expected = 4 * fullSet.mars.size() + kCacheTrailerBytes;
  size_t received = 0;
  for (int wait = 0; wait < 4000 && received < expected; ++wait) {
    pollfd ready{reader, POLLIN, 0};
    if (poll(&ready, 1, 50) <= 0) continue;
    char buffer[65536];
    ssize_t n;
    while ((n = read(reader, buffer, sizeof buffer)) > 0) received += static_cast<size_t>(n);
  }
  close(reader);
  EXPECT_EQ(received, expected);

  Picture globe;
  ASSERT_TRUE(WaitForGlobe(program, &place, &globe)) << "status " << program.status << " " << program.Err();
  EXPECT_EQ(LookForLoading(globe).textPixels, 0);
  EXPECT_GT(GlobeWidth(globe), kWidth / 4);
  if (const char* pictures = std::getenv("REDSPHERE_PICTURES")) {
    fs::create_directories(pictures);
    EXPECT_TRUE(SaveWindow(place.id, (fs::path(pictures) / "linux_program_window.png").string()));
  }
  kill(program.pid, SIGTERM);
  EXPECT_EQ(program.WaitForExit(), 0) << "SIGTERM ends the run cleanly";
}

// Processor time (user and system) of a process so far, in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int i = 0; i <= 12 && fields >> field; ++i)
    if (i == 11 || i == 12) ticks += std::stod(field);  // utime, stime
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double CpuOver(pid_t pid, int milliseconds) {
  const double start = CpuSeconds(pid);
  usleep(static_cast<useconds_t>(milliseconds) * 1000);
  return CpuSeconds(pid) - start;
}

TEST_F(LinuxProgram, AnUnmappedWindowDrawsNothingUntilItIsShownAgain) {
  Program program;
  Start(program, WindowArgs({"--data", data.string()}));
  WindowPlace place;
  Picture globe;
  ASSERT_TRUE(WaitForGlobe(program, &place, &globe)) << "status " << program.status << " " << program.Err();
  const double drawing = CpuOver(program.pid, 3000);
  // No window manager here to minimise it: unmapping is what minimising does to the window.
  ASSERT_TRUE(Xdotool("windowunmap --sync " + std::to_string(place.id)));
  usleep(500 * 1000);
  const double hidden = CpuOver(program.pid, 5000);
  EXPECT_LT(hidden, 0.25) << "processor seconds in 5 s while unmapped; " << drawing << " in 3 s drawing";
  EXPECT_LT(hidden, drawing / 5);
  ASSERT_TRUE(program.Running()) << program.Err();
  ASSERT_TRUE(Xdotool("windowmap --sync " + std::to_string(place.id)));
  EXPECT_GT(CpuOver(program.pid, 3000), drawing / 3) << "drawing again once shown";
  kill(program.pid, SIGTERM);
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(LinuxProgram, ManualKeysMoveTheCameraAndScreenshotsAreNumbered) {
  // A desktop folder of another name, as xdg-user-dir reports it.
  const fs::path desktop = home / "Bureau";
  fs::create_directories(desktop);
  std::ofstream(config / "user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n";
  Program program;
  Start(program, WindowArgs({"--auto-control", "0"}));
  WindowPlace place;
  Picture before;
  ASSERT_TRUE(WaitForGlobe(program, &place, &before)) << "status " << program.status << " " << program.Err();
  const std::string window = std::to_string(place.id);
  ASSERT_TRUE(Xdotool("windowfocus " + window));

  // Page Up held: the camera comes closer and the globe grows; released, it stays put.
  const int32_t startWidth = GlobeWidth(before);
  ASSERT_TRUE(Xdotool("keydown Prior"));
  Picture closer;
  const bool grew = PollUntil([&] {
    closer = GrabProgramWindow(&place);
    return GlobeWidth(closer) > startWidth * 5 / 4;
  });
  ASSERT_TRUE(Xdotool("keyup Prior"));
  ASSERT_TRUE(grew) << "globe " << startWidth << " pixels wide, still " << GlobeWidth(closer);
  Picture settled;
  for (int grab = 0; grab < 3; ++grab) settled = GrabProgramWindow(&place);
  const int32_t settledWidth = GlobeWidth(settled);
  for (int grab = 0; grab < 5; ++grab) settled = GrabProgramWindow(&place);
  EXPECT_NEAR(GlobeWidth(settled), settledWidth, settledWidth / 20) << "the zoom stops with the key";

  // F2, F2, Print Screen: three numbered bitmaps of the window in the desktop folder.
  const char* keys[] = {"F2", "F2", "Print"};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(Xdotool(std::string("key ") + keys[i]));
    const fs::path file = desktop / ("Screenshot 0" + std::to_string(i + 1) + ".bmp");
    ASSERT_TRUE(PollUntil([&] { return fs::exists(file) && fs::file_size(file) > 0; })) << file;
    // The file appears with its first write: wait for the whole of it.
    const size_t wanted = 54 + size_t{kWidth} * 3 * kHeight;
    PollUntil([&] { return fs::file_size(file) == wanted; });
    size_t bytes = 0;
    const Picture shot = ReadBmp(file.string(), &bytes);
    EXPECT_EQ(bytes, wanted);
    EXPECT_EQ(shot.width, kWidth);
    EXPECT_EQ(shot.height, kHeight);
    EXPECT_GT(MarsShare(shot), kGlobeShare) << "a frame of the globe, not a blank buffer";
  }
  EXPECT_FALSE(fs::exists(desktop / "Screenshot 04.bmp"));
  EXPECT_FALSE(fs::exists(home / "Screenshot 01.bmp"));

  // Right arrow: the camera orbits, and the picture changes far more than the sun's slow turn.
  Picture still = GrabProgramWindow(&place);
  ASSERT_TRUE(Xdotool("keydown Right"));
  Picture moved;
  const bool orbited = PollUntil([&] {
    moved = GrabProgramWindow(&place);
    return MeanDifference(still, moved) > 8.0;
  });
  ASSERT_TRUE(Xdotool("keyup Right"));
  EXPECT_TRUE(orbited) << MeanDifference(still, moved);

  // The mouse steers while the window has the focus: the cursor stays parked at the window's
  // centre, and every move away from it is read and undone.
  const int32_t centreX = place.x + kWidth / 2, centreY = place.y + kHeight / 2;
  EXPECT_TRUE(PollUntil([&] { return CursorAt(centreX, centreY); })) << "parked at the start";
  ASSERT_TRUE(Xdotool("mousemove_relative 40 0"));
  EXPECT_TRUE(PollUntil([&] { return CursorAt(centreX, centreY); })) << "parked again after a move";

  // Esc with the help hidden ends a window run.
  ASSERT_TRUE(Xdotool("key Escape"));
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(LinuxProgram, FramesWritesPngFilesOfTheFlybyWithOrWithoutADisplay) {
  // A size of this test process's own marks the private Xvfb the second run starts, so the test
  // can look for that server after the run, even beside another copy of this test.
  const int32_t kFrameWidth = 320 + 2 * static_cast<int32_t>(getpid() % 500), kFrameHeight = 232;
  for (const bool withDisplay : {true, false}) {
    SCOPED_TRACE(withDisplay ? "on the test's display" : "without DISPLAY");
    const fs::path out = temp / (withDisplay ? "frames-display" : "frames-private");
    Program program;
    std::vector<EnvChange> env;
    if (!withDisplay) env.push_back({"DISPLAY", "", true});
    Start(program,
          {"--data", data.string(), "--terraform-mode", "0", "--frames", "5", "--out", out.string(), "--size",
           std::to_string(kFrameWidth) + "x" + std::to_string(kFrameHeight)},
          env);
    ASSERT_EQ(program.WaitForExit(), 0) << program.Err();
    EXPECT_EQ(program.Err(), "") << "no progress line without a terminal";
    EXPECT_NE(program.Out().find(out.string()), std::string::npos) << program.Out();

    std::vector<Picture> frames;
    for (int i = 1; i <= 5; ++i) {
      const Picture frame = ReadPng((out / ("frame-0000" + std::to_string(i) + ".png")).string());
      ASSERT_EQ(frame.width, kFrameWidth) << i;
      ASSERT_EQ(frame.height, kFrameHeight) << i;
      EXPECT_GT(MarsShare(frame), kGlobeShare) << "frame " << i;
      frames.push_back(frame);
    }
    EXPECT_FALSE(fs::exists(out / "frame-00006.png"));
    EXPECT_GT(MeanDifference(frames.front(), frames.back()), 0.0) << "the flyby moves";
    // The picture is upright: the sun-lit limb the flyby starts with is the same in both runs.
    if (!withDisplay) {
      const Picture first = ReadPng((temp / "frames-display" / "frame-00001.png").string());
      EXPECT_EQ(MeanDifference(first, frames.front()), 0.0) << "the same frames on any display";
      const std::string marker = std::to_string(kFrameWidth) + "x" + std::to_string(kFrameHeight) + "x24";
      EXPECT_EQ(RunCommand("pgrep -f '[X]vfb.*" + marker + "'"), "") << "the private Xvfb ended with the program";
    }
  }
}

// On the Mars clock the moment given is the picture: the same moment twice gives the same bytes,
// twelve hours later the sun lights the other side (the flyby starts over 0° E).
TEST_F(LinuxProgram, FramesOnTheMarsClockShowTheMomentGiven) {
  const auto shoot = [&](const std::string& name, const std::string& when) {
    const fs::path out = temp / name;
    Program program;
    Start(program, {"--data", data.string(), "--terraform-mode", "0", "--when", when, "--frames", "2", "--out",
                    out.string(), "--size", "240x180"});
    EXPECT_EQ(program.WaitForExit(), 0) << program.Err();
    return ReadPng((out / "frame-00002.png").string());
  };
  // 06:48 UTC: the sun over 159° E, night under the camera; 18:48: over 344° E, day.
  const Picture night = shoot("night", "2026-09-28T06:48:09Z");
  const Picture again = shoot("night-again", "2026-09-28T06:48:09Z");
  const Picture day = shoot("day", "2026-09-28T18:48:09Z");
  EXPECT_EQ(MeanDifference(night, again), 0.0) << "the same moment, the same picture";
  EXPECT_GT(MarsShare(day), kGlobeShare);
  EXPECT_LT(MarsShare(night), 0.2 * MarsShare(day)) << "the night side faces the camera";
}

// Pictures of the tour until its first landmark is circled with the caption shown: 24 s of flight.
constexpr uint32_t kTourFrames = 720;

// The pictures' clock is stepped at 30 frames a second, so the rate is known exactly: 151 frames
// are five seconds of flight, one report.
TEST_F(LinuxProgram, FpsShowsTheRateInTheCornerAndPrintsItEveryFiveSeconds) {
  const fs::path out = temp / "frames-fps";
  Program program;
  Start(program, {"--data", data.string(), "--fps", "--frames", "151", "--out", out.string(), "--size", "240x120"});
  ASSERT_EQ(program.WaitForExit(), 0) << program.Err();
  const std::string line = "redsphere: 30.0 frames per second\n";
  const std::string printed = program.Out();
  EXPECT_NE(printed.find(line), std::string::npos) << printed;
  EXPECT_EQ(printed.find(line), printed.rfind(line)) << "one report in five seconds: " << printed;
  // "FPS: 30.0" in white, bottom left; the sky there has only faint stars.
  const Picture last = ReadPng((out / "frame-00151.png").string());
  int white = 0;
  for (int32_t y = last.height - 36; y < last.height; ++y)
    for (int32_t x = 0; x < 130; ++x) white += last.At(x, y)[0] > 240 && last.At(x, y)[1] > 240 && last.At(x, y)[2] > 240;
  EXPECT_GT(white, 150) << "white lettering in the corner";
}

// The guided tour flies down to its first landmark and names it: no caption while it flies there,
// then the title in its light yellow on the caption's panel.
TEST_F(LinuxProgram, TheTourNamesTheFirstLandmarkItCircles) {
  const fs::path out = temp / "frames-tour";
  Program program;
  Start(program, {"--data", data.string(), "--auto-control", "tour", "--terraform-mode", "0", "--frames",
                  std::to_string(kTourFrames), "--out", out.string(), "--size", "320x180"});
  ASSERT_EQ(program.WaitForExit(2400), 0) << program.Err();
  const auto titlePixels = [&](uint32_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05u.png", frame);
    const Picture picture = ReadPng((out / name).string());
    int count = 0;
    for (int32_t y = 0; y < picture.height; ++y)
      for (int32_t x = 0; x < picture.width; ++x) {
        const uint8_t* p = picture.At(x, y);
        count += p[0] == 255 && p[1] == 255 && p[2] == 180;
      }
    return count;
  };
  EXPECT_EQ(titlePixels(30), 0) << "a caption while flying to the first landmark";
  EXPECT_GT(titlePixels(kTourFrames), 100) << "the landmark's name under the circling camera";
}

TEST_F(LinuxProgram, ATerminalShowsOneLineOfLoadingProgress) {
  for (const bool firstRun : {true, false}) {
    SCOPED_TRACE(firstRun ? "deriving the caches" : "caches in place");
    Program program;
    Start(program, {"--data", data.string(), "--frames", "1", "--out", (temp / "frames").string(), "--size", "64x48"},
          {}, true);
    ASSERT_EQ(program.WaitForExit(), 0);
    const std::string err = program.Err();
    EXPECT_NE(err.find("loading level 8 from " + data.string()), std::string::npos) << err;
    EXPECT_NE(err.find("done in"), std::string::npos) << err;
    EXPECT_EQ(err.find("deriving") != std::string::npos, firstRun) << err;
    size_t lines = 0;
    for (char c : err) lines += c == '\n';
    EXPECT_EQ(lines, 1u) << err;
  }
}

TEST_F(LinuxProgram, DrawsIntoAWindowMadeByAnotherProgram) {
  struct Case {
    const char* what;
    bool option;    // --window-id ID
    bool variable;  // XSCREENSAVER_WINDOW=ID
    bool root;      // --root, as XScreenSaver starts its hacks
  } cases[] = {
      {"--window-id", true, false, false},
      {"XSCREENSAVER_WINDOW with --root", false, true, true},
      {"XSCREENSAVER_WINDOW alone", false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestWindow target(320, 240);
    ASSERT_NE(target.window, 0u) << target.why;
    std::vector<std::string> args = {"--data", data.string(), "--terraform-mode", "0", "--auto-control", "0"};
    if (c.option) args.insert(args.end(), {"--window-id", target.Id()});
    if (c.root) args.push_back("-root");
    std::vector<EnvChange> env;
    if (c.variable) env.push_back({"XSCREENSAVER_WINDOW", target.Id()});
    Program program;
    Start(program, args, env);
    Picture picture;
    const bool drawn = PollUntil([&] {
      picture = GrabWindow(target.window);
      return !program.Running() || MarsShare(picture) > kGlobeShare;
    });
    ASSERT_TRUE(drawn && program.Running()) << program.Err();
    EXPECT_EQ(picture.width, 320);
    // Manual control was asked for, but nobody steers a hack: the flyby runs and the picture moves.
    const bool moving = PollUntil([&] { return MeanDifference(picture, GrabWindow(target.window)) > 0.5; });
    EXPECT_TRUE(moving);
    kill(program.pid, SIGTERM);
    EXPECT_EQ(program.WaitForExit(), 0);
  }
  // A window that does not exist: one line and status 1.
  std::string id;
  {
    TestWindow gone(64, 64);
    ASSERT_NE(gone.window, 0u) << gone.why;
    id = gone.Id();
  }
  Program program;
  Start(program, {"--data", data.string(), "--window-id", id});
  EXPECT_EQ(program.WaitForExit(), 1);
  EXPECT_NE(FirstLine(program.Err()).find(id), std::string::npos) << program.Err();
}

// However its host ends it, the program stops its threads and exits 0 without an X error or an
// abort: XScreenSaver takes the window away and signals the hack, a terminal hangs up or is
// interrupted, and an X server drops a client's connection (xdotool windowkill, like xkill).
TEST_F(LinuxProgram, EndsCleanlyHoweverItsHostEndsIt) {
  enum class End { DestroyWindow, DestroyWindowThenTerminate, Terminate, Interrupt, HangUp, DropConnection };
  struct Case {
    const char* what;
    End end;
  } cases[] = {
      {"foreign window destroyed", End::DestroyWindow},
      {"foreign window destroyed, then SIGTERM", End::DestroyWindowThenTerminate},
      {"SIGTERM", End::Terminate},
      {"SIGINT", End::Interrupt},
      {"SIGHUP", End::HangUp},
      {"X connection dropped", End::DropConnection},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestWindow target(320, 240);
    ASSERT_NE(target.window, 0u) << target.why;
    Program program;
    WindowPlace place;
    Picture picture;
    if (c.end == End::DropConnection) {
      // The program's own window, whose creator is the connection to drop.
      Start(program, WindowArgs());
      ASSERT_TRUE(WaitForGlobe(program, &place, &picture)) << "status " << program.status << " " << program.Err();
    } else {
      Start(program, {"--data", data.string(), "--window-id", target.Id()});
      ASSERT_TRUE(PollUntil([&] {
        return !program.Running() || MarsShare(GrabWindow(target.window)) > kGlobeShare;
      }));
      ASSERT_TRUE(program.Running()) << program.Err();
    }
    switch (c.end) {
      case End::DestroyWindow: target.Destroy(); break;
      case End::DestroyWindowThenTerminate:
        target.Destroy();
        kill(program.pid, SIGTERM);
        break;
      case End::Terminate: kill(program.pid, SIGTERM); break;
      case End::Interrupt: kill(program.pid, SIGINT); break;
      case End::HangUp: kill(program.pid, SIGHUP); break;
      case End::DropConnection: ASSERT_TRUE(Xdotool("windowkill " + std::to_string(place.id))); break;
    }
    EXPECT_EQ(program.WaitForExit(), 0) << program.Err();
    const std::string err = program.Err();
    EXPECT_EQ(err.find("X Error"), std::string::npos) << err;
    EXPECT_EQ(err.find("XIO"), std::string::npos) << err;
    EXPECT_EQ(err.find("terminate"), std::string::npos) << err;
  }
}

TEST_F(LinuxProgram, FullScreenEndsOnAKeyOrTheMouseButNotOnPrintScreen) {
  fs::create_directories(home / "Desktop");
  Program program;
  Start(program, {"--data", data.string(), "--terraform-mode", "0", "--fullscreen"});
  Picture screen;
  ASSERT_TRUE(PollUntil([&] {
    screen = GrabScreen();
    return !program.Running() || MarsShare(screen) > 0.005;
  }));
  ASSERT_TRUE(program.Running()) << program.Err();
  // The globe is centred on the whole screen.
  const Picture middle = screen.Crop(screen.width / 4, screen.height / 4, screen.width / 2, screen.height / 2);
  EXPECT_GT(MarsShare(middle), 4 * MarsShare(screen.Crop(0, 0, screen.width / 4, screen.height)));

  ASSERT_TRUE(Xdotool("key Print"));
  const fs::path file = home / "Desktop" / "Screenshot 01.bmp";
  ASSERT_TRUE(PollUntil([&] { return fs::exists(file); }));
  // A few more frames: the saver still runs after Print Screen.
  for (int grab = 0; grab < 3; ++grab) GrabScreen();
  EXPECT_TRUE(program.Running());

  ASSERT_TRUE(Xdotool("key a"));
  EXPECT_EQ(program.WaitForExit(), 0);

  // Moving the mouse ends the flyby too, once its first second is over: the pointer goes back and
  // forth across the screen until the run ends.
  Program moved;
  Start(moved, {"--data", data.string(), "--terraform-mode", "0", "--fullscreen"});
  int move = 0;
  EXPECT_TRUE(PollUntil([&] {
    Xdotool(++move % 2 ? "mousemove 100 100" : "mousemove 900 600");
    return !moved.Running();
  }));
  EXPECT_EQ(moved.status, 0);
}

// ---- Two monitors (run under tests/xvfb/run_with_two_monitors.sh) --------------------------------

// How far a globe's centre may lie from its monitor's, as a share of the monitor's height. The
// sun stands to one side and moves with the flyby, and the test data's steep relief juts out of
// the limb, so the lit box's centre wanders by a few pixels with the moment of the grab; a view
// put in the wrong place is off by far more.
constexpr double kCentreShare = 0.03;
// How far, in pixels, the globe on a monitor may lie from the first monitor's globe scaled to it.
// Every view shows the one camera with the same vertical field in the same frame, so the pictures
// match up to their heights' ratio.
constexpr double kMatchPixels = 4.0;

// The monitors run_with_two_monitors.sh laid out, from TWO_MONITORS ("WxH+X+Y ...").
std::vector<Box> MonitorsOfTheServer() {
  std::vector<Box> monitors;
  std::istringstream words(std::getenv("TWO_MONITORS") ? std::getenv("TWO_MONITORS") : "");
  std::string word;
  while (words >> word) {
    int32_t w = 0, h = 0, x = 0, y = 0;
    if (std::sscanf(word.c_str(), "%dx%d+%d+%d", &w, &h, &x, &y) == 4) monitors.push_back({x, y, x + w, y + h});
  }
  return monitors;
}

// What is wrong with the globe that belongs centred on monitor m, whole; empty when nothing.
std::string GlobeFaults(const Box& disc, const Box& m) {
  const int32_t width = disc.right - disc.left, height = disc.bottom - disc.top;
  const int32_t mHeight = m.bottom - m.top;
  if (disc.Empty() || height < mHeight / 4 || width < height / 4) return "no globe; ";
  std::ostringstream faults;
  const double cx = (disc.left + disc.right) / 2.0, cy = (disc.top + disc.bottom) / 2.0;
  const double mx = (m.left + m.right) / 2.0, my = (m.top + m.bottom) / 2.0;
  if (std::max(std::abs(cx - mx), std::abs(cy - my)) > kCentreShare * mHeight || width > height + 6)
    faults << "globe " << width << " x " << height << " at " << disc.left << "," << disc.top << ", not centred on "
           << mx << "," << my << "; ";
  if (disc.left <= m.left || disc.top <= m.top || disc.right >= m.right || disc.bottom >= m.bottom)
    faults << "globe " << width << " x " << height << " at " << disc.left << "," << disc.top << " runs off it; ";
  return faults.str();
}

// What differs between the globe on monitor m and the first monitor's globe, scaled to m about
// the monitors' centres; empty when nothing.
std::string MatchFaults(const Box& disc, const Box& m, const Box& firstDisc, const Box& first) {
  const double scale = double(m.bottom - m.top) / (first.bottom - first.top);
  const double mx = (m.left + m.right) / 2.0, my = (m.top + m.bottom) / 2.0;
  const double fx = (first.left + first.right) / 2.0, fy = (first.top + first.bottom) / 2.0;
  const double expected[4] = {mx + (firstDisc.left - fx) * scale, my + (firstDisc.top - fy) * scale,
                              mx + (firstDisc.right - fx) * scale, my + (firstDisc.bottom - fy) * scale};
  const int32_t got[4] = {disc.left, disc.top, disc.right, disc.bottom};
  for (int32_t i = 0; i < 4; ++i) {
    if (std::abs(got[i] - expected[i]) > kMatchPixels) {
      std::ostringstream faults;
      faults << "globe at " << disc.left << "," << disc.top << " to " << disc.right << "," << disc.bottom
             << ", the first monitor's scaled to it at " << expected[0] << "," << expected[1] << " to " << expected[2]
             << "," << expected[3] << "; ";
      return faults.str();
    }
  }
  return "";
}

// What is wrong with the screen for a globe on each monitor, and nothing lit where no monitor
// shows it; empty when nothing.
std::string EachMonitorFaults(const Picture& screen, const std::vector<Box>& monitors) {
  std::string faults;
  std::vector<Box> discs;
  for (const Box& m : monitors) discs.push_back(GlobeBox(screen, m));
  for (size_t i = 0; i < monitors.size(); ++i) {
    std::string globe = GlobeFaults(discs[i], monitors[i]);
    if (globe.empty() && i > 0) globe = MatchFaults(discs[i], monitors[i], discs[0], monitors[0]);
    if (!globe.empty()) faults += "monitor " + std::to_string(i + 1) + ": " + globe;
  }
  int64_t lit = 0;
  for (int32_t y = 0; y < screen.height; ++y) {
    for (int32_t x = 0; x < screen.width; ++x) {
      bool shown = false;
      for (const Box& m : monitors) shown |= x >= m.left && x < m.right && y >= m.top && y < m.bottom;
      const uint8_t* p = screen.At(x, y);
      lit += !shown && std::max({p[0], p[1], p[2]}) > 8;
    }
  }
  if (lit > 0) faults += std::to_string(lit) + " pixels lit on no monitor";
  return faults;
}

class LinuxProgramTwoMonitors : public LinuxProgram {};

// XScreenSaver runs its hacks in the root window, which spans every monitor: with the Monitors
// setting at its default the program draws a whole globe centred on each monitor, and nothing
// where no monitor shows the screen.
TEST_F(LinuxProgramTwoMonitors, RootWindowShowsAWholeGlobeOnEachMonitor) {
  const std::vector<Box> monitors = MonitorsOfTheServer();
  ASSERT_EQ(monitors.size(), 2u) << "run under tests/xvfb/run_with_two_monitors.sh";
  Program program;
  // Without shadows the night side keeps its ambient light, so the whole disc shows whatever
  // quality step the run has reached when the screen is grabbed.
  Start(program, {"--data", data.string(), "--terraform-mode", "0", "--shadows", "0", "--root"});
  Picture screen;
  ASSERT_TRUE(PollUntil([&] {
    screen = GrabScreen();
    const Box disc = GlobeBox(screen, {0, 0, screen.width, screen.height});
    return !program.Running() || disc.bottom - disc.top >= screen.height / 4;
  }));
  ASSERT_TRUE(program.Running()) << program.Err();
  // Judged within seconds of the first globe: the flyby starts from the first view, whole globes,
  // and dives towards the ground some 15 s later. A second view may come a frame after the first.
  std::string faults;
  PollUntil([&] {
    screen = GrabScreen();
    faults = EachMonitorFaults(screen, monitors);
    return faults.empty();
  }, 8);
  EXPECT_EQ(faults, "");
  if (const char* pictures = std::getenv("REDSPHERE_PICTURES")) {
    fs::create_directories(pictures);
    RunCommand("import -silent -window root '" + (fs::path(pictures) / "linux_program_two_monitors.png").string() +
               "'");
  }
  kill(program.pid, SIGTERM);
  EXPECT_EQ(program.WaitForExit(), 0);
}

}  // namespace
