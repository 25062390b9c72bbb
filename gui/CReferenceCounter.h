// Shared ownership for bitmaps and views: created with one reference, deleted when the last is forgotten.
#pragma once

#include <cstdint>

namespace tarnwick::gui {

// [ui-thread] Counts are plain integers; every owner lives on the user-interface thread.
class CReferenceCounter {
 public:
  CReferenceCounter() = default;
  CReferenceCounter(const CReferenceCounter&) = delete;
  CReferenceCounter& operator=(const CReferenceCounter&) = delete;
  virtual ~CReferenceCounter() = default;

  void remember() { ++references_; }
  // Drops one reference; the object deletes itself when none is left.
  void forget() {
    if (--references_ <= 0) delete this;
  }
  int32_t getNbReference() const { return references_; }

 private:
  int32_t references_ = 1;
};

}  // namespace tarnwick::gui
