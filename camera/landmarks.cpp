// The landmark table's parser and the captions' conversion to code page 1252. The table is
// compiled in, but it is edited by hand: every field is checked and the first bad line named.
#include "camera/landmarks.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "resources/pictures.h"

namespace {

constexpr char kHeader[] = "name,latitude,longitude,size_km,caption";
constexpr int32_t kMaxNumberCharacters = 16;

// The font code of a character, or -1 when code page 1252 or the overlay font has none (control
// characters have empty glyphs, and the font stops below code 255).
int32_t CodeOf(uint32_t character) {
  if (character == 0) return -1;
  for (int32_t code = 0; code < kFontGlyphCount; ++code)
    if (CharacterOfCode(code) == character) return code;
  return -1;
}

// Reads one UTF-8 character at `p`, advancing it; false on a malformed, overlong or surrogate
// sequence.
bool NextCharacter(const unsigned char*& p, const unsigned char* end, uint32_t& character) {
  const uint32_t lead = *p++;
  int32_t more = 0;
  uint32_t least = 0;
  if (lead < 0x80) {
    character = lead;
    return true;
  } else if ((lead & 0xe0) == 0xc0) {
    more = 1, least = 0x80, character = lead & 0x1f;
  } else if ((lead & 0xf0) == 0xe0) {
    more = 2, least = 0x800, character = lead & 0x0f;
  } else if ((lead & 0xf8) == 0xf0) {
    more = 3, least = 0x10000, character = lead & 0x07;
  } else {
    return false;
  }
  for (; more > 0; --more) {
    if (p == end || (*p & 0xc0) != 0x80) return false;
    character = (character << 6) | (*p++ & 0x3f);
  }
  return character >= least && character <= 0x10ffff && (character < 0xd800 || character > 0xdfff);
}

// The number of characters of a text field, or -1 when it is not UTF-8 the overlay font can draw.
int32_t DrawableCharacters(const char* begin, const char* end) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(begin);
  const unsigned char* stop = reinterpret_cast<const unsigned char*>(end);
  int32_t count = 0;
  while (p < stop) {
    uint32_t character = 0;
    if (!NextCharacter(p, stop, character) || CodeOf(character) < 0) return -1;
    ++count;
  }
  return count;
}

[[gnu::format(printf, 4, 5)]] bool Fail(char* error, size_t errorSize, int32_t line, const char* format, ...) {
  if (error == nullptr || errorSize == 0) return false;
  const int written = std::snprintf(error, errorSize, "line %d: ", static_cast<int>(line));
  if (written < 0 || static_cast<size_t>(written) >= errorSize) return false;
  va_list args;
  va_start(args, format);
  std::vsnprintf(error + written, errorSize - static_cast<size_t>(written), format, args);
  va_end(args);
  return false;
}

struct Span {
  const char* begin;
  const char* end;
};

Span Trimmed(Span s) {
  while (s.begin < s.end && *s.begin == ' ') ++s.begin;
  while (s.end > s.begin && s.end[-1] == ' ') --s.end;
  return s;
}

// A plain decimal: an optional sign, digits, and an optional point with more digits.
bool ParseDecimal(Span field, float& value) {
  const char* p = field.begin;
  if (field.end - p > kMaxNumberCharacters) return false;
  const double sign = (p < field.end && *p == '-') ? -1.0 : 1.0;
  if (p < field.end && (*p == '-' || *p == '+')) ++p;
  double number = 0.0, scale = 1.0;
  int32_t digits = 0;
  bool point = false;
  for (; p < field.end; ++p) {
    if (*p == '.' && !point) {
      point = true;
    } else if (*p >= '0' && *p <= '9') {
      if (point) scale /= 10.0;
      number = number * 10.0 + (*p - '0');
      ++digits;
    } else {
      return false;
    }
  }
  value = static_cast<float>(sign * number * scale);
  return digits > 0;
}

bool ParseNumber(Span field, const char* what, float least, float most, bool mostIncluded, float& value,
                 int32_t line, char* error, size_t errorSize) {
  field = Trimmed(field);
  if (!ParseDecimal(field, value))
    return Fail(error, errorSize, line, "%s \"%.*s\" is not a decimal number", what,
                static_cast<int>(field.end - field.begin > 20 ? 20 : field.end - field.begin), field.begin);
  if (value < least || value > most || (!mostIncluded && value == most))
    return Fail(error, errorSize, line, "%s %g is outside %g to %g%s", what, value, least, most,
                mostIncluded ? "" : " (excluded)");
  return true;
}

// A name or caption: not empty, at most `maxCharacters` characters the overlay font can draw.
bool ParseText(Span field, const char* what, int32_t maxCharacters, char* out, size_t outSize, int32_t line,
               char* error, size_t errorSize) {
  field = Trimmed(field);
  const int32_t characters = DrawableCharacters(field.begin, field.end);
  if (field.begin == field.end) return Fail(error, errorSize, line, "the %s is empty", what);
  if (characters < 0)
    return Fail(error, errorSize, line, "the %s holds a character that is not UTF-8 of code page 1252", what);
  if (characters > maxCharacters)
    return Fail(error, errorSize, line, "the %s has %d characters, more than %d", what, static_cast<int>(characters),
                static_cast<int>(maxCharacters));
  const size_t bytes = static_cast<size_t>(field.end - field.begin);
  if (bytes >= outSize) return Fail(error, errorSize, line, "the %s is too long", what);
  std::memcpy(out, field.begin, bytes);
  out[bytes] = '\0';
  return true;
}

// Splits a line at its first four commas; false when it has fewer.
bool SplitFields(Span line, Span fields[5]) {
  const char* p = line.begin;
  for (int32_t i = 0; i < 4; ++i) {
    const char* comma = static_cast<const char*>(std::memchr(p, ',', static_cast<size_t>(line.end - p)));
    if (comma == nullptr) return false;
    fields[i] = Span{p, comma};
    p = comma + 1;
  }
  fields[4] = Span{p, line.end};
  return true;
}

bool ParseLandmarkLine(Span line, int32_t number, Landmark& landmark, char* error, size_t errorSize) {
  Span fields[5];
  if (line.begin == line.end) return Fail(error, errorSize, number, "the line is empty");
  if (!SplitFields(line, fields))
    return Fail(error, errorSize, number, "fewer than five fields (name, latitude, longitude, size_km, caption)");
  return ParseText(fields[0], "name", kMaxLandmarkNameCharacters, landmark.name, sizeof(landmark.name), number, error,
                   errorSize) &&
         ParseNumber(fields[1], "latitude", -90.0f, 90.0f, true, landmark.latitude, number, error, errorSize) &&
         ParseNumber(fields[2], "longitude", 0.0f, 360.0f, false, landmark.longitude, number, error, errorSize) &&
         ParseNumber(fields[3], "size_km", kMinLandmarkSizeKm, kMaxLandmarkSizeKm, true, landmark.sizeKm, number,
                     error, errorSize) &&
         ParseText(fields[4], "caption", kMaxCaptionCharacters, landmark.caption, sizeof(landmark.caption), number,
                   error, errorSize);
}

// The next line from `p` without its line end (LF or CR LF); advances `p` past it.
Span NextLine(const char*& p, const char* end) {
  const char* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
  Span line{p, newline != nullptr ? newline : end};
  p = newline != nullptr ? newline + 1 : end;
  if (line.end > line.begin && line.end[-1] == '\r') --line.end;
  return line;
}

bool NameTaken(const LandmarkTable& table, const char* name) {
  for (int32_t i = 0; i < table.count; ++i)
    if (std::strcmp(table.entries[i].name, name) == 0) return true;
  return false;
}

}  // namespace

bool ParseLandmarks(const char* text, size_t length, LandmarkTable& table, char* error, size_t errorSize) {
  table.count = 0;
  const char* p = text;
  const char* end = text + length;
  if (length >= 3 && std::memcmp(p, "\xef\xbb\xbf", 3) == 0) p += 3;
  const Span header = NextLine(p, end);
  if (static_cast<size_t>(header.end - header.begin) != sizeof(kHeader) - 1 ||
      std::memcmp(header.begin, kHeader, sizeof(kHeader) - 1) != 0)
    return Fail(error, errorSize, 1, "the header is not \"%s\"", kHeader);
  for (int32_t number = 2; p < end; ++number) {
    const Span line = NextLine(p, end);
    if (table.count == kMaxLandmarks)
      return Fail(error, errorSize, number, "more than %d landmarks", static_cast<int>(kMaxLandmarks));
    Landmark& landmark = table.entries[table.count];
    if (!ParseLandmarkLine(line, number, landmark, error, errorSize)) return false;
    if (NameTaken(table, landmark.name))
      return Fail(error, errorSize, number, "\"%s\" is named twice", landmark.name);
    ++table.count;
  }
  if (table.count < kMinLandmarks)
    return Fail(error, errorSize, static_cast<int32_t>(table.count) + 2, "fewer than %d landmarks",
                static_cast<int>(kMinLandmarks));
  return true;
}

bool LoadBuiltInLandmarks(LandmarkTable& table, char* error, size_t errorSize) {
  return ParseLandmarks(kLandmarkText, kLandmarkTextLength, table, error, errorSize);
}

bool EncodeCodePage1252(const char* utf8, size_t length, char* out, size_t outSize) {
  if (outSize == 0) return false;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
  const unsigned char* end = p + length;
  size_t written = 0;
  while (p < end) {
    uint32_t character = 0;
    const int32_t code = NextCharacter(p, end, character) ? CodeOf(character) : -1;
    if (code < 0 || written + 1 >= outSize) {
      out[0] = '\0';
      return false;
    }
    out[written++] = static_cast<char>(code);
  }
  out[written] = '\0';
  return true;
}
