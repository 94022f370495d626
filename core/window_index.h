// An index of the compared windows of the lines of a block, in both files, as far as a
// re-synchronisation search has read them. For a window it answers at once which lines of a file
// carry it first and last, so that a search finds the first agreeing pair of a shell without trying
// its pairs one by one. Its memory is taken once, for the deepest search, when it is made, and
// stays untouched until a search reaches that far; it never grows with the size of the files. A
// search starts by comparing each window with the few it has, then on a few of its cells, and takes
// all of them once it fills those, so that a short search stays in the cache.
#ifndef VELLUM_CORE_WINDOW_INDEX_H_
#define VELLUM_CORE_WINDOW_INDEX_H_

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/core_constants.h"
#include "io/scan.h"

namespace vellum::core {

class WindowIndex {
 public:
  // An index for at most `max_lines` lines of each file between two
  // Clears. Throws std::bad_alloc when its memory cannot be had.
  explicit WindowIndex(std::int32_t max_lines);

  // Forgets every line, keeping the memory.
  void Clear();

  // A window's place in the index, from Add; 0 for a line that cannot agree.
  using Key = std::uint32_t;

  // Adds the next line of the file on unit `unit` (1 or 2), whose `window` is
  // kWindowWidth bytes long: its block position is one more than the last
  // added for that file, and at most max_lines are added. Only lines with
  // `can_agree` set are found by First and Last. Returns the key of the
  // line's window.
  Key Add(std::int32_t unit, std::string_view window, bool can_agree);

  // The smallest and the largest block position of the file on unit `unit` whose line
  // can agree and carries `window`; 0 when there is none.
  std::int32_t First(std::int32_t unit, std::string_view window) const;
  std::int32_t Last(std::int32_t unit, std::string_view window) const;
  // The same for the window whose key Add gave, without looking it up.
  std::int32_t First(std::int32_t unit, Key key) const;
  std::int32_t Last(std::int32_t unit, Key key) const;

  // Whether the index has taken all its cells, which a deep index spreads
  // past what the caches hold; FetchCell then starts bringing into the
  // cache the cell an Add of `window` will look at.
  bool TakesAllCells() const { return placed_ && cell_mask_ == most_cell_mask_; }
  void FetchCell(std::string_view window) const {
    io::scan::Prefetch(&table_[static_cast<std::size_t>(Hash(window) & cell_mask_)]);
  }

  // Lines added for unit `unit` since the last Clear.
  std::int32_t Count(std::int32_t unit) const;

 private:
  // A window that can agree and the lines that carry it.
  struct Entry {
    std::int32_t first[2];
    std::int32_t last[2];
    std::uint32_t cell;  // its cell in the table
    char window[kWindowWidth];
  };
  struct Free {
    void operator()(void* memory) const;
  };

  static std::uint64_t Hash(std::string_view window);
  std::uint32_t EntryMask() const { return (std::uint32_t{1} << entry_bits_) - 1; }
  // The bits of a cell above the entry's number, from the window's hash.
  std::uint32_t Tag(std::uint64_t hash) const;
  // The number plus one of the entry holding `window` (whose hash is
  // `hash`), or 0; `cell` receives the cell that holds it, or the empty
  // cell where it would go.
  std::uint32_t Find(std::string_view window, std::uint64_t hash, std::size_t* cell) const;
  const Entry* Find(std::string_view window) const;
  // The number plus one of the entry holding `window`, looked for entry by
  // entry, or 0.
  std::uint32_t FindListed(std::string_view window) const;
  // Places every entry in the cells in use; TakeAllCells places them again,
  // over all the cells.
  void Place();
  void TakeAllCells();
  // Notes that line `position` of the file on `side` carries entry
  // `number`'s window; returns its key.
  Key Mark(std::size_t side, std::int32_t position, std::uint32_t number);

  std::size_t max_lines_ = 0;
  std::int32_t count_[2] = {0, 0};  // lines added for each file
  // The windows that can agree, in the order they were first added.
  std::vector<Entry> entries_;
  // Open addressing over the first cell_mask_ + 1 of a power of two of
  // cells, at most two fifths full so that probes stay short. A cell holds 0 while
  // it is empty, else an entry's number plus one in its low entry_bits_ and
  // a tag from the window's hash above them, so that probing rarely reads an
  // entry or compares windows. The table is taken zeroed from the system:
  // only the pages a search touches become resident.
  std::unique_ptr<std::uint32_t[], Free> table_;
  bool placed_ = false;             // the entries are in the cells, not only listed
  std::size_t cell_mask_ = 0;       // of the cells in use
  std::size_t most_cell_mask_ = 0;  // of all the cells
  int entry_bits_ = 0;
};

}  // namespace vellum::core

#endif  // VELLUM_CORE_WINDOW_INDEX_H_
