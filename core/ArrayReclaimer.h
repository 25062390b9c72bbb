// Recording arrays the user-interface side replaced, kept until the audio side can no longer read them.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/AudioPresence.h"
#include "engine/AudioBuffer.h"

namespace tarnwick {

class ArrayReclaimer {
 public:
  // [ui-thread] arrays left the state with the given shipment; mark was taken right after shipping it.
  void add(std::vector<ChannelPair>&& arrays, uint32_t shipment, uint64_t mark) {
    for (ChannelPair& a : arrays) entries_.push_back({std::move(a), shipment, mark});
  }
  // [ui-thread] Frees what no audio-side call can hold any more: the audio side has applied the
  // shipment that dropped the arrays, or every call that might have begun before it has left.
  void reclaim(uint32_t acknowledged, const AudioPresence& presence) {
    std::erase_if(entries_, [&](const Entry& e) {
      return static_cast<int32_t>(acknowledged - e.shipment) >= 0 || presence.passed(e.mark);
    });
  }
  bool empty() const { return entries_.empty(); }

 private:
  struct Entry {
    ChannelPair arrays;
    uint32_t shipment;
    uint64_t mark;
  };
  std::vector<Entry> entries_;
};

}  // namespace tarnwick
