// Source stand-ins and the program runner for the data builder's tests.
#include "tests/tools/mkdata/mkdata_sources.h"

#include <fcntl.h>
#include <jpeglib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/support/test_data.h"

namespace {

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

bool WriteJpegFile(const std::string& path, uint32_t width, uint32_t height, uint32_t channels,
                   const std::vector<uint8_t>& pixels) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = width;
  info.image_height = height;
  info.input_components = static_cast<int>(channels);
  info.in_color_space = channels == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < height) {
    JSAMPROW row = const_cast<uint8_t*>(pixels.data()) + size_t{info.next_scanline} * width * channels;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

namespace {

constexpr uint32_t kMapWidth = 256, kMapHeight = 128;

// Smooth, broad changes only: sharp ones would read as relief in the shading.
void MapPixel(uint32_t x, uint32_t y, uint8_t* p) {
  const double shade = std::sin(x * 3.14159265358979323846 / 128.0) * std::cos(y * 3.14159265358979323846 / 64.0);
  p[0] = static_cast<uint8_t>(170 + 20 * shade);
  p[1] = static_cast<uint8_t>(100 + 10 * shade);
  p[2] = static_cast<uint8_t>(60 + 5 * shade);
}

}  // namespace

void SmallColourMapAt(double latDeg, double lonDeg, double* rgb) {
  // The map's layout: 180 E at the left edge, north at the top.
  const uint32_t x = static_cast<uint32_t>(std::fmod(lonDeg + 180.0, 360.0) / 360.0 * kMapWidth) % kMapWidth;
  const uint32_t y = std::min(kMapHeight - 1, static_cast<uint32_t>((90.0 - latDeg) / 180.0 * kMapHeight));
  uint8_t p[3];
  MapPixel(x, y, p);
  for (int k = 0; k < 3; ++k) rgb[k] = p[k];
}

bool WriteSmallImports(const std::string& folder, MkdataOptions& options) {
  options.colourMap = folder + "/mars.jpg";
  options.cloudMap = folder + "/clouds.jpg";
  options.starList = folder + "/stars.txt";
  std::vector<uint8_t> colour(kMapWidth * kMapHeight * 3);
  for (uint32_t y = 0; y < kMapHeight; ++y)
    for (uint32_t x = 0; x < kMapWidth; ++x) MapPixel(x, y, &colour[(y * kMapWidth + x) * 3]);
  std::vector<uint8_t> clouds(128 * 64);
  for (uint32_t y = 0; y < 64; ++y)
    for (uint32_t x = 0; x < 128; ++x)
      clouds[y * 128 + x] = static_cast<uint8_t>(127.5 + 127.5 * std::sin(x * 0.2) * std::cos(y * 0.3));
  const std::string stars =
      "# Dec RA Mag\n"
      "\n"
      " 52.887  21.178733 -0.50 \"Mars pole\"\n"
      "-16.7161  6.7525  1.20 \"Sirius\"\n"
      " 38.7836 18.6156  3.50 \"Vega\"\n"
      "  0.0000  3.1787  3.51 \"node\"\n"
      "-60.0000 14.0000  5.00\n"
      " 10.0000  1.0000  7.90\n";
  return WriteJpegFile(options.colourMap, kMapWidth, kMapHeight, 3, colour) &&
         WriteJpegFile(options.cloudMap, 128, 64, 1, clouds) &&
         WriteFileBytes(options.starList, stars.data(), stars.size());
}

bool RunMkdataQuietly(const MkdataOptions& options, std::string& error) {
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int sink = open("/dev/null", O_WRONLY);
  dup2(sink, STDOUT_FILENO);
  const bool ok = RunMkdata(options, error);
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(sink);
  close(saved);
  return ok;
}

ProgramRun RunMkdataProgramUntil(const std::vector<std::string>& arguments, const std::function<bool()>& killNow) {
  static int serial = 0;
  const std::string stem = (std::filesystem::temp_directory_path() /
                            ("redsphere-mkdata-run-" + std::to_string(getpid()) + "-" + std::to_string(serial++)))
                               .string();
  const std::string outPath = stem + ".out", errPath = stem + ".err";
  std::vector<char*> argv;
  std::string program = REDSPHERE_MKDATA_PROGRAM;
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int raw = 0;
  bool killed = false;
  while (child > 0 && waitpid(child, &raw, WNOHANG) == 0) {
    if (!killed && killNow && killNow()) {
      kill(child, SIGKILL);
      killed = true;
    }
    usleep(1000);
  }
  ProgramRun run{child > 0 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(outPath), ReadText(errPath)};
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return run;
}

ProgramRun RunMkdataProgram(const std::vector<std::string>& arguments) { return RunMkdataProgramUntil(arguments, nullptr); }

std::vector<std::pair<std::string, std::vector<uint8_t>>> HexFiles(const std::string& folder) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
  std::error_code code;
  for (const auto& entry : std::filesystem::directory_iterator(folder, code))
    if (entry.path().extension() == ".hex")
      files.emplace_back(entry.path().filename().string(), ReadFileBytes(entry.path().string()));
  std::sort(files.begin(), files.end());
  return files;
}
