// Every help text of tarnwick-host in one place, so the commands and the general help agree.
#include "tools/host/Help.h"

#include <cstring>

#ifndef TARNWICK_VERSION
#define TARNWICK_VERSION "unknown"
#endif

namespace tarnwick::host {
namespace {

constexpr const char* kExitCodes =
    "Exit codes: 0 done, 2 bad arguments, 3 an input file cannot be used (missing, not a regular file,\n"
    "not what it should be, a recording the plug-in cannot load, a song longer than an hour),\n"
    "4 the plug-in cannot be loaded or fails, 5 the output cannot be written.\n";

constexpr const char* kInfoHelp =
    "Usage: tarnwick-host info PLUGIN.so\n"
    "Loads the plug-in and prints what a host can ask it without playing: identity, the effect record,\n"
    "pins, capability answers, every host parameter with its value and texts, and (for Tarnwick) the\n"
    "options of its window with their entries and values.\n";

constexpr const char* kRenderHelp =
    "Usage: tarnwick-host render PLUGIN.so --midi FILE.mid --out OUT.wav [options]\n"
    "Plays a standard MIDI file through the plug-in and writes a stereo WAV at 44100 Hz.\n"
    "  --sample FILE       the recording, restored through the plug-in's state as a host restores a\n"
    "                      session (default: the project's generated recording); WAV or AIFF\n"
    "  --chunk FILE        start from this saved state instead of the plug-in's own; without --sample\n"
    "                      the state's own recording is loaded\n"
    "  --tempo BPM         host tempo for the whole render (default: the file's tempo map, else 120)\n"
    "  --block N           frames per process call, 1..65536 (default 512)\n"
    "  --param NAME=VALUE  set a parameter after the restore, in order, repeatable. NAME: a host\n"
    "                      parameter (mainLevl, unitDura, delay01 ...; VALUE 0..1), an option of\n"
    "                      Tarnwick's window (delayRange, keyMapping, morphAlgorithm, flood, reset;\n"
    "                      VALUE an entry number, see 'tarnwick-host info'), or an index of either.\n"
    "                      Names match in any case.\n"
    "  --format F          float (default; 32-bit float WAV), pcm24 or pcm16 (samples beyond full scale\n"
    "                      clip, with a warning)\n"
    "  --chunk-out FILE    write the plug-in's state after the render (loadable with --chunk)\n"
    "Options take their value as --opt VALUE or --opt=VALUE.\n";

constexpr const char* kScreenshotHelp =
    "Usage: tarnwick-host screenshot PLUGIN.so OUT.png [options]\n"
    "Opens the plug-in's editor without a display and writes the window as a PNG.\n"
    "  --chunk FILE        restore this saved state first (and so load its recording)\n"
    "  --sample FILE       restore a session whose recording is FILE\n"
    "  --click X,Y         left click at window pixel X,Y (repeatable, in order; a click that opens a\n"
    "                      menu leaves it open for the next click to pick an entry)\n"
    "  --select-file PATH  offer the host's file selector and answer its next request with PATH\n"
    "                      (repeatable, in order; a request with no answer left is cancelled); without\n"
    "                      it the editor's own file browser opens\n"
    "  --drop FILE@X,Y     drop FILE on window pixel X,Y as a file manager would (repeatable, in order\n"
    "                      with the clicks) and print the status line it leaves\n"
    "  --note KEY          play MIDI key KEY (0..127) for half a second before the picture\n"
    "  --chunk-out FILE    write the plug-in's state after the clicks\n"
    "  --scale S           give the editor the host's content scale S (1, 1.5 or 2; the nearest is\n"
    "                      used) before it opens: the picture has that many pixels per window pixel,\n"
    "                      drawn at that resolution, and --click takes the picture's pixels\n"
    "Options take their value as --opt VALUE or --opt=VALUE.\n";

}  // namespace

const char* hostVersion() { return TARNWICK_VERSION; }

void printGeneralHelp(std::FILE* stream) {
  std::fprintf(stream,
               "Usage: tarnwick-host COMMAND ARGUMENTS...\n"
               "Runs a VST 2.4 plug-in (PLUGIN.so) or the instrument's LV2 bundle (a folder such as\n"
               "build/Tarnwick.lv2, in place of PLUGIN.so) without a user interface.\n"
               "Commands:\n"
               "  info PLUGIN.so           describe the plug-in: identity, record, pins, capabilities, parameters\n"
               "  render PLUGIN.so ...     render a MIDI file through the plug-in to a WAV file\n"
               "  screenshot PLUGIN.so ... write the plug-in's editor window as a PNG (no display needed)\n"
               "  help [COMMAND]           show this text, or a command's own\n"
               "  --version                show the version\n"
               "%s",
               kExitCodes);
}

bool printCommandHelp(const char* command, std::FILE* stream) {
  const char* text = std::strcmp(command, "info") == 0         ? kInfoHelp
                     : std::strcmp(command, "render") == 0     ? kRenderHelp
                     : std::strcmp(command, "screenshot") == 0 ? kScreenshotHelp
                                                               : nullptr;
  if (text == nullptr) return false;
  std::fprintf(stream, "%s%s", text, kExitCodes);
  return true;
}

}  // namespace tarnwick::host
