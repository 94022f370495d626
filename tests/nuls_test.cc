// NUL characters: reported and blanked where the comparison reads them,
// listed raw in a block, and summarised in a framed report per file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

TEST(Comparison, NulsAreBlankedInTheMainLoopAndListedRawInABlock) {
  const std::string nul(1, '\0');
  // "a<NUL>b" is reported, blanked and then agrees with "a b".
  const std::vector<std::string> box1 = NulBox('1');
  const std::vector<std::string> box2 = NulBox('2');
  ExpectListing({"blanked NUL agrees", "a" + nul + "b\n", "a b\n",
                 Concat({Listing({"|a" + nul + "b|"}), box1})});
  // Two NULs give two bar lines; the second shows the first already blanked.
  ExpectListing({"one bar line per NUL", " y\n", nul + "y" + nul + "\n",
                 Concat({Listing({"|" + nul + "y" + nul + "|", "| y" + nul + "|"}), box2})});
  // The block is read again from the file, so its line keeps the NUL.
  ExpectListing(
      {"NUL listed raw in a block", Lines({"ant", "x" + nul + "y", "elk"}),
       Lines({"ant", "zz", "elk"}),
       Concat({Listing({"|x" + nul + "y|", "x" + nul + "y", kSeparator, "zz", kRule}), box1})});
  // A line of NULs and blanks only becomes blank and is skipped.
  ExpectListing({"NULs only", nul + nul + "\nq\n", "q\n",
                 Concat({Listing({"|" + nul + nul + "|", "| " + nul + "|"}), box1})});
  ExpectListing({"both files", "a" + nul + "z\n", "a" + nul + "z\n",
                 Concat({Listing({"|a" + nul + "z|", "|a" + nul + "z|"}), box1, box2})});
}

TEST(Comparison, NoBoxWhenTheRunEndsDuringASearch) {
  const std::string nul(1, '\0');
  ExpectListing(
      {"end during a search", Lines({"a" + nul, "x", "y"}), Lines({"a", "y"}),
       Concat({Listing({"|a" + nul + "|"}), kEofNotice, {"x", "y", kSeparator, "y", kRule}})});
}

}  // namespace
}  // namespace vellum::testing
