// tarnwick-host: runs a VST 2.4 plug-in without a user interface.
#include <cstdio>
#include <cstring>

#include "tools/host/Commands.h"

namespace {

void printUsage(std::FILE* stream) {
  std::fprintf(stream,
               "Usage: tarnwick-host COMMAND ARGUMENTS...\n"
               "Commands:\n"
               "  info PLUGIN.so          describe the plug-in: identity, record, pins, capabilities, parameters\n"
               "  render ARGUMENTS...     render audio through the plug-in\n"
               "  screenshot ARGUMENTS... write the plug-in's editor window as a PNG (no display needed)\n"
               "  help                    show this text\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage(stderr);
    return 2;
  }
  const char* command = argv[1];
  if (std::strcmp(command, "info") == 0) return tarnwick::host::runInfo(argc - 2, argv + 2);
  if (std::strcmp(command, "render") == 0) return tarnwick::host::runRender(argc - 2, argv + 2);
  if (std::strcmp(command, "screenshot") == 0) return tarnwick::host::runScreenshot(argc - 2, argv + 2);
  if (std::strcmp(command, "help") == 0 || std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
    printUsage(stdout);
    return 0;
  }
  std::fprintf(stderr, "tarnwick-host: unknown command '%s'\n", command);
  printUsage(stderr);
  return 2;
}
