// The one program ("Init") with its options block; the source of loading, Reset and options.
#pragma once

#include <cstdint>

#include "engine/Constants.h"

namespace tarnwick {

struct ProgramRecord {
  char audioFileName[kPathCapacity];
  float options[kOptionCount];
  float reserved1[20];
  float mainLevl;
  float unitDura;
  float envelope;
  float release;
  float move;
  float morph;
  float trigmode;
  float flood;
  float delays[kGrainCount];
  float bufstart;
  float spare;
  float spare2;
  float reserved2[100];
  char name[24];
};
static_assert(sizeof(ProgramRecord) == 1740, "program record layout");

// The factory program every construction, Reset and options reload starts from.
ProgramRecord factoryProgram();

extern const float kFactoryDelayShape[kGrainCount];
extern const float kFactoryCopyShapes[kCopySlots][kGrainCount];

}  // namespace tarnwick
