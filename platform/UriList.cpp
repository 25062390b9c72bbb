// text/uri-list to local paths.
#include "platform/UriList.h"

namespace tarnwick::platform {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool startsWithNoCase(std::string_view text, std::string_view head) {
  if (text.size() < head.size()) return false;
  for (size_t i = 0; i < head.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != head[i]) return false;
  }
  return true;
}

bool sameNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && startsWithNoCase(a, b); }

// The path of a file: URI on this machine; false for another host or no absolute path.
bool localPathOf(std::string_view uri, std::string_view localHost, std::string& path) {
  if (!startsWithNoCase(uri, "file:")) return false;
  std::string_view rest = uri.substr(5);
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return false;
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && !sameNoCase(host, "localhost") && !(localHost.size() > 0 && sameNoCase(host, localHost)))
      return false;
    rest.remove_prefix(slash);
  }
  // A query or fragment is no part of a file's name.
  rest = rest.substr(0, rest.find_first_of("?#"));
  if (rest.empty() || rest[0] != '/') return false;
  return decodePercentEscapes(rest, path) && !path.empty() && path[0] == '/';
}

}  // namespace

bool decodePercentEscapes(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      const char decoded = static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      if (decoded == '\0') return false;
      out.push_back(decoded);
      i += 2;
    } else {
      out.push_back(c);
    }
  }
  return true;
}

FileDrag fileDragFromUriList(std::string_view list, std::string_view localHost) {
  FileDrag drag;
  while (!list.empty()) {
    const size_t end = list.find('\n');
    std::string_view line = list.substr(0, end);
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line[0] == '#' || line[0] == '\0') continue;
    std::string path;
    if (localPathOf(line, localHost, path)) {
      drag.paths.push_back(std::move(path));
    } else if (drag.other.empty()) {
      drag.other.assign(line);
    }
  }
  return drag;
}

}  // namespace tarnwick::platform
