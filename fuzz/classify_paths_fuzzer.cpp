// Every classifier path the processor runs against the scalar reference, on windows held in heap
// buffers of exactly their size. The first input byte picks how the rest (after the second, which
// places a single fault) becomes a window: as it is, or as text of one encoding with more or fewer
// faults, then repeated up to a size just short of or equal to a full window, the last input bytes
// written over its end. The dispatcher, which only picks one of the paths, is checked on the short
// windows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "detect/classify_encoding.h"
#include "detect/classify_paths.h"
#include "detect/encoding.h"
#include "fuzz/fuzz_input.h"

namespace vlpd::fuzz {
namespace {

enum class Text { kRaw, kAscii, kSjis, kEuc, kUtf8, kUtf16Le, kUtf16Be, kMixed };

// Reads the input byte by byte; zeros once it runs out.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return next_ >= size_; }
  unsigned Byte() { return next_ < size_ ? data_[next_++] : 0; }
  // A value in [low, high].
  unsigned In(unsigned low, unsigned high) { return low + Byte() % (high - low + 1); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t next_ = 0;
};

// Where faults go: one character in `every` (none for 0), and the character numbered `only`.
struct Faults {
  unsigned every = 0;
  std::size_t only = static_cast<std::size_t>(-1);
  std::size_t characters = 0;
};

// One character of `text`; `pick` chooses between ASCII and the encoding's own characters.
void AppendWhole(Text text, unsigned pick, Faults& faults, Input& in, std::string& out);

// A fault is any byte at all, or a character cut short by its last byte.
void AppendChar(Text text, Faults& faults, Input& in, std::string& out) {
  const unsigned pick = in.Byte();
  const bool fault =
      faults.characters++ == faults.only || (faults.every != 0 && in.Byte() % faults.every == 0);
  if (fault) {
    if (pick % 2 == 0) {
      out += static_cast<char>(in.Byte());
      return;
    }
    std::string whole;
    AppendWhole(text, pick, faults, in, whole);
    out.append(whole, 0, whole.size() > 1 ? whole.size() - 1 : 1);
    return;
  }
  AppendWhole(text, pick, faults, in, out);
}

void AppendWhole(Text text, unsigned pick, Faults& faults, Input& in, std::string& out) {
  const bool ascii = pick % 4 == 1;
  switch (text) {
    case Text::kRaw:
    case Text::kAscii:
      out += static_cast<char>(in.In(0x09, 0x7E));
      break;
    case Text::kSjis:
      if (ascii) {
        out += static_cast<char>(in.In(0x20, 0x7E));
      } else if (pick % 8 == 2) {
        out += static_cast<char>(in.In(0xA1, 0xDF));  // half-width katakana
      } else {
        const unsigned lead = in.In(0, 0x3E);
        out += static_cast<char>(lead < 0x1F ? 0x81 + lead : 0xE0 + lead - 0x1F);
        const unsigned trail = in.In(0, 0xBB);
        out += static_cast<char>(trail < 0x3F ? 0x40 + trail : 0x80 + trail - 0x3F);
      }
      break;
    case Text::kEuc:
      if (ascii) {
        out += static_cast<char>(in.In(0x20, 0x7E));
      } else {
        out += static_cast<char>(pick % 8 == 2 ? in.In(0x8E, 0x8F) : in.In(0xA1, 0xFE));
        out += static_cast<char>(in.In(0xA1, 0xFE));
      }
      break;
    case Text::kUtf8: {
      const unsigned length = ascii ? 1 : in.In(2, 4);
      static const unsigned kLeadBase[] = {0, 0, 0xC0, 0xE0, 0xF0};
      static const unsigned kLeadSpan[] = {0, 0, 0x1F, 0x0F, 0x07};
      out += static_cast<char>(length == 1 ? in.In(0x20, 0x7E)
                                           : in.In(kLeadBase[length], kLeadBase[length] + kLeadSpan[length]));
      for (unsigned i = 1; i < length; ++i) out += static_cast<char>(in.In(0x80, 0xBF));
      break;
    }
    case Text::kUtf16Le:
    case Text::kUtf16Be: {
      // ASCII characters, or others from the kana and kanji rows.
      const unsigned high = ascii ? 0 : in.In(0x30, 0x9F);
      const unsigned low = ascii ? in.In(0x20, 0x7E) : in.Byte();
      out += static_cast<char>(text == Text::kUtf16Le ? low : high);
      out += static_cast<char>(text == Text::kUtf16Le ? high : low);
      break;
    }
    case Text::kMixed:
      AppendChar(static_cast<Text>(in.In(1, 6)), faults, in, out);
      break;
  }
}

void CompareAllPaths(const std::string& bytes, bool dispatched) {
  const std::size_t size = bytes.size();
  std::unique_ptr<unsigned char[]> window(new unsigned char[size]);
  if (size > 0) std::memcpy(window.get(), bytes.data(), size);
  const int expected = vlpd::ClassifyEncodingScalar(window.get(), size);
  if (dispatched) Require(vlpd::ClassifyEncoding(window.get(), size) == expected);
#if defined(__i386__) || defined(__x86_64__)
  if (vlpd::CpuHasSse2()) Require(vlpd::ClassifyEncodingSse2(window.get(), size) == expected);
  if (vlpd::CpuHasAvx2()) Require(vlpd::ClassifyEncodingAvx2(window.get(), size) == expected);
#elif defined(__aarch64__)
  Require(vlpd::ClassifyEncodingNeon(window.get(), size) == expected);
#endif
}

// The window the text of `mode` (bits 0 to 2) makes from the input, with faults as bits 6 and 7
// say: none; one, `fault_at` characters in; one character in 32; one in 8.
std::string MakeWindow(unsigned mode, const std::uint8_t* data, std::size_t size, std::size_t fault_at) {
  const Text text = static_cast<Text>(mode % 8);
  if (text == Text::kRaw) return std::string(reinterpret_cast<const char*>(data), size);
  Input in(data, size);
  Faults faults;
  if (mode >> 6 == 1) faults.only = fault_at;
  if (mode >> 6 >= 2) faults.every = mode >> 6 == 2 ? 32 : 8;
  std::string window;
  while (!in.Empty()) AppendChar(text, faults, in, window);
  return window;
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  const std::string bytes = input.Rest();
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t size = bytes.size();
  if (size < 2 || size > kDetectionWindow) return;
  const unsigned mode = data[0];
  // A single fault goes after each of 16 characters in turn, from where the second input byte
  // says: the same text puts it at every position of a block.
  const unsigned sweep = mode >> 6 == 1 ? 16 : 1;
  std::string window;
  for (unsigned shift = 0; shift < sweep; ++shift) {
    window = MakeWindow(mode, data + 2, size - 2, data[1] + shift);
    CompareAllPaths(window, true);
  }

  // Bits 3 to 5 all set ask for a window of 262,140 to 262,144 bytes: the text repeated, its last
  // bytes then overwritten by the input's last ones so that the window's end holds any byte
  // sequence. One input in eight: each long window takes as long as hundreds of short ones.
  if ((mode & 0x38) != 0x38 || window.empty()) return;
  const std::size_t target = vlpd::kDetectionWindow - (window.size() + (mode >> 6)) % 5;
  std::string repeated = window;
  while (repeated.size() < target) repeated += repeated;
  repeated.resize(target);
  const std::size_t tail = (size - 1) < 8 ? size - 1 : 8;
  std::memcpy(&repeated[target - tail], data + size - tail, tail);
  CompareAllPaths(repeated, false);
}

}  // namespace vlpd::fuzz
