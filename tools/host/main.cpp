// tarnwick-host: runs a VST 2.4 plug-in without a user interface.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/host/CommandLine.h"
#include "tools/host/Commands.h"
#include "tools/host/Help.h"

using namespace tarnwick::host;

int main(int argc, char** argv) {
  if (argc < 2) {
    printGeneralHelp(stderr);
    return kExitBadArguments;
  }
  const std::string command = argv[1];
  if (command == "info") return runInfo(argc - 2, argv + 2);
  if (command == "render") return runRender(argc - 2, argv + 2);
  if (command == "screenshot") return runScreenshot(argc - 2, argv + 2);
  if (command == "--version") {
    std::printf("tarnwick-host %s\n", hostVersion());
    return kExitDone;
  }
  if (command == "help" || command == "--help" || command == "-h") {
    if (argc < 3) {
      printGeneralHelp(stdout);
      return kExitDone;
    }
    if (printCommandHelp(argv[2], stdout)) return kExitDone;
    std::fprintf(stderr, "tarnwick-host: no command '%s'; see 'tarnwick-host help'\n", argv[2]);
    return kExitBadArguments;
  }
  const std::string near = closestName(command, {"info", "render", "screenshot", "help"});
  std::fprintf(stderr, "tarnwick-host: unknown command '%s'%s; see 'tarnwick-host help'\n", command.c_str(),
               near.empty() ? "" : (" (did you mean '" + near + "'?)").c_str());
  return kExitBadArguments;
}
