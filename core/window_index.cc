// The window index: a hash table over the windows of a block's lines.
#include "core/window_index.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace vellum::core {
namespace {

// The table is kept at most four fifths full: a search to the full depth
// fits its at most 200,002 windows in 2^18 slots.
constexpr std::size_t kFifthsFull = 4;
constexpr std::size_t kMinimumSlots = 1024;

std::size_t Side(std::int32_t file) { return file == 2 ? 1 : 0; }

}  // namespace

void WindowIndex::Free::operator()(void* memory) const { std::free(memory); }

WindowIndex::WindowIndex(std::int32_t max_lines) : max_lines_(static_cast<std::size_t>(max_lines)) {
  std::size_t count = kMinimumSlots;
  while (count * kFifthsFull < 2 * max_lines_ * 5) {
    count *= 2;
  }
  slots_.reset(static_cast<Slot*>(std::calloc(count, sizeof(Slot))));
  tags_.reset(static_cast<std::uint8_t*>(std::calloc(count, 1)));
  if (slots_ == nullptr || tags_ == nullptr) {
    throw std::bad_alloc();
  }
  slot_count_ = count;
  for (std::size_t side = 0; side < 2; ++side) {
    windows_[side].reserve(max_lines_ * kWindowSize);
    can_agree_[side].reserve(max_lines_);
  }
  used_.reserve(2 * max_lines_);
}

void WindowIndex::Clear() {
  for (const std::uint32_t slot : used_) {
    slots_[slot] = Slot{};
    tags_[slot] = 0;
  }
  used_.clear();
  for (std::size_t side = 0; side < 2; ++side) {
    windows_[side].clear();
    can_agree_[side].clear();
  }
}

std::uint64_t WindowIndex::Hash(std::string_view window) {
  // 25 bytes as three words and a byte, mixed by multiplication.
  std::uint64_t words[3];
  std::memcpy(words, window.data(), sizeof(words));
  std::uint64_t h = static_cast<unsigned char>(window[24]);
  for (const std::uint64_t word : words) {
    h = (h ^ word) * 0x9E3779B97F4A7C15ULL;
    h ^= h >> 29;
  }
  return h;
}

std::string_view WindowIndex::WindowOf(std::int32_t file, std::int32_t position) const {
  const std::vector<char>& windows = windows_[Side(file)];
  return {windows.data() + static_cast<std::size_t>(position - 1) * kWindowSize, kWindowSize};
}

std::string_view WindowIndex::WindowOf(const Slot& slot) const {
  return slot.first[0] != 0 ? WindowOf(1, slot.first[0]) : WindowOf(2, slot.first[1]);
}

std::int32_t WindowIndex::Count(std::int32_t file) const {
  return static_cast<std::int32_t>(windows_[Side(file)].size() / kWindowSize);
}

std::size_t WindowIndex::Find(std::string_view window, std::uint8_t* tag) const {
  const std::uint64_t hash = Hash(window);
  const auto wanted = static_cast<std::uint8_t>((hash >> 56) | 1);
  if (tag != nullptr) {
    *tag = wanted;
  }
  const std::size_t mask = slot_count_ - 1;
  std::size_t at = hash & mask;
  for (;;) {
    const std::uint8_t held = tags_[at];
    if (held == 0 || (held == wanted && WindowOf(slots_[at]) == window)) {
      return at;
    }
    at = (at + 1) & mask;
  }
}

void WindowIndex::Add(std::int32_t file, std::string_view window, bool can_agree) {
  std::vector<char>& windows = windows_[Side(file)];
  windows.insert(windows.end(), window.begin(), window.begin() + kWindowSize);
  can_agree_[Side(file)].push_back(can_agree);
  if (!can_agree) {
    return;
  }
  const std::int32_t position = Count(file);
  std::uint8_t tag = 0;
  const std::size_t at = Find(WindowOf(file, position), &tag);
  Slot& slot = slots_[at];
  if (tags_[at] == 0) {
    tags_[at] = tag;
    used_.push_back(static_cast<std::uint32_t>(at));
  }
  const std::size_t side = Side(file);
  if (slot.first[side] == 0) {
    slot.first[side] = position;
  }
  slot.last[side] = position;
}

bool WindowIndex::CanAgree(std::int32_t file, std::int32_t position) const {
  return can_agree_[Side(file)][static_cast<std::size_t>(position - 1)];
}

std::int32_t WindowIndex::First(std::int32_t file, std::string_view window) const {
  return slots_[Find(window)].first[Side(file)];
}

std::int32_t WindowIndex::Last(std::int32_t file, std::string_view window) const {
  return slots_[Find(window)].last[Side(file)];
}

}  // namespace vellum::core
