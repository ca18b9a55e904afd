#pragma once
// Low-level file writing shared by the code that replaces files in place
// (settings files, the unscrambled database): they write a temporary file
// beside the file being replaced and rename it over, so a crash never leaves half a file.
#include <cstddef>

// Writes all n bytes to fd, retrying after interruptions; false on any failure.
bool WriteAll(int fd, const char* data, size_t n);
