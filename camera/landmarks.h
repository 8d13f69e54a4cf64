// The landmarks the guided tour visits: a plain text table (data/sources/landmarks.csv) compiled
// into the program, its parser, and the one conversion the captions need before the overlay font
// (code page 1252) can draw them.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kMinLandmarks = 2;          // a tour needs somewhere to go
constexpr int32_t kMaxLandmarks = 64;         // TourState keeps the visited ones in 64 bits
constexpr int32_t kMaxLandmarkNameCharacters = 40;
constexpr int32_t kMaxCaptionCharacters = 100;  // about the width of a 1024-pixel screen in the overlay font
// UTF-8 spends at most 3 bytes on a character of code page 1252.
constexpr int32_t kLandmarkNameSize = 3 * kMaxLandmarkNameCharacters + 1;
constexpr int32_t kLandmarkCaptionSize = 3 * kMaxCaptionCharacters + 1;
constexpr size_t kLandmarkErrorSize = 160;
constexpr float kMinLandmarkSizeKm = 1.0f;
constexpr float kMaxLandmarkSizeKm = 5000.0f;  // Valles Marineris is 4,000 km long

// One place of the tour. Text is UTF-8 whose every character code page 1252 has and the
// overlay font draws.
struct Landmark {
  char name[kLandmarkNameSize];
  float latitude;   // planetocentric, degrees, north positive, -90..90
  float longitude;  // east, degrees, [0, 360)
  float sizeKm;     // the feature's diameter or length: the tour frames its view by it
  char caption[kLandmarkCaptionSize];  // one line of facts, shown while the tour circles the place
};

// A parsed table; read-only once parsed (window thread).
struct LandmarkTable {
  int32_t count;
  Landmark entries[kMaxLandmarks];
};

// The table's text as the build found it in data/sources/landmarks.csv (landmark_text.cpp, made
// by the build), not zero-terminated in meaning: kLandmarkTextLength bytes.
extern const char kLandmarkText[];
extern const size_t kLandmarkTextLength;

// Parses the table: one header line "name,latitude,longitude,size_km,caption", then one landmark a
// line. The first four fields end at a comma; the caption is the rest of the line and may hold
// commas. Fields are trimmed of spaces; numbers are plain decimals ("-8.35"). A line may end in
// CR LF; a UTF-8 byte order mark before the header is skipped. False with "line N: reason" in
// `error` at the first thing wrong (an empty or short line, a number out of range or not a
// number, a name or caption empty, too long or with a character the overlay font lacks, a name
// given twice, too few or too many landmarks); `table` is then not to be used.
bool ParseLandmarks(const char* text, size_t length, LandmarkTable& table, char* error, size_t errorSize);

// ParseLandmarks on the compiled-in table. Called once at start; a failure means the program was
// built from a broken table (its test says which line).
bool LoadBuiltInLandmarks(LandmarkTable& table, char* error, size_t errorSize);

// The code page 1252 bytes of UTF-8 text, for the overlay font whose glyph i draws character code
// i. Writes at most outSize - 1 bytes and a terminating zero; false (and an empty `out`) when the
// text is not UTF-8, holds a character code page 1252 lacks or the overlay font cannot draw, or
// does not fit.
bool EncodeCodePage1252(const char* utf8, size_t length, char* out, size_t outSize);
