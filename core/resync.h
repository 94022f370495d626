// The re-synchronisation search.
//
// After a pair of lines disagrees, the search looks ahead for the next pair
// that agrees, in the order of pairs of block positions shell by shell in
// growing depth, so the first agreement found is one whose larger position
// is as small as possible. Only the compared windows of the lines read are
// kept, to the search's depth limit; the block itself is read again from
// the files when it is listed.
#ifndef VELLUM_CORE_RESYNC_H_
#define VELLUM_CORE_RESYNC_H_

#include <cstdint>

#include "core/state.h"
#include "io/termination.h"

namespace vellum::core {

// Runs the search from the disagreeing pair (1, 1) of a pass. Returns with
// MATCH 1 when an agreement was found and its block listed, with MATCH 0
// when the cycle limit ran out (the block passed over is then listed
// unsynchronised); when a file ends, the rest of both files is listed and
// the run ends. The search's statements are the main program's, kept in
// `main`. A search routine set in the state runs instead, for tests.
void Resynchronise(State& s, io::RoutineFrame& main);

}  // namespace vellum::core

#endif  // VELLUM_CORE_RESYNC_H_
