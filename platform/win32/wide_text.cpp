// The conversions between the portable code's narrow text and Windows' wide text.
#include "platform/win32/wide_text.h"

#include <windows.h>

namespace {

// NOTE: the portable code opens files with fopen, which reads a narrow path in the ANSI code
// page; the wide calls must read the same bytes the same way, or a name with an accent would be
// one file to fopen and another to MoveFileExW.
constexpr UINT kNarrowCodePage = CP_ACP;

std::string Narrow(UINT codePage, const wchar_t* text, int length) {
  const int bytes = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, text, length, narrow.data(), bytes, nullptr, nullptr);
  // A length of -1 counts the terminating zero, which the string keeps on its own.
  if (length < 0) narrow.resize(static_cast<size_t>(bytes - 1));
  return narrow;
}

}  // namespace

std::wstring WideFromNarrow(const char* text) {
  const int length = MultiByteToWideChar(kNarrowCodePage, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(kNarrowCodePage, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

std::string NarrowFromWide(const wchar_t* text, int length) { return Narrow(kNarrowCodePage, text, length); }

std::string Utf8FromWide(const std::wstring& text) { return Narrow(CP_UTF8, text.c_str(), -1); }
