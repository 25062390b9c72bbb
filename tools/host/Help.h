// The texts of `tarnwick-host help` and `tarnwick-host help COMMAND`.
#pragma once

#include <cstdio>

namespace tarnwick::host {

void printGeneralHelp(std::FILE* stream);
// The usage of one command; false for a command that does not exist.
bool printCommandHelp(const char* command, std::FILE* stream);
const char* hostVersion();

}  // namespace tarnwick::host
