// READ: reading the next line of one file and testing the pair, and the
// pieces of it the search takes on their own.
#ifndef VELLUM_CORE_READ_H_
#define VELLUM_CORE_READ_H_

#include <cstdint>

#include "core/state.h"
#include "io/termination.h"

namespace vellum::core {

// Reads the next line of file2 (unit 2) or file1 (any other unit). At the end
// of the file it sets the file's flag and returns; otherwise it tests the
// pair and, when it agrees, lists the block.
void READ(State& s, std::int32_t unit);

// Reads the next record of `unit` into its line as READ's first statements
// would, within READ's frame; false at the end of the file, whose flag it
// leaves to the caller.
bool ReadNextLine(State& s, std::int32_t unit);

// READ's last statements, `frame` being READ's: tests the pair read and
// has the block listed when the lines agree.
void TestPair(State& s, io::RoutineFrame& frame);

}  // namespace vellum::core

#endif  // VELLUM_CORE_READ_H_
