// The window index: a hash table over the windows of a block's lines.
#include "core/window_index.h"

#include <cstring>

namespace vellum::core {
namespace {

constexpr std::size_t kInitialSlots = 1024;

std::size_t Side(std::int32_t file) { return file == 2 ? 1 : 0; }

}  // namespace

void WindowIndex::Clear() {
  for (const std::uint32_t slot : used_) {
    slots_[slot] = Slot{};
  }
  used_.clear();
  windows_[0].clear();
  windows_[1].clear();
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

std::int32_t WindowIndex::Count(std::int32_t file) const {
  return static_cast<std::int32_t>(windows_[Side(file)].size() / kWindowSize);
}

std::size_t WindowIndex::Find(std::string_view window) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = Hash(window) & mask;
  for (;;) {
    const Slot& slot = slots_[at];
    if (slot.representative == 0) {
      return at;
    }
    const std::int32_t file = slot.representative > 0 ? 1 : 2;
    const std::int32_t position =
        slot.representative > 0 ? slot.representative : -slot.representative;
    if (WindowOf(file, position) == window) {
      return at;
    }
    at = (at + 1) & mask;
  }
}

void WindowIndex::Grow() {
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(old.empty() ? kInitialSlots : old.size() * 2, Slot{});
  used_.clear();
  for (const Slot& slot : old) {
    if (slot.representative == 0) {
      continue;
    }
    const std::int32_t file = slot.representative > 0 ? 1 : 2;
    const std::int32_t position =
        slot.representative > 0 ? slot.representative : -slot.representative;
    const std::size_t at = Find(WindowOf(file, position));
    slots_[at] = slot;
    used_.push_back(static_cast<std::uint32_t>(at));
  }
}

void WindowIndex::Add(std::int32_t file, std::string_view window, bool can_agree) {
  std::vector<char>& windows = windows_[Side(file)];
  windows.insert(windows.end(), window.begin(), window.begin() + kWindowSize);
  const std::int32_t position = Count(file);
  if (!can_agree) {
    return;
  }
  // Keep the table at most three quarters full.
  if ((used_.size() + 1) * 4 > slots_.size() * 3) {
    Grow();
  }
  const std::size_t at = Find(WindowOf(file, position));
  Slot& slot = slots_[at];
  if (slot.representative == 0) {
    slot.representative = file == 2 ? -position : position;
    used_.push_back(static_cast<std::uint32_t>(at));
  }
  const std::size_t side = Side(file);
  if (slot.first[side] == 0) {
    slot.first[side] = position;
  }
  slot.last[side] = position;
}

std::int32_t WindowIndex::First(std::int32_t file, std::string_view window) const {
  if (slots_.empty()) {
    return 0;
  }
  return slots_[Find(window)].first[Side(file)];
}

std::int32_t WindowIndex::Last(std::int32_t file, std::string_view window) const {
  if (slots_.empty()) {
    return 0;
  }
  return slots_[Find(window)].last[Side(file)];
}

}  // namespace vellum::core
