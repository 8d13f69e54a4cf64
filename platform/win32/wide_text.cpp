// The conversions between the portable code's UTF-8 text and Windows' wide text.
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <cstring>

std::wstring WideFromNarrow(const char* text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

std::string NarrowFromWide(const wchar_t* text, int length) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, narrow.data(), bytes, nullptr, nullptr);
  // A length of -1 counts the terminating zero, which the string keeps on its own.
  if (length < 0) narrow.resize(static_cast<size_t>(bytes - 1));
  return narrow;
}

bool NarrowInto(const wchar_t* text, char* out, size_t size) {
  const std::string narrow = NarrowFromWide(text);
  if (narrow.empty() || narrow.size() >= size) return false;
  std::memcpy(out, narrow.c_str(), narrow.size() + 1);
  return true;
}
