// What every sub-command of tarnwick-host shares: the exit codes, the option parser (--opt value,
// --opt=value, -- ends the options), name suggestions, and the one-line error report.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::host {

// The exit codes the commands return; the help text lists them.
enum ExitCode : int {
  kExitDone = 0,
  kExitBadArguments = 2,
  kExitBadInput = 3,  // an input file cannot be read, is not what it should be, or is too long
  kExitPluginFailed = 4,
  kExitOutputFailed = 5,
};

struct OptionRule {
  const char* name;  // with the dashes: "--midi"
  bool takesValue;
};

struct CommandLine {
  std::vector<std::pair<std::string, std::string>> options;  // in order; flags have an empty value
  std::vector<std::string> positional;
  bool help = false;  // -h or --help anywhere before "--"
};

// False with a one-line reason for an unknown option (with a suggestion), a missing value, or a value
// given to a flag.
bool parseCommandLine(const std::vector<std::string>& args, std::span<const OptionRule> rules, CommandLine& out,
                      std::string* error);

// The name nearest to given among names, ignoring case, when it is near enough to be a likely typo;
// empty otherwise.
std::string closestName(const std::string& given, const std::vector<std::string>& names);

bool equalsIgnoringCase(const std::string& a, const std::string& b);

// Prints "tarnwick-host COMMAND: MESSAGE; see 'tarnwick-host help COMMAND'" and returns kExitBadArguments.
int usageError(const char* command, const std::string& message);

// Prints "tarnwick-host COMMAND: MESSAGE" and returns code.
int commandError(const char* command, int code, const std::string& message);

// Stores text in *error (when a place is given) and returns false: the parsers' way to fail.
bool fail(std::string* error, const std::string& text);

// Whole numbers and finite floats, strictly: the whole text must be the number.
bool parseWholeNumber(const std::string& text, int64_t& value);
bool parseFiniteNumber(const std::string& text, double& value);

}  // namespace tarnwick::host
