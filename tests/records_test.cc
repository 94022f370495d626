// Record input and moving back, on files held in memory.
#include "io/records.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "io/open.h"
#include "io/read_again.h"
#include "io/termination.h"
#include "tests/memory_platform.h"
#include "tests/record_model.h"
#include "tests/whole_runs.h"

namespace vellum::io {
namespace {

using testing::MemoryFileSetup;
using testing::MemoryPlatform;

constexpr std::size_t kWidth = 300;
// The block size the cases below are written for; the randomised test also
// runs with tiny and large blocks.
constexpr std::int32_t kBlock = 1024;
using Line = std::array<char, kWidth>;

std::string Padded(const std::string& data) {
  std::string line = data.substr(0, kWidth);
  line.resize(kWidth, ' ');
  return line;
}

// One unit open on `bytes`, read through the real record layer.
class RecordReader {
 public:
  explicit RecordReader(const std::string& bytes, std::int32_t block = kBlock)
      : RecordReader(testing::FileBytes(bytes), block) {}
  explicit RecordReader(MemoryFileSetup setup, std::int32_t block = kBlock)
      : io_(platform_, {"vellum", "f"}, block), block_(block) {
    platform_.AddFile("f", std::move(setup));
    OPEN_INPUT(io_, 1);
    line_.fill('#');
  }

  // The record read, or "EOF"; the line buffer is kept between calls.
  std::string Read() {
    if (!READ_RECORD(io_, 1, line_)) {
      return "EOF";
    }
    return {line_.data(), line_.size()};
  }
  // The data of the whole records in [offset, offset + size), read again.
  // The scratch reads a block of the reader's size at a time.
  std::vector<std::string> Again(std::int64_t offset, std::int64_t size) {
    std::vector<std::string> data;
    std::vector<char> scratch(2 * kWidth + static_cast<std::size_t>(block_));
    ReadRecordsAgain(io_, 1, offset, size, kWidth, scratch, [&data](std::string_view record) {
      data.push_back(Padded(std::string(record)));
    });
    return data;
  }
  // Blanks the NULs of the line, as the comparison does; whether any.
  bool BlankNuls() {
    bool any = false;
    for (char& c : line_) {
      if (c == '\0') {
        c = ' ';
        any = true;
      }
    }
    return any;
  }
  bool HoldsLast() { return RereadChangesNothing(io_, 1, line_); }
  // The same asked of a line holding the same bytes that was not read into.
  bool HoldsLastInACopy() {
    const Line copy = line_;
    return RereadChangesNothing(io_, 1, copy);
  }
  void Back() { BACKSPACE_INPUT(io_, 1); }
  void Back(std::int64_t count) { BackspaceRecords(io_, 1, count); }
  std::string Buffer() const { return {line_.data(), line_.size()}; }
  std::int64_t Reads() const { return platform_.reads; }
  // The report of the failure that ended the run.
  std::string Report() const { return testing::ReportOf(io_); }

 private:
  MemoryPlatform platform_;
  Io io_;
  std::int32_t block_;
  Line line_{};
};

std::vector<std::string> ReadAll(const std::string& bytes, std::int32_t block) {
  RecordReader reader(bytes, block);
  std::vector<std::string> records;
  for (std::string record = reader.Read(); record != "EOF"; record = reader.Read()) {
    records.push_back(record);
  }
  return records;
}

struct RecordsRow {
  const char* what;
  std::string bytes;
  std::vector<std::string> data;  // expected records, before blank padding
};

TEST(ReadRecord, SplitsFilesIntoBlankPaddedRecords) {
  const std::string x1023(1023, 'x');
  const std::string long_line(400, 'L');
  const std::string full(300, 'F');
  const std::vector<RecordsRow> rows = {
      {"empty file", "", {}},
      {"CR LF", "a\r\n", {"a"}},
      {"lone CR inside a line loses the rest", "a\rb\nc\n", {"a", "c"}},
      {"CR at the very end", "a\r", {"a"}},
      {"last line without line end", "a\nb", {"a", "b"}},
      {"two LFs at the end give a blank record", "a\n\n", {"a", ""}},
      {"blank and empty lines", "   \n\n", {"", ""}},
      {"tab, NUL, Ctrl-Z and high bytes are data",
       std::string("\t\0\x1a\xff|\n\x1a", 7),
       {std::string("\t\0\x1a\xff|", 5), "\x1a"}},
      {"long line keeps 300 bytes", long_line + "\nnext\n", {long_line, "next"}},
      {"300 bytes then CR LF", full + "\r\nnext\r\n", {full, "next"}},
      {"301 bytes keep 300", full + "G\nnext\n", {full, "next"}},
      {"lone CR after an LF in the same read", "x\nab\rcd\ne\n", {"x", "ab", "e"}},
      {"CR LF split across blocks", x1023 + "\r\ny\n", {x1023, "y"}},
      {"length a multiple of the block, no line end",
       x1023 + "\n" + std::string(1024, 'y'),
       {x1023, std::string(1024, 'y')}},
  };
  for (const RecordsRow& row : rows) {
    std::vector<std::string> expected;
    for (const std::string& data : row.data) {
      expected.push_back(Padded(data));
    }
    // Read again, only whole records count.
    std::vector<std::string> whole = expected;
    if (!row.bytes.empty() && row.bytes.back() != '\n') {
      whole.pop_back();
    }
    const auto whole_size = static_cast<std::int64_t>(row.bytes.rfind('\n') + 1);
    for (const std::int32_t block : {kBlock, 1, 5, 64 * 1024}) {
      EXPECT_EQ(ReadAll(row.bytes, block), expected) << row.what << ", block " << block;
      EXPECT_EQ(RecordReader(row.bytes, block).Again(0, whole_size), whole)
          << row.what << ", read again, block " << block;
    }
  }
}

TEST(ReadRecord, EndOfFileLeavesTheLineAndIsReportedAgainWithoutReading) {
  RecordReader reader("only\n");
  EXPECT_EQ(reader.Read(), Padded("only"));
  EXPECT_EQ(reader.Read(), "EOF");
  EXPECT_EQ(reader.Buffer(), Padded("only"));
  const std::int64_t reads = reader.Reads();
  EXPECT_EQ(reader.Read(), "EOF");
  EXPECT_EQ(reader.Read(), "EOF");
  EXPECT_EQ(reader.Reads(), reads);
  EXPECT_EQ(reader.Buffer(), Padded("only"));
}

TEST(ReadRecord, EmptyFileGivesEndOfFileFirstAndKeepsTheBuffer) {
  RecordReader reader("");
  EXPECT_EQ(reader.Read(), "EOF");
  EXPECT_EQ(reader.Buffer(), std::string(kWidth, '#'));
}

TEST(BackspaceInput, ThreeReadsThenTwoMovesBackReturnTheSecondRecord) {
  RecordReader reader("one\ntwo\nthree\nfour\n");
  reader.Read();
  reader.Read();
  reader.Read();
  reader.Back();
  reader.Back();
  EXPECT_EQ(reader.Read(), Padded("two"));
  EXPECT_EQ(reader.Read(), Padded("three"));
}

TEST(BackspaceInput, AfterEndOfFileTheFirstCallOnlyClearsTheFlag) {
  // 5000 bytes: 50 lines of 99 characters and a LF.
  std::string bytes;
  for (int i = 0; i < 50; ++i) {
    std::string line = std::to_string(i);
    line.resize(99, '.');
    bytes += line + "\n";
  }
  ASSERT_EQ(bytes.size(), 5000U);
  RecordReader reader(bytes);
  while (reader.Read() != "EOF") {
  }
  reader.Back();
  EXPECT_EQ(reader.Read(), "EOF") << "one call after the end only clears the flag";
  reader.Back();
  reader.Back();
  EXPECT_EQ(reader.Read(), Padded(bytes.substr(std::size_t{49} * 100, 99)));
  EXPECT_EQ(reader.Read(), "EOF");
  reader.Back();
  reader.Back();
  reader.Back();
  EXPECT_EQ(reader.Read(), Padded(bytes.substr(std::size_t{48} * 100, 99)));
}

TEST(BackspaceInput, DoesNothingAtTheStartOfTheFile) {
  RecordReader fresh("a\nb\n");
  fresh.Back();
  fresh.Back();
  EXPECT_EQ(fresh.Read(), Padded("a"));
  fresh.Back();
  fresh.Back();
  fresh.Back();
  EXPECT_EQ(fresh.Read(), Padded("a"));

  RecordReader empty("");
  EXPECT_EQ(empty.Read(), "EOF");
  empty.Back();
  empty.Back();
  EXPECT_EQ(empty.Read(), "EOF");
}

TEST(BackspaceInput, MovesOverRecordsThatBeganInEarlierBlocks) {
  const std::string head(1000, 'h');
  const std::string huge(3000, 'u');
  RecordReader reader(head + "\n" + huge + "\nlast\n");
  EXPECT_EQ(reader.Read(), Padded(head));
  EXPECT_EQ(reader.Read(), Padded(huge));
  EXPECT_EQ(reader.Read(), Padded("last"));
  reader.Back();
  reader.Back();
  EXPECT_EQ(reader.Read(), Padded(huge)) << "record longer than the read buffer";
  reader.Back();
  reader.Back();
  EXPECT_EQ(reader.Read(), Padded(head)) << "record that began in the first block";
  EXPECT_EQ(reader.Read(), Padded(huge));
}

TEST(BackspaceInput, MovesBackOverALastLineWithoutLineEnd) {
  RecordReader reader("a\nbc");
  reader.Read();
  EXPECT_EQ(reader.Read(), Padded("bc"));
  reader.Back();
  EXPECT_EQ(reader.Read(), Padded("bc"));
  reader.Back();
  reader.Back();
  EXPECT_EQ(reader.Read(), Padded("a"));
}

TEST(ReadRecord, AgreesWithASimpleModelOverRandomReadsMovesBackAndReadsAgain) {
  std::mt19937 random(20261208);
  const std::string alphabet = std::string("ab \r\n\n\0", 7);
  const std::vector<std::int32_t> blocks = {1, 3, 17, 1024, 64 * 1024};
  int held_as_read = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const std::int32_t block = blocks[static_cast<std::size_t>(trial) % blocks.size()];
    std::string bytes;
    const std::size_t size = random() % 4000;
    const bool long_lines = trial % 3 == 0;
    for (std::size_t i = 0; i < size; ++i) {
      const char c = alphabet[random() % alphabet.size()];
      bytes += (long_lines && c == '\n' && random() % 8 != 0) ? 'z' : c;
    }
    RecordReader reader(bytes, block);
    testing::RecordModel model(bytes, kWidth);
    bool blanked = false;  // NULs of the last record read were blanked
    for (int step = 0; step < 400; ++step) {
      if (const auto roll = random() % 6; roll == 0) {
        blanked = reader.BlankNuls() || blanked;
      } else if (roll == 1) {
        // Where the layer says moving back and reading again would leave
        // all as it is, they do, and read nothing from the file.
        ASSERT_FALSE(reader.HoldsLastInACopy());
        if (!reader.HoldsLast()) {
          continue;
        }
        ++held_as_read;
        ASSERT_FALSE(blanked) << "trial " << trial << " step " << step;
        const std::string line = reader.Buffer();
        const std::int64_t reads = reader.Reads();
        reader.Back();
        model.Back();
        ASSERT_EQ(reader.Read(), line) << "trial " << trial << " step " << step;
        ASSERT_EQ(model.Read(), line);
        ASSERT_EQ(reader.Reads(), reads) << "trial " << trial << " step " << step;
      } else if (roll == 2) {
        // Mostly one record back, else many at once.
        const auto count = static_cast<std::int64_t>(random() % 4 == 0 ? random() % 200 : 1);
        reader.Back(count);
        for (std::int64_t n = 0; n < count; ++n) {
          model.Back();
        }
        blanked = false;
      } else {
        ASSERT_EQ(reader.Read(), model.Read()) << "trial " << trial << " step " << step;
        blanked = false;
      }
    }
  }
  EXPECT_GT(held_as_read, 1000);
}

TEST(ReadRecord, ReadErrorEndsTheRunWithAReadFailure) {
  const MemoryFileSetup failing =
      testing::FileBytes("first\n" + std::string(2000, 's') + "\n", 1024);
  // Read again in small blocks, the records stop where the reads fail.
  EXPECT_EQ(RecordReader(failing, 1).Again(0, 2007), std::vector<std::string>{Padded("first")});
  RecordReader reader(failing);
  EXPECT_EQ(reader.Read(), Padded("first"));
  EXPECT_THROW(reader.Read(), RunEnd);
  EXPECT_EQ(reader.Report(),
            "\r\nrun-time error F6500: READ(f)\r\n"
            "- the file could not be read (a device or file system error)\r\n");
}

TEST(BackspaceInput, ReadErrorEndsTheRunWithABackspaceFailure) {
  // Three reads succeed: two blocks and the read that finds the end. Moving
  // back then has to read the last block again, and that read fails.
  MemoryFileSetup setup = testing::FileBytes(std::string(1200, 'a') + "\nb\n");
  setup.fail_after_reads = 3;
  RecordReader reader(setup);
  EXPECT_EQ(reader.Read(), Padded(std::string(1200, 'a')));
  EXPECT_EQ(reader.Read(), Padded("b"));
  EXPECT_EQ(reader.Read(), "EOF");
  reader.Back();  // only clears the flag
  EXPECT_THROW(reader.Back(), RunEnd);
  EXPECT_EQ(reader.Report(),
            "\r\nrun-time error F6500: BACKSPACE(f)\r\n"
            "- the file could not be read (a device or file system error)\r\n");
}

}  // namespace
}  // namespace vellum::io
