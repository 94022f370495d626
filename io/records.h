// Line input records. A record is the bytes of a file up to and including
// the next LF, or up to the end of the file when no LF follows; its data are
// its bytes before the first CR or LF. Each unit holds its file's bytes in
// one fixed read buffer (io/read_block): no memory is taken per record, and moving back holds
// earlier bytes of the file again instead of remembering lines. Over its last few records read,
// still held, a unit moves back straight to where they begin.
#ifndef VELLUM_IO_RECORDS_H_
#define VELLUM_IO_RECORDS_H_

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <string_view>

#include "io/io.h"
#include "io/read_block.h"
#include "io/scan.h"

namespace vellum::io {

// The record rule, stated once. A record is the bytes up to and including
// the next LF, or up to the end of the file; its data are its bytes before
// its first CR or LF, of which a line of `width` bytes keeps the first
// `width`. `record` holds a record's first bytes and `stop` is the place of
// its first CR or LF (npos, or past the bytes, when they hold none). Every
// reader splits records here.
struct RecordParts {
  std::string_view data;  // what a line keeps of the data
  std::size_t end = 0;    // past its ending, LF or CR LF at `stop`; 0 when not held so
};
inline RecordParts SplitRecord(std::string_view record, std::size_t stop, std::size_t width) {
  RecordParts parts{record.substr(0, std::min(stop, width)), 0};
  if (stop < record.size() && record[stop] == '\n') {
    parts.end = stop + 1;
  } else if (stop + 1 < record.size() && record[stop + 1] == '\n') {
    parts.end = stop + 2;
  }
  return parts;
}

// Reads the next record of unit `unit` into `line`: at most line.size() data
// bytes, unchanged, then blanks to the end of `line`; the rest of a longer
// line is skipped. Between two reads into the same line the caller may blank
// bytes of it but must not write other bytes there: the layer only blanks
// again what its previous record filled. Returns false at the end of the file, leaving `line`
// exactly as it was and setting the unit's end-of-file flag; while the flag
// is set, no read is made. A read error ends the run (READ, 6500).
bool READ_RECORD(Io& io, std::int32_t unit, std::span<char> line);

// Whether moving unit `unit` back over the record it read last and reading
// it again into `line` would leave everything as it is now, touching no
// file: the unit stands just past that record, recalls where it begins and
// holds it whole, and `line`, the line it was read into, holds its data
// unchanged. A caller may then skip the two.
bool RereadChangesNothing(Io& io, std::int32_t unit, std::span<const char> line);

// How much of `line` may hold other bytes than blanks: the data length of
// the last record unit `unit` read into it, or all of it when the unit did
// not read into that line.
inline std::size_t FilledLength(Io& io, std::int32_t unit, std::span<const char> line) {
  const InputUnit& input = UnitOf(io, unit);
  return input.last_line == line.data() ? std::min(input.last_length, line.size()) : line.size();
}

// The offset in its file of the next byte unit `unit` takes.
inline std::int64_t Position(Io& io, std::int32_t unit) {
  const InputUnit& input = UnitOf(io, unit);
  return BlockStart(input) + input.pos;
}

// How many bytes of its file unit `unit` has not yet passed, as far as the
// file's size when rewound tells; -1 when the size is not known.
inline std::int64_t BytesLeft(Io& io, std::int32_t unit) {
  const InputUnit& input = UnitOf(io, unit);
  if (input.size < 0) {
    return -1;
  }
  return std::max<std::int64_t>(0, input.size - Position(io, unit));
}

// How many records `whole_records`, a run of whole records, holds.
inline std::int64_t CountRecords(std::string_view whole_records) {
  return scan::CountLf(whole_records.data(), whole_records.size());
}

// The bytes a unit holds beyond its position: its next records, as far as
// they are held. Valid until the unit is read or moved.
inline std::string_view BlockAhead(const InputUnit& input) {
  return {input.buffer.Data() + input.pos, static_cast<std::size_t>(input.fill - input.pos)};
}

// Calls `look(ahead)` with the bytes unit `unit` holds ahead, to prepare
// for reading them; `look` must not keep them.
template <typename Look>
void LookAhead(Io& io, std::int32_t unit, Look&& look) {
  look(BlockAhead(UnitOf(io, unit)));
}

// The whole records at the start of `bytes`, each ended by its LF, taken
// one by one while `take(data)` returns true: `data` is what READ_RECORD
// puts in a line of `width` bytes, the record's bytes before its first CR
// or LF, at most `width` of them. Returns how many bytes the records taken
// fill and the last one's data (a view into `bytes`).
struct WholeRecords {
  std::size_t size = 0;
  std::string_view last;
};
template <typename Take>
WholeRecords ScanWholeRecords(std::string_view bytes, std::size_t width, Take&& take) {
  WholeRecords taken;
  const char* base = bytes.data();
  std::size_t start = 0;                          // of the next record
  std::size_t data_end = std::string_view::npos;  // its first CR or LF, once met
  // At each CR or LF in turn; false once `take` has refused a record.
  const auto line_end_at = [&](std::size_t at) {
    data_end = std::min(data_end, at);
    if (base[at] != '\n') {
      return true;
    }
    const std::string_view data =
        SplitRecord({base + start, at + 1 - start}, data_end - start, width).data;
    if (!take(data)) {
      return false;
    }
    taken = {at + 1, data};
    start = at + 1;
    data_end = std::string_view::npos;
    return true;
  };
  std::size_t i = 0;
  for (; i + scan::kMaskBytes <= bytes.size(); i += scan::kMaskBytes) {
    for (std::uint64_t ends = scan::LineEndMask(base + i); ends != 0; ends &= ends - 1) {
      if (!line_end_at(i + static_cast<std::size_t>(std::countr_zero(ends)))) {
        return taken;
      }
    }
  }
  for (; i < bytes.size(); ++i) {
    if ((base[i] == '\n' || base[i] == '\r') && !line_end_at(i)) {
      return taken;
    }
  }
  return taken;
}

// All the whole records at the start of `bytes`, found without looking at
// each one: what ScanWholeRecords gives when `take` takes every record.
inline WholeRecords AllWholeRecords(std::string_view bytes, std::size_t width) {
  const char* begin = bytes.data();
  std::int64_t wanted = 1;
  const char* lf = scan::FindNthLastLf(begin, begin + bytes.size(), &wanted);
  if (lf == nullptr) {
    return {};
  }
  wanted = 1;
  const char* before = scan::FindNthLastLf(begin, lf, &wanted);
  const char* start = before == nullptr ? begin : before + 1;
  const std::string_view record(start, static_cast<std::size_t>(lf - start) + 1);
  return {static_cast<std::size_t>(lf - begin) + 1,
          SplitRecord(record, std::min(record.find('\r'), record.size() - 1), width).data};
}

// Moves both units over the first `size` bytes they hold, whole records
// both hold alike, leaving `last`, the data of the last record passed, in
// `line1` and `line2` as reading that record would have left it.
void AdvanceBothOver(Io& io, std::size_t size, std::string_view last, std::span<char> line1,
                     std::span<char> line2);

// Moves unit `unit` back one record, so that the next READ_RECORD returns the
// record last read again. When the end-of-file flag is set it only clears
// the flag; at the start of the file it does nothing. A read error ends the
// run (BACKSPACE, 6500).
void BACKSPACE_INPUT(Io& io, std::int32_t unit);

// Moves unit `unit` back `count` records, exactly as `count` calls of
// BACKSPACE_INPUT would, reading each earlier block at most once.
void BackspaceRecords(Io& io, std::int32_t unit, std::int64_t count);

}  // namespace vellum::io

#endif  // VELLUM_IO_RECORDS_H_
