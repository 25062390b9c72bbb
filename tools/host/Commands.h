// The sub-commands of tarnwick-host; main() picks one by its first argument.
#pragma once

namespace tarnwick::host {

// Each takes the arguments after the sub-command name and returns the process exit code.
int runInfo(int argc, char** argv);
int runRender(int argc, char** argv);
int runScreenshot(int argc, char** argv);

}  // namespace tarnwick::host
