// Data files written under a temporary name beside their final name and renamed over it only when
// complete, so an interrupted run never leaves a file of the right length with the wrong bytes.
// The temporary name ".NAME.PID.tmp" belongs to one process, so two builders writing into one
// folder never share a file, and begins with a dot, so no prefix the loader scans for ("nodes")
// ever matches a builder's leftover.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

struct PendingFile {
  std::string path;      // the final name
  std::string tempPath;  // TemporaryFileName(path, this process), in the same folder so the rename is atomic
  FILE* file = nullptr;  // open while bytes are appended; closed by FinishFile or DiscardFile
};

// Where a process writes the file that becomes path.
std::string TemporaryFileName(const std::string& path, uint32_t processId);

// Each returns false with a one-line message in error; on failure the temporary file is removed.
// BeginFile also removes what builders that no longer run left of the same file.
bool BeginFile(const std::string& path, PendingFile& pending, std::string& error);
bool AppendFile(PendingFile& pending, const void* data, size_t bytes, std::string& error);
// Flushes the bytes to the disk and closes the file; the final name is not touched yet.
bool FinishFile(PendingFile& pending, std::string& error);
// Moves a finished file over its final name.
bool CommitFile(PendingFile& pending, std::string& error);
// Closes (if open) and removes the temporary file; harmless when there is none.
void DiscardFile(PendingFile& pending);

// Begin, append, finish and commit in one call.
bool WriteWholeFile(const std::string& path, const void* data, size_t bytes, std::string& error);
