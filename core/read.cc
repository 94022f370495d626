// READ.
#include "core/read.h"

#include "core/classify.h"
#include "core/listing.h"
#include "io/records.h"

namespace vellum::core {

void READ(State& s, std::int32_t unit) {
  io::RoutineFrame frame(s.io, "READ", 401);
  frame.At(411);
  if (unit == kUnit2) {
    frame.At(424);
    if (!io::READ_RECORD(s.io, kUnit2, s.LINE2)) {
      frame.At(426);
      s.EOF2 = 1;
    }
    frame.At(427);
    if (s.EOF2 == 1) {
      frame.At(432);
      return;
    }
  } else {
    frame.At(416);
    if (!io::READ_RECORD(s.io, kUnit1, s.LINE1)) {
      frame.At(418);
      s.EOF1 = 1;
      frame.At(419);
      return;
    }
  }
  TestPair(s, frame);
}

bool ReadNextLine(State& s, std::int32_t unit) {
  io::RoutineFrame frame(s.io, "READ", 401);
  frame.At(411);
  frame.At(ForUnit(unit, 416, 424));
  return io::READ_RECORD(s.io, unit, LineOf(s, unit));
}

void TestPair(State& s, io::RoutineFrame& frame) {
  frame.At(429);
  COMPAR(s);
  frame.At(430);
  if (s.MATCH == 1) {
    PRINT(s);
  }
  frame.At(431);
}

}  // namespace vellum::core
