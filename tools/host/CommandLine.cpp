// The shared command-line conventions of tarnwick-host.
#include "tools/host/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tarnwick::host {
namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Edit distance with case ignored.
size_t distance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

bool fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::string closestName(const std::string& given, const std::vector<std::string>& names) {
  std::string best;
  size_t bestDistance = 0;
  for (const std::string& name : names) {
    const size_t d = distance(given, name);
    if (best.empty() || d < bestDistance) {
      best = name;
      bestDistance = d;
    }
  }
  // A third of the name may be wrong, and at least two characters.
  const size_t allowed = std::max<size_t>(2, given.size() / 3);
  return bestDistance <= allowed ? best : std::string();
}

bool parseCommandLine(const std::vector<std::string>& args, std::span<const OptionRule> rules, CommandLine& out,
                      std::string* error) {
  out = CommandLine{};
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      out.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      out.help = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const auto rule = std::find_if(rules.begin(), rules.end(), [&](const OptionRule& s) { return name == s.name; });
    if (rule == rules.end()) {
      std::vector<std::string> known;
      for (const OptionRule& s : rules) known.emplace_back(s.name);
      const std::string near = closestName(name, known);
      return fail(error, "unknown option " + name + (near.empty() ? "" : " (did you mean " + near + "?)"));
    }
    if (!rule->takesValue) {
      if (equals != std::string::npos) return fail(error, name + " takes no value");
      out.options.emplace_back(name, std::string());
      continue;
    }
    if (equals != std::string::npos) {
      out.options.emplace_back(name, arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      out.options.emplace_back(name, args[++i]);
    } else {
      return fail(error, name + " needs a value");
    }
  }
  return true;
}

int usageError(const char* command, const std::string& message) {
  std::fprintf(stderr, "tarnwick-host %s: %s; see 'tarnwick-host help %s'\n", command, message.c_str(), command);
  return kExitBadArguments;
}

int commandError(const char* command, int code, const std::string& message) {
  std::fprintf(stderr, "tarnwick-host %s: %s\n", command, message.c_str());
  return code;
}

bool parseWholeNumber(const std::string& text, int64_t& value) {
  if (text.empty() || text.size() > 18) return false;
  size_t start = text[0] == '-' ? 1 : 0;
  if (start == text.size()) return false;
  for (size_t i = start; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  value = std::strtoll(text.c_str(), nullptr, 10);
  return true;
}

bool parseFiniteNumber(const std::string& text, double& value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

}  // namespace tarnwick::host
