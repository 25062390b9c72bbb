// A long piece of work on a recording (reading a file, converting its rate) tells how far it has come
// between its chunks and stops early when the answer says so.
#pragma once

#include <cstdint>

namespace tarnwick {

class WorkProgress {
 public:
  // [the working thread] done of total units so far (done < total between chunks); false stops the
  // work, which then fails and leaves its output as it was.
  virtual bool advance(uint64_t done, uint64_t total) = 0;

 protected:
  ~WorkProgress() = default;
};

}  // namespace tarnwick
