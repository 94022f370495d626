// An in-memory platform for tests: named files held as strings, standard
// output and error captured, standard input from a string, and faults to
// inject (a read that fails from some offset on, reads that come back
// short, a file rewritten between reads, an output that stops taking bytes
// for any cause, a rename as a file is opened).
#ifndef VELLUM_TESTS_MEMORY_PLATFORM_H_
#define VELLUM_TESTS_MEMORY_PLATFORM_H_

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/platform/platform.h"

namespace vellum::testing {

struct MemoryFileSetup {
  std::string bytes;
  // Reads that reach this offset fail; -1 never fails.
  std::int64_t fail_from = -1;
  bool is_device = false;
  std::uint64_t index = 0;  // identity; 0 takes a fresh one
  // Reads after this many successful ones fail; -1 never fails.
  std::int64_t fail_after_reads = -1;
  // Reads after this many successful ones find no memory (throw
  // std::bad_alloc), as an allocation deep in the platform would; -1 never.
  std::int64_t no_memory_after_reads = -1;
  // After this many reads, `change` rewrites the bytes, as another program
  // writing the file meanwhile would; -1 never.
  std::int64_t change_after_reads = -1;
  std::function<void(std::string&)> change;
  // What opening it gives, as the system may refuse a name it found (a
  // socket put in a file's place, a device that is not there).
  io::OpenStatus open_status = io::OpenStatus::kOk;
  // A read gives at most this many bytes while more follow, as network and
  // user-space file systems answer; 0 gives all that is asked. With
  // `short_seed` set, each read's count is drawn from 1 to the cap.
  std::int64_t read_cap = 0;
  std::uint32_t short_seed = 0;
};

inline MemoryFileSetup FileBytes(std::string bytes, std::int64_t fail_from = -1) {
  MemoryFileSetup setup;
  setup.bytes = std::move(bytes);
  setup.fail_from = fail_from;
  return setup;
}

class MemoryFile final : public io::InputFile {
 public:
  explicit MemoryFile(MemoryFileSetup* setup, std::int64_t* reads) : setup_(setup), reads_(reads) {}
  // Faults count the reader's requests: a read that goes on where a short
  // one stopped is part of the request that read short, not a new one.
  std::int64_t ReadSome(std::int64_t offset, char* data, std::int64_t size) override {
    if (offset != resume_at_) {
      ++*reads_;
      if (setup_->change && done_ == setup_->change_after_reads) {
        setup_->change(setup_->bytes);
      }
      if (setup_->fail_after_reads >= 0 && done_ >= setup_->fail_after_reads) {
        return -1;
      }
      if (setup_->no_memory_after_reads >= 0 && done_ >= setup_->no_memory_after_reads) {
        throw std::bad_alloc();
      }
      ++done_;
    }
    resume_at_ = -1;
    const std::int64_t asked = size;
    if (setup_->read_cap > 0) {
      size = std::min(size, setup_->read_cap);
      if (setup_->short_seed != 0) {
        draw_ = draw_ * 1103515245U + 12345U + setup_->short_seed;
        size = 1 + static_cast<std::int64_t>(draw_ >> 8) % size;
      }
    }
    const auto length = static_cast<std::int64_t>(setup_->bytes.size());
    if (setup_->fail_from >= 0 && offset + size > setup_->fail_from) {
      return -1;
    }
    if (offset >= length) {
      return 0;
    }
    const std::int64_t n = std::min(size, length - offset);
    std::memcpy(data, setup_->bytes.data() + offset, static_cast<std::size_t>(n));
    if (n < asked) {
      resume_at_ = offset + n;
    }
    return n;
  }

  std::int64_t Size() override { return static_cast<std::int64_t>(setup_->bytes.size()); }

 private:
  MemoryFileSetup* setup_;
  std::int64_t* reads_;
  std::int64_t done_ = 0;        // requests served
  std::int64_t resume_at_ = -1;  // where the request that read short goes on
  std::uint32_t draw_ = 0;
};

class MemoryPlatform final : public io::Platform {
 public:
  void AddFile(const std::string& name, std::string bytes) {
    MemoryFileSetup setup;
    setup.bytes = std::move(bytes);
    AddFile(name, std::move(setup));
  }
  void AddFile(const std::string& name, MemoryFileSetup setup) {
    if (setup.index == 0) {
      setup.index = ++next_index_;
    }
    files_[name] = std::move(setup);
  }
  // Puts the file `from` in the place of `to`, keeping its identity.
  void Rename(const std::string& from, const std::string& to) {
    auto node = files_.extract(from);
    node.key() = to;
    files_.erase(to);
    files_.insert(std::move(node));
  }

  io::OpenResult OpenInput(const std::string& name) override {
    if (before_open) {
      before_open(name);
    }
    io::OpenResult result;
    const auto found = files_.find(name);
    if (found == files_.end()) {
      result.status = io::OpenStatus::kNotFound;
      return result;
    }
    result.status = found->second.open_status;
    if (result.status != io::OpenStatus::kOk) {
      return result;
    }
    result.is_device = found->second.is_device;
    result.identity = io::FileIdentity{1, found->second.index};
    result.file = std::make_unique<MemoryFile>(&found->second, &reads);
    return result;
  }

  io::WriteResult Write(io::Stream stream, std::string_view bytes) override {
    streams_written.push_back(stream);
    if (stream == io::Stream::kStderr) {
      err.append(bytes);
      return {io::WriteStatus::kOk, bytes.size()};
    }
    if (bytes.size() > out_room - out.size()) {
      const std::size_t taken = out_room - out.size();
      out.append(bytes.substr(0, taken));
      return {out_cut, taken};
    }
    out.append(bytes);
    return {io::WriteStatus::kOk, bytes.size()};
  }

  std::optional<io::FileIdentity> StdoutIdentity() override { return stdout_identity; }

  std::int64_t ReadStdin(char* data, std::int64_t size) override {
    if (stdin_no_memory) {
      throw std::bad_alloc();  // as an allocation deep in the platform would
    }
    const auto left = static_cast<std::int64_t>(in.size() - in_pos);
    const std::int64_t n = std::min(size, left);
    std::memcpy(data, in.data() + in_pos, static_cast<std::size_t>(n));
    in_pos += static_cast<std::size_t>(n);
    return n;
  }

  // A console read gives at most one line, its line end included.
  std::int64_t ReadConsoleLine(char* data, std::size_t units) override {
    const std::size_t line_end = in.find('\n', in_pos);
    const std::size_t line =
        line_end == std::string::npos ? in.size() - in_pos : line_end + 1 - in_pos;
    return ReadStdin(data, static_cast<std::int64_t>(std::min(units, line)));
  }

  bool StdinIsCharacterDevice() override { return stdin_is_device; }
  bool StdoutTakesBlocks() override { return stdout_takes_blocks; }
  std::size_t NameLimit(io::NameSource /*source*/) const override { return name_limit; }
  std::size_t NameLength(std::string_view name) const override { return name.size(); }
  io::OpenStatus OpenDevice(const std::string& /*device*/) override { return io::OpenStatus::kOk; }
  void Confine(const io::InputFile* /*file1*/, const io::InputFile* /*file2*/) override {
    confined_after_reads = reads;
  }

  std::string out;
  std::string err;
  // The file reads made when the run confined itself; -1 when it did not.
  std::int64_t confined_after_reads = -1;
  bool stdin_is_device = false;
  bool stdout_takes_blocks = false;
  std::size_t name_limit = 64;
  std::string in;
  std::size_t in_pos = 0;
  bool stdin_no_memory = false;  // reading standard input finds no memory
  // Standard output takes this many bytes in all; a write past them fails
  // with `out_cut`, as a full device or a closed pipe would.
  std::size_t out_room = std::string::npos;
  io::WriteStatus out_cut = io::WriteStatus::kDeviceFull;
  std::optional<io::FileIdentity> stdout_identity;  // of the file standard output writes into
  std::int64_t reads = 0;                           // reads of all files
  std::vector<io::Stream> streams_written;          // the stream of each write, in order
  // Called as a file is opened, before anything is looked up: a rename
  // racing the open.
  std::function<void(const std::string&)> before_open;

 private:
  std::map<std::string, MemoryFileSetup> files_;
  std::uint64_t next_index_ = 0;
};

}  // namespace vellum::testing

#endif  // VELLUM_TESTS_MEMORY_PLATFORM_H_
