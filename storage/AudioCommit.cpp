// The load commit: only complete, converted arrays ever reach the engine.
#include "storage/AudioCommit.h"

#include "engine/Engine.h"
#include "engine/ParameterText.h"

namespace tarnwick {

void commitAudio(Engine& engine, DecodedAudio&& audio, const char* path) {
  EngineState& s = engine.state();
  engine.silenceAll();
  if (s.buffer.floodOn()) engine.setParameter(kFlood, 0.0f);
  ChannelPair fresh;
  fresh.frameCount = audio.frameCount;
  fresh.left = std::move(audio.left);
  fresh.right = std::move(audio.right);
  audio.frameCount = 0;
  engine.replaceBuffer(std::move(fresh));
  s.buffer.saved = true;
  copyText(s.program.audioFileName, path ? path : "", kPathCapacity);
  engine.reapplyRows();
  engine.setParameter(kEditorRefresh, 1.0f);
}

}  // namespace tarnwick
