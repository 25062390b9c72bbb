// The commands' files: only regular input files are opened (a FIFO or a device would block the open or
// never end), whole-file reads are bounded, and written files report their failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::host {

// False with a one-line reason ("the recording X: no such file", "... is not a regular file").
bool checkInputFile(const std::string& path, const char* what, std::string* error);

// Reads a whole regular file of at most maxBytes.
bool readInputFile(const std::string& path, const char* what, std::size_t maxBytes, std::vector<uint8_t>& bytes,
                   std::string* error);

// Writes bytes to path, replacing what was there; false with a one-line reason.
bool writeOutputFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

}  // namespace tarnwick::host
