// The name prompt: asks on standard output for the name of a unit's file
// and reads the answer from standard input, a line typed at a terminal or a
// line of a file or pipe, until the answer is not blank.
#ifndef VELLUM_IO_NAME_PROMPT_H_
#define VELLUM_IO_NAME_PROMPT_H_

#include <cstdint>
#include <string>

#include "io/io.h"

namespace vellum::io {

// Prompts for the name of unit `unit`'s file until a non-blank answer
// comes, and returns it without its surrounding blanks. Standard input
// running out ends the run (OPEN, 6501); so does an answer longer than the
// platform takes (OPEN, 6416).
std::string PromptForName(Io& io, std::int32_t unit);

// `name` without its leading and trailing blanks; only 0x20 counts as blank.
std::string TrimBlanks(std::string_view name);

}  // namespace vellum::io

#endif  // VELLUM_IO_NAME_PROMPT_H_
