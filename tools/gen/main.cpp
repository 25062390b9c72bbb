// tarnwick-gen: writes the project's own default recording and demo MIDI phrase.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/gen/DemoMidi.h"
#include "tools/gen/Recording.h"
#include "tools/gen/WavWriter.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: tarnwick-gen recording OUT.wav   (44.1 kHz 16-bit stereo, about 7 s)\n"
               "       tarnwick-gen demo-midi OUT.mid   (format 1 demo phrase, about 17 s)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return usage();
  const std::string what = argv[1], path = argv[2];
  std::vector<uint8_t> bytes;
  if (what == "recording")
    bytes = tarnwick::gen::recordingWav();
  else if (what == "demo-midi")
    bytes = tarnwick::gen::demoMidiFile();
  else
    return usage();
  if (!tarnwick::gen::writeFileBytes(path, bytes)) {
    std::fprintf(stderr, "tarnwick-gen: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
