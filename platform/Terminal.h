// Terminal queries for the command-line tools.
#pragma once

namespace tarnwick::platform {

// True when standard error is an interactive terminal (progress bars are drawn only then).
bool stderrIsTerminal();

}  // namespace tarnwick::platform
