// Small files for the data builder's imports (a colour map, a cloud cover, a star list) written by
// its tests, and a way to run the built program and collect its output (linux/ and win32/ hold
// the two ways of starting and killing it).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tools/mkdata/mkdata.h"

// Writes a baseline JPEG of width x height pixels (channels 1 or 3, rows from the top). The file
// always has three components (stb_image_write's JPEG is YCbCr): grey comes back as equal RGB.
bool WriteJpegFile(const std::string& path, uint32_t width, uint32_t height, uint32_t channels,
                   const std::vector<uint8_t>& pixels);

// Writes a 256 x 128 colour map, a 128 x 64 cloud cover and a six-star list (three stars brighter
// than magnitude 3.5, the first at Mars' pole) into folder, and points options at them. False if
// anything cannot be written.
bool WriteSmallImports(const std::string& folder, MkdataOptions& options);
constexpr size_t kSmallListBright = 3, kSmallListDim = 3;
// The small colour map's colour at a place (before the relief's fine detail).
void SmallColourMapAt(double latDeg, double lonDeg, double* rgb);

// RunMkdata in this process, its summary lines sent to /dev/null instead of the test log.
bool RunMkdataQuietly(const MkdataOptions& options, std::string& error);

struct ProgramRun {
  int status;          // exit status, or -1 if the program did not exit normally
  std::string output;  // standard output
  std::string errors;  // standard error
};
// Runs the built redsphere-mkdata (REDSPHERE_MKDATA_PROGRAM) with arguments and waits for it to end.
ProgramRun RunMkdataProgram(const std::vector<std::string>& arguments);
// Runs it and kills it (SIGKILL, TerminateProcess) as soon as killNow() returns true, polled every
// millisecond while it runs; status is -1 when it was killed.
ProgramRun RunMkdataProgramUntil(const std::vector<std::string>& arguments, const std::function<bool()>& killNow);
#if defined(__linux__)
// Runs it with its address space limited to addressSpace bytes (setrlimit), so memory runs out.
ProgramRun RunMkdataProgramWithin(uint64_t addressSpace, const std::vector<std::string>& arguments);
#endif

// Folders an elevated builder must not trust: one that every user may write to, and a link (a
// junction on Windows, else a symbolic link) to another folder. False when the system will not
// make it.
bool MakeFolderUsersMayChange(const std::string& path);
bool MakeFolderLink(const std::string& link, const std::string& target);

std::string ReadTextFile(const std::string& path);
// The ".hex" files of a folder with their bytes, by name.
std::map<std::string, std::vector<uint8_t>> HexFiles(const std::string& folder);
