// SHA-256 of a file, for checking the data sources against the sums the builder was made with.
#pragma once

#include <string>

// The lower-case hexadecimal digest of the file's bytes; false with the reason in error when the
// file cannot be opened or read.
bool FileSha256(const std::string& path, std::string& digest, std::string& error);
