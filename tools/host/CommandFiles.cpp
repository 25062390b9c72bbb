// Checked reads of the commands' input files, and their output files.
#include "tools/host/CommandFiles.h"

#include <filesystem>
#include <fstream>

#include "platform/Paths.h"

namespace tarnwick::host {

bool checkInputFile(const std::string& path, const char* what, std::string* error) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(platform::fileSystemPath(path.c_str()), ec);
  std::string reason;
  if (status.type() == std::filesystem::file_type::not_found)
    reason = "no such file";
  else if (ec)
    reason = ec.message();
  else if (status.type() == std::filesystem::file_type::directory)
    reason = "a folder, not a file";
  else if (status.type() != std::filesystem::file_type::regular)
    reason = "not a regular file";
  if (reason.empty()) return true;
  if (error) *error = std::string(what) + " " + path + ": " + reason;
  return false;
}

bool readInputFile(const std::string& path, const char* what, std::size_t maxBytes, std::vector<uint8_t>& bytes,
                   std::string* error) {
  if (!checkInputFile(path, what, error)) return false;
  std::ifstream file(platform::fileSystemPath(path.c_str()), std::ios::binary | std::ios::ate);
  if (!file) {
    if (error) *error = std::string(what) + " " + path + ": cannot be opened";
    return false;
  }
  const std::streamoff size = file.tellg();
  if (size < 0 || static_cast<unsigned long long>(size) > maxBytes) {
    if (error) *error = std::string(what) + " " + path + ": too large";
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) {
    if (error) *error = std::string(what) + " " + path + ": cannot be read";
    return false;
  }
  return true;
}

bool writeOutputFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  std::ofstream out(platform::fileSystemPath(path.c_str()), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out) return true;
  if (error) *error = "cannot write " + path;
  return false;
}

}  // namespace tarnwick::host
