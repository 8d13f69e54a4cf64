// What a platform must provide to the portable code: file and folder calls for the map data and
// for files written whole (platform/atomic_file.h), failure lines, the settings store, and the
// saver window's cursor, keys, clock, desktop folder and clipboard. Files and failure lines are
// implemented by platform/win32/ and platform/linux/, the settings store by settings/win32/ and
// settings/linux/, the saver window's calls by the shells (shell/win32/, shell/linux/); nothing
// else may include a system header that only one platform has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// ---- Files and folders -------------------------------------------------------------------------
// Paths are narrow strings: UTF-8 on Windows (platform/win32/wide_text.h turns them into the wide
// calls' text), the file system's bytes on Linux. The portable code joins them with '/', which
// Windows takes as well as a backslash.

enum class PathKind { Missing, File, Folder, Other };
// What a path names now.
PathKind PlatformPathKind(const char* path);
// fopen and remove for the portable code's paths: the C library's own on Linux, their wide forms
// on Windows (_wfopen, _wremove), so a path crosses to the system by the one text conversion.
FILE* PlatformOpenFile(const char* path, const char* mode);
bool PlatformRemoveFile(const char* path);
// fread, fwrite and the fclose of a file that was written (its buffered bytes go out then, so a
// full disk may show only here), the same on both platforms (platform/file_io.cpp). They and the
// calls above are the fault points of platform/fault_points.h: the file calls of the map data,
// the caches, the settings file, the screenshots and the data builder go through them.
size_t PlatformReadFile(FILE* file, void* data, size_t bytes);
size_t PlatformWriteFile(FILE* file, const void* data, size_t bytes);
bool PlatformCloseWrittenFile(FILE* file);
// Length of an open file in bytes (64-bit, so files over 2 GiB measure right), or -1.
int64_t PlatformFileLength(FILE* file);
// Last modification time of an open file in the platform's own unit (nanoseconds on Linux,
// 100 ns on Windows); false when the platform cannot tell.
bool PlatformFileModified(FILE* file, int64_t* modified);
// Moves an open file's read position to a 64-bit offset from its start.
bool PlatformSeek(FILE* file, int64_t offset);
// Calls visit(name, user) for every entry of folder whose name starts with prefix, in the order
// the file system lists them, until visit returns false. Windows matches the prefix without
// regard to letter case, as its file search does; Linux matches it exactly. False when the folder
// cannot be listed.
bool PlatformScanDirectory(const char* folder, const char* prefix, bool (*visit)(const char* name, void* user),
                           void* user);
// The absolute form of a path (symbolic links resolved on Linux); false when it cannot be made or
// does not fit in size bytes.
bool PlatformAbsolutePath(const char* path, char* out, size_t size);

// Maps the first `bytes` bytes of an open file into memory for reading only (null when the
// platform cannot); the mapping outlives the FILE. Released with PlatformUnmapFile. name says
// which file it is in a failure line ("topo8.hex in /data"): on Linux a file cut short while
// mapped ends the process with status 1 and that line at the first read of a lost page, instead
// of the signal that read raises; Windows refuses to cut a mapped file short.
const void* PlatformMapFile(FILE* file, uint64_t bytes, const char* name);
void PlatformUnmapFile(const void* view, uint64_t bytes);

// Flushes an open file's buffered bytes and asks the system to put them on the disk (fsync(2) on
// Linux, _commit, which is FlushFileBuffers, on Windows); false with errno set on failure.
bool PlatformFlushToDisk(FILE* file);
// Puts the closed file `from` in the place of `to` in one step, replacing what was there:
// rename(2) on Linux, MoveFileExW with MOVEFILE_REPLACE_EXISTING on Windows (whose rename refuses
// an existing target). A reader opening `to` meanwhile gets the old file or the new one whole.
// Both must lie in one folder. writeThrough makes Windows return only once the new directory
// entry is on the disk (MOVEFILE_WRITE_THROUGH); Linux has no such choice for a rename. False
// with the system's reason on one line in reason, cut to reasonSize bytes.
bool PlatformReplaceFile(const char* from, const char* to, bool writeThrough, char* reason, size_t reasonSize);
// Makes a folder and the folders above it that are missing; true when it exists afterwards.
bool PlatformMakeFolders(const char* path);
// The per-user folder for files that can be made again: %LOCALAPPDATA%\Redsphere\cache on
// Windows, $XDG_CACHE_HOME/redsphere or else ~/.cache/redsphere on Linux. It may not exist yet;
// false when the user has no such place.
bool PlatformUserCacheFolder(char* out, size_t size);
// This process's id: names of temporary files that other processes must not share.
uint32_t PlatformProcessId();
// Whether a process with this id runs now, anyone's (ids are reused, so a true may be a stranger);
// false for 0.
bool PlatformProcessRunning(uint32_t id);

// ---- Failure lines ------------------------------------------------------------------------------

// Writes one line of ReportFailure (platform/failure_report.h), given without its line end: Linux
// to standard error; Windows to %LOCALAPPDATA%\Redsphere\redsphere.log (started over before it
// passes 64 KiB), to OutputDebugStringW and to standard error, which a saver seldom has. Any thread.
void PlatformWriteFailureLine(const char* line);

// ---- Saver window: input, clock, screenshots (implemented by each shell) ------------------------

// Caps Lock is toggled on (it doubles most control speeds).
bool PlatformCapsLockOn();
// Cursor position in screen coordinates, and moving it there.
void PlatformGetCursor(int32_t* x, int32_t* y);
void PlatformSetCursor(int32_t x, int32_t y);
// A monotonic high-resolution counter and its ticks per second.
int64_t PlatformCounter();
int64_t PlatformCounterFrequency();
// The calendar clock: UTC milliseconds since 1970-01-01 (the Mars clock of a run on the real sun).
int64_t PlatformUtcMillis();
// Sleeps about `milliseconds` (with the finest timer the platform has).
void PlatformSleepMilliseconds(int32_t milliseconds);
// The user's desktop folder for numbered screenshots; false when there is none.
bool PlatformDesktopFolder(char* out, size_t size);
// Print Screen, with the frame as the back end read it (bottom-up rows of blue, green, red, each
// padded to 4 bytes): Windows puts it on the clipboard as a 24-bit CF_DIB; Linux, whose desktop
// usually takes that key itself, saves a numbered file as F2 does. Failures are silent.
void PlatformCopyFrame(const uint8_t* bgr, int32_t width, int32_t height);

// ---- Settings store ----------------------------------------------------------------------------
// Windows: the registry (machine-wide data folder, twelve per-user REG_DWORD values).
// Linux: one key=value file under $XDG_CONFIG_HOME/redsphere/.

// The compiled-in (Windows) or per-user (Linux) data folder used when the store names none.
void SettingsStoreDefaultDataPath(char* out, size_t size);
// Copies the stored data folder, zero-terminated, into out; false (out untouched) when there is
// none, when it is empty, or when it does not fit in size bytes with its terminating zero.
bool SettingsStoreReadDataPath(char* out, size_t size);

struct SettingsStore;  // an open per-user store, private to each platform

// Opens the per-user values for reading; null when there are none at all.
SettingsStore* SettingsStoreOpenRead();
// Reads one value; false when it is absent or does not fit in 32 bits.
bool SettingsStoreReadValue(SettingsStore* store, const char* name, uint32_t* value);
// Creates or opens the per-user values for writing; null when that fails (nothing is written).
SettingsStore* SettingsStoreOpenWrite();
// Writes one value; failures are ignored, as a screensaver has nowhere to report them.
void SettingsStoreWriteValue(SettingsStore* store, const char* name, uint32_t value);
// Closes the store; for a store opened for writing this is when the values reach the disk.
void SettingsStoreClose(SettingsStore* store);
// Where the per-user values live, for messages ("HKEY_CURRENT_USER\..." or a file path).
const char* SettingsStoreLocation();
