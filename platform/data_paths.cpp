// The node-file rule: which names are a level's node file.
#include "platform/data_paths.h"

#include <cctype>
#include <cstring>

namespace {

constexpr char kExtension[] = ".hex";

bool SameLetters(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

uint32_t NodeFileLevel(const char* name) {
  const size_t stem = sizeof kNodeStem - 1, extension = sizeof kExtension - 1;
  if (!SameLetters(name, kNodeStem, stem)) return 0;
  const char* digits = name + stem;
  if (*digits < '1' || *digits > '9') return 0;  // no level 0, no leading zeros
  uint32_t level = 0;
  const char* c = digits;
  for (; *c >= '0' && *c <= '9'; ++c) {
    level = level * 10 + static_cast<uint32_t>(*c - '0');
    if (level > kMaxLevel) return 0;
  }
  if (std::strlen(c) != extension || !SameLetters(c, kExtension, extension)) return 0;
  return level;
}
