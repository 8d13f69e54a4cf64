// Files written whole: under a temporary name beside the final name, moved into its place in one
// step when complete, so readers see the old file or the new one and a crash leaves no wrong bytes
// under the final name. Used by the data builder, the derived caches and the Linux settings file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

enum class AtomicWrite {
  Quick,    // the system writes the bytes out when it likes: caches and settings, made again at need
  Durable,  // flushed to the disk before the move, and the move written through: the data files
};

struct AtomicFile {
  std::string path;      // the final name
  std::string tempPath;  // AtomicTempName(path, this process, a serial of its own); empty when none
  FILE* file = nullptr;  // open while bytes are appended; closed by FinishAtomicFile or DiscardAtomicFile
  AtomicWrite mode = AtomicWrite::Quick;

  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  // Discards a write still pending, so one given up by an exception (memory running out
  // half-way through a data file) leaves no open file and no temporary file behind.
  ~AtomicFile();
};

// ".NAME.PID-SERIAL.tmp" beside NAME: the process id and a serial counted by each process keep
// every writer (two threads of one process too) in a file of its own, and the leading dot keeps
// it out of the loader's name scans ("nodes" L ".hex").
std::string AtomicTempName(const std::string& path, uint32_t processId, uint32_t serial);

// Removes the temporary files of path whose writer no longer runs, and nothing else; readers of a
// file that is seldom written (a cache) call it too, so a killed writer's copy does not wait for
// the next write. Silent: a leftover that stays harms no reader.
void SweepAtomicLeftovers(const std::string& path);

// Each returns false with a one-line message in error ("cannot write PATH: reason", "cannot
// replace PATH: reason"); on failure the temporary file is removed. BeginAtomicFile first removes
// the temporary files of the same name whose writer no longer runs, and nothing else.
bool BeginAtomicFile(const std::string& path, AtomicWrite mode, AtomicFile& pending, std::string& error);
bool AppendAtomicFile(AtomicFile& pending, const void* data, size_t bytes, std::string& error);
// Closes the file (flushed to the disk first when Durable); the final name is not touched yet.
bool FinishAtomicFile(AtomicFile& pending, std::string& error);
// Moves a finished file over its final name.
bool CommitAtomicFile(AtomicFile& pending, std::string& error);
// Closes (if open) and removes the temporary file; harmless when there is none.
void DiscardAtomicFile(AtomicFile& pending);

// Begin, append, finish and commit in one call.
bool WriteAtomicFile(const std::string& path, AtomicWrite mode, const void* data, size_t bytes, std::string& error);
