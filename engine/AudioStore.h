// The arrays behind an engine's BufferView: the stored recording, the flooded copy while flood is on,
// and the arrays both have replaced, which stay alive until their owner knows no reader is left.
#pragma once

#include <utility>
#include <vector>

#include "engine/AudioBuffer.h"

namespace tarnwick {

class AudioStore {
 public:
  ChannelPair& stored() { return stored_; }
  ChannelPair& flooded() { return flooded_; }

  // Keeps arrays that are no longer part of the state; nothing is freed here, so that a reader on
  // another thread may still finish with them.
  void retire(ChannelPair&& arrays) {
    if (!arrays.left && !arrays.right) return;
    retired_.push_back(std::move(arrays));
  }
  // Hands the retired arrays to the caller, who frees them once no reader is left.
  std::vector<ChannelPair> takeRetired() { return std::exchange(retired_, {}); }
  bool hasRetired() const { return !retired_.empty(); }

 private:
  ChannelPair stored_;
  ChannelPair flooded_;
  std::vector<ChannelPair> retired_;
};

}  // namespace tarnwick
