#pragma once
// A property check of the note store: a model Notes folder in memory where any file operation
// can fail, or happen and still report failure, or stop the program right there, driven through
// random sessions of loads, edits and saves. The same driver runs with fixed seeds in the unit
// tests and under libFuzzer, where the fuzzer's bytes make every choice.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <string>

namespace tarvik::test {

// Where the driver's choices come from.
class Choices {
 public:
  virtual ~Choices() = default;
  // A number in [0, n); n > 0.
  virtual unsigned Pick(unsigned n) = 0;
  // True when the source has nothing more to say: the run then winds down.
  virtual bool Exhausted() const { return false; }
};

class SeededChoices final : public Choices {
 public:
  explicit SeededChoices(std::uint32_t seed) : engine_(seed) {}
  unsigned Pick(unsigned n) override { return static_cast<unsigned>(engine_() % n); }

 private:
  std::mt19937 engine_;
};

// Reads the choices from bytes; once they run out every choice is 0 (all operations succeed).
class ByteChoices final : public Choices {
 public:
  ByteChoices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  unsigned Pick(unsigned n) override {
    if (at_ >= size_) return 0;
    unsigned value = data_[at_++];
    if (n > 256 && at_ < size_) value = value << 8 | data_[at_++];
    return value % n;
  }
  bool Exhausted() const override { return at_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Runs sessions until the choices say stop. Returns "" when every invariant held, otherwise a
// description of the first one broken.
std::string RunNoteStoreProperty(Choices& choices, int maxSessions);

}  // namespace tarvik::test
