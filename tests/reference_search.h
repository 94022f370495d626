// The plain re-synchronisation search, for differential tests.
#ifndef VELLUM_TESTS_REFERENCE_SEARCH_H_
#define VELLUM_TESTS_REFERENCE_SEARCH_H_

#include "core/state.h"
#include "io/termination.h"

namespace vellum::testing {

// Tries the pairs of block positions one by one in their order, moving one
// file a line at a time; at the cycle limit it lists the block unsynchronised.
void PlainSearch(core::State& s, io::RoutineFrame& main);

}  // namespace vellum::testing

#endif  // VELLUM_TESTS_REFERENCE_SEARCH_H_
