// An index of the compared windows (columns 1 to 25) of the lines of a
// block, in both files, as far as a re-synchronisation search has read them.
// For a window it answers at once which lines of a file carry it first and
// last, so that a search finds the first agreeing pair of a shell without
// trying its pairs one by one. Its memory is taken once, for the deepest
// search, when it is made, and stays untouched until a search reaches that
// far; it never grows with the size of the files.
#ifndef VELLUM_CORE_WINDOW_INDEX_H_
#define VELLUM_CORE_WINDOW_INDEX_H_

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vellum::core {

class WindowIndex {
 public:
  // Bytes of a compared window.
  static constexpr std::size_t kWindowSize = 25;

  // An index for at most `max_lines` lines of each file between two
  // Clears. Throws std::bad_alloc when its memory cannot be had.
  explicit WindowIndex(std::int32_t max_lines);

  // Forgets every line, keeping the memory.
  void Clear();

  // Adds the next line of file `file` (1 or 2), whose `window` is
  // kWindowSize bytes long: its block position is one more than the last
  // added for that file, and at most max_lines are added. Only lines with
  // `can_agree` set are found by First and Last; the window of every line
  // is kept.
  void Add(std::int32_t file, std::string_view window, bool can_agree);

  // Whether line `position` of file `file` was added with `can_agree` set.
  bool CanAgree(std::int32_t file, std::int32_t position) const;

  // The smallest and the largest block position of file `file` whose line
  // can agree and carries `window`; 0 when there is none.
  std::int32_t First(std::int32_t file, std::string_view window) const;
  std::int32_t Last(std::int32_t file, std::string_view window) const;

  // The window of line `position` of file `file`.
  std::string_view WindowOf(std::int32_t file, std::int32_t position) const;

  // Lines added to file `file` since the last Clear.
  std::int32_t Count(std::int32_t file) const;

 private:
  // The lines that carry one window; the window itself is read from the
  // first line of file1 that carries it, or else of file2.
  struct Slot {
    std::int32_t first[2];
    std::int32_t last[2];
  };
  struct Free {
    void operator()(void* memory) const;
  };

  static std::uint64_t Hash(std::string_view window);
  std::string_view WindowOf(const Slot& slot) const;
  // The slot holding `window`, or the empty slot where it would go; `tag`
  // receives the tag the window's slot carries.
  std::size_t Find(std::string_view window, std::uint8_t* tag = nullptr) const;

  std::size_t max_lines_ = 0;
  std::vector<char> windows_[2];  // kWindowSize bytes per line, in order
  std::vector<bool> can_agree_[2];
  // Open addressing over a power of two of slots, sized once for the
  // deepest search. Each slot has a one-byte tag from its window's hash, 0
  // while it is empty, so that probing rarely compares windows. Both are
  // taken zeroed from the system: only the pages a search touches become
  // resident.
  std::unique_ptr<Slot[], Free> slots_;
  std::unique_ptr<std::uint8_t[], Free> tags_;
  std::size_t slot_count_ = 0;
  std::vector<std::uint32_t> used_;  // slots filled since the last Clear
};

}  // namespace vellum::core

#endif  // VELLUM_CORE_WINDOW_INDEX_H_
