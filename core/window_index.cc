// The window index: a hash table over the windows of a block's lines.
#include "core/window_index.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace vellum::core {
namespace {

// The table is kept at most two fifths full.
constexpr std::size_t kFifthsFull = 2;
constexpr std::size_t kMinimumCells = 1024;
// A search starts on this many cells, and takes all of them once it fills
// these.
constexpr std::size_t kFirstCells = 1024;
static_assert(kFirstCells <= kMinimumCells);
// A search starts by comparing each window with those of up to this many
// entries, and places them in the cells only when it has more.
constexpr std::size_t kListedEntries = 8;

std::size_t Side(std::int32_t unit) { return unit == kUnit2 ? 1 : 0; }

}  // namespace

void WindowIndex::Free::operator()(void* memory) const { std::free(memory); }

WindowIndex::WindowIndex(std::int32_t max_lines) : max_lines_(static_cast<std::size_t>(max_lines)) {
  const std::size_t most_entries = 2 * max_lines_;
  std::size_t count = kMinimumCells;
  while (count * kFifthsFull < most_entries * 5) {
    count *= 2;
  }
  while ((std::size_t{1} << entry_bits_) <= most_entries) {
    ++entry_bits_;
  }
  if (entry_bits_ > 24) {
    throw std::bad_alloc();  // no index this deep can be had
  }
  table_.reset(static_cast<std::uint32_t*>(std::calloc(count, sizeof(std::uint32_t))));
  if (table_ == nullptr) {
    throw std::bad_alloc();
  }
  most_cell_mask_ = count - 1;
  cell_mask_ = kFirstCells - 1;
  entries_.reserve(most_entries);
}

void WindowIndex::Clear() {
  if (placed_) {
    for (const Entry& entry : entries_) {
      table_[entry.cell] = 0;
    }
  }
  placed_ = false;
  entries_.clear();
  count_[0] = 0;
  count_[1] = 0;
  cell_mask_ = kFirstCells - 1;
}

void WindowIndex::TakeAllCells() {
  for (const Entry& entry : entries_) {
    table_[entry.cell] = 0;
  }
  cell_mask_ = most_cell_mask_;
  Place();
}

void WindowIndex::Place() {
  placed_ = true;
  std::uint32_t number = 0;
  for (Entry& entry : entries_) {
    const std::uint64_t hash = Hash({entry.window, kWindowWidth});
    auto at = static_cast<std::size_t>(hash & cell_mask_);
    while (table_[at] != 0) {
      at = (at + 1) & cell_mask_;
    }
    table_[at] = Tag(hash) | ++number;
    entry.cell = static_cast<std::uint32_t>(at);
  }
}

std::uint64_t WindowIndex::Hash(std::string_view window) {
  // The window as whole words and the bytes after them, mixed by
  // multiplication.
  std::uint64_t h = kWindowWidth;
  std::size_t at = 0;
  for (; at + sizeof(std::uint64_t) <= kWindowWidth; at += sizeof(std::uint64_t)) {
    std::uint64_t word = 0;
    std::memcpy(&word, window.data() + at, sizeof(word));
    h = (h ^ word) * 0x9E3779B97F4A7C15ULL;
    h ^= h >> 29;
  }
  for (; at < kWindowWidth; ++at) {
    h = (h ^ static_cast<unsigned char>(window[at])) * 0x9E3779B97F4A7C15ULL;
  }
  return h ^ (h >> 29);
}

std::int32_t WindowIndex::Count(std::int32_t unit) const { return count_[Side(unit)]; }

std::uint32_t WindowIndex::Tag(std::uint64_t hash) const {
  return static_cast<std::uint32_t>(hash >> 32) & ~EntryMask();
}

std::uint32_t WindowIndex::Find(std::string_view window, std::uint64_t hash,
                                std::size_t* cell) const {
  const std::uint32_t tag = Tag(hash);
  auto at = static_cast<std::size_t>(hash & cell_mask_);
  for (;;) {
    const std::uint32_t content = table_[at];
    if (content == 0) {
      *cell = at;
      return 0;
    }
    if ((content & ~EntryMask()) == tag) {
      const std::uint32_t number = content & EntryMask();
      if (std::memcmp(entries_[number - 1].window, window.data(), kWindowWidth) == 0) {
        *cell = at;
        return number;
      }
    }
    at = (at + 1) & cell_mask_;
  }
}

std::uint32_t WindowIndex::FindListed(std::string_view window) const {
  for (std::size_t at = 0; at < entries_.size(); ++at) {
    if (std::memcmp(entries_[at].window, window.data(), kWindowWidth) == 0) {
      return static_cast<std::uint32_t>(at + 1);
    }
  }
  return 0;
}

const WindowIndex::Entry* WindowIndex::Find(std::string_view window) const {
  std::uint32_t number = 0;
  if (placed_) {
    std::size_t cell = 0;
    number = Find(window, Hash(window), &cell);
  } else {
    number = FindListed(window);
  }
  return number == 0 ? nullptr : &entries_[number - 1];
}

WindowIndex::Key WindowIndex::Add(std::int32_t unit, std::string_view window, bool can_agree) {
  const std::size_t side = Side(unit);
  const std::int32_t position = ++count_[side];
  if (!can_agree) {
    return 0;
  }
  if (!placed_) {
    std::uint32_t number = FindListed(window);
    if (number == 0) {
      Entry& added = entries_.emplace_back(Entry{{0, 0}, {0, 0}, 0, {}});
      std::memcpy(added.window, window.data(), kWindowWidth);
      number = static_cast<std::uint32_t>(entries_.size());
      if (entries_.size() > kListedEntries) {
        Place();
      }
    }
    return Mark(side, position, number);
  }
  std::size_t cell = 0;
  const std::uint64_t hash = Hash(window);
  std::uint32_t number = Find(window, hash, &cell);
  if (number == 0) {
    // Within the capacity reserved: entries are added, never reallocated.
    Entry& added =
        entries_.emplace_back(Entry{{0, 0}, {0, 0}, static_cast<std::uint32_t>(cell), {}});
    std::memcpy(added.window, window.data(), kWindowWidth);
    number = static_cast<std::uint32_t>(entries_.size());
    table_[cell] = Tag(hash) | number;
    if (entries_.size() * 5 > (cell_mask_ + 1) * kFifthsFull && cell_mask_ < most_cell_mask_) {
      TakeAllCells();
    }
  }
  return Mark(side, position, number);
}

WindowIndex::Key WindowIndex::Mark(std::size_t side, std::int32_t position, std::uint32_t number) {
  Entry& entry = entries_[number - 1];
  if (entry.first[side] == 0) {
    entry.first[side] = position;
  }
  entry.last[side] = position;
  return number;
}

std::int32_t WindowIndex::First(std::int32_t unit, Key key) const {
  return key == 0 ? 0 : entries_[key - 1].first[Side(unit)];
}

std::int32_t WindowIndex::Last(std::int32_t unit, Key key) const {
  return key == 0 ? 0 : entries_[key - 1].last[Side(unit)];
}

std::int32_t WindowIndex::First(std::int32_t unit, std::string_view window) const {
  const Entry* entry = Find(window);
  return entry == nullptr ? 0 : entry->first[Side(unit)];
}

std::int32_t WindowIndex::Last(std::int32_t unit, std::string_view window) const {
  const Entry* entry = Find(window);
  return entry == nullptr ? 0 : entry->last[Side(unit)];
}

}  // namespace vellum::core
