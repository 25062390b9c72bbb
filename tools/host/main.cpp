// tarnwick-host: runs a VST 2.4 plug-in without a user interface.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/host/CommandLine.h"
#include "tools/host/Commands.h"
#include "tools/host/Help.h"

#if defined(_WIN32)
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>
#endif

using namespace tarnwick::host;

namespace {

int run(int argc, char** argv) {
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
  const std::string closest = closestName(command, {"info", "render", "screenshot", "help"});
  std::fprintf(stderr, "tarnwick-host: unknown command '%s'%s; see 'tarnwick-host help'\n", command.c_str(),
               closest.empty() ? "" : (" (did you mean '" + closest + "'?)").c_str());
  return kExitBadArguments;
}

}  // namespace

#if defined(_WIN32)
// Windows hands a program its arguments in the ANSI code page; the tool takes them in UTF-8, as the
// plug-in stores paths, so any file name reaches the files.
int main() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return kExitBadArguments;
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(bytes > 0 ? static_cast<size_t>(bytes) : 1, '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), bytes, nullptr, nullptr);
    text.resize(std::strlen(text.c_str()));
    arguments.push_back(std::move(text));
  }
  LocalFree(wide);
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  return run(count, argv.data());
}
#else
int main(int argc, char** argv) { return run(argc, argv); }
#endif
