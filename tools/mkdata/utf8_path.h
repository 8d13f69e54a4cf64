// The builder's paths are UTF-8 text on every platform; std::filesystem reads a plain narrow
// string in the system's code page on Windows, so paths cross to it and back as UTF-8 explicitly.
#pragma once

#include <filesystem>
#include <string>

inline std::filesystem::path Utf8Path(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8Text(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
