// Puts freshly decoded audio into the engine: the commit of a successful file load.
#pragma once

#include "storage/AudioFileReader.h"

namespace tarnwick {

class Engine;

// [engine lock held] Silences every key, switches flood off, swaps the new arrays in (the old ones
// go to the engine's discard pile), marks the buffer saved, stores the path and re-derives every row.
void commitAudio(Engine& engine, DecodedAudio&& audio, const char* path);

}  // namespace tarnwick
