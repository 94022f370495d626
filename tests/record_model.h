// The simplest reading of the record rules, over a whole file held in a
// string, for checking the record layer against it.
#ifndef VELLUM_TESTS_RECORD_MODEL_H_
#define VELLUM_TESTS_RECORD_MODEL_H_

#include <string>
#include <utility>

namespace vellum::testing {

class RecordModel {
 public:
  RecordModel(std::string bytes, std::size_t width) : bytes_(std::move(bytes)), width_(width) {}

  // The next record's data padded with blanks to the width, or "EOF".
  std::string Read() {
    if (eof_ || pos_ == bytes_.size()) {
      eof_ = true;
      return "EOF";
    }
    std::string data;
    std::size_t i = pos_;
    while (i < bytes_.size() && data.size() < width_ && bytes_[i] != '\r' && bytes_[i] != '\n') {
      data += bytes_[i++];
    }
    const std::size_t lf = bytes_.find('\n', i);
    pos_ = lf == std::string::npos ? bytes_.size() : lf + 1;
    data.resize(width_, ' ');
    return data;
  }

  // Moves back one record; after an end of file only clears it.
  void Back() {
    if (eof_) {
      eof_ = false;
      return;
    }
    if (pos_ == 0) {
      return;
    }
    const std::size_t before = pos_ - 1;  // the line end of the record last read
    const std::size_t lf = before == 0 ? std::string::npos : bytes_.rfind('\n', before - 1);
    pos_ = lf == std::string::npos ? 0 : lf + 1;
  }

 private:
  std::string bytes_;
  std::size_t width_;
  std::size_t pos_ = 0;
  bool eof_ = false;
};

}  // namespace vellum::testing

#endif  // VELLUM_TESTS_RECORD_MODEL_H_
