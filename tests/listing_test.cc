// The difference listing: what a block lists, and LASTCOL.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/listing.h"
#include "tests/whole_runs.h"

namespace vellum::testing {
namespace {

TEST(Comparison, BlockListingLeavesOutIgnorableLinesAndTrailingBlanks) {
  ExpectListing({"worked example of a block", Lines({"alpha", "beta  ", "", "gamma"}),
                 Lines({"alpha", "BETA", "gamma"}), Listing({"beta", kSeparator, "BETA", kRule})});
  // The blank and C lines count in file2's block position (agreement at
  // (2, 4)) but are not listed.
  ExpectListing({"ignorable lines inside a block", Lines({"a", "x", "b", "z"}),
                 Lines({"a", "y", "", "C", "b", "z"}), Listing({"x", kSeparator, "y", kRule})});
  const std::string full(300, 'f');
  ExpectListing({"300 columns listed whole, more cut", Lines({"a", full + "tail", "z"}),
                 Lines({"a", "short", "z"}), Listing({full, kSeparator, "short", kRule})});
}

TEST(Lastcol, GivesTheLastNonBlankColumn) {
  core::Line line = core::BlankLine();
  EXPECT_EQ(core::LASTCOL(line, line.size()), 0);
  line[0] = 'x';
  EXPECT_EQ(core::LASTCOL(line, line.size()), 1);
  line[299] = '\t';
  EXPECT_EQ(core::LASTCOL(line, line.size()), 300);
  line[299] = '\0';
  EXPECT_EQ(core::LASTCOL(line, line.size()), 300);
}

}  // namespace
}  // namespace vellum::testing
