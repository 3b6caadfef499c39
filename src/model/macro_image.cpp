#include "model/macro_image.h"

#include "model/key_code.h"

namespace q730x {
namespace {

// Long pauses: the largest duration each unit can count (65,535 units).
constexpr std::uint32_t kMaxShortPauseMs = 127 * 10;
constexpr std::uint32_t kMax20MsPause = 65535u * 20;
constexpr std::uint32_t kMax50MsPause = 65535u * 50;
constexpr std::uint32_t kMax100MsPause = 65535u * 100;

// Key code of a step value: the HID usage of its virtual key, 0 when none.
std::uint8_t KeyCodeOf(std::uint32_t virtualKey) {
  return virtualKey > 0xFF ? 0 : VirtualKeyToUsage(static_cast<std::uint8_t>(virtualKey));
}

class PairWriter {
 public:
  explicit PairWriter(MacroImage& image) : image_(image) {}
  unsigned cursor() const { return cursor_; }
  // Writes pair p = cursor and moves on; pairs beyond the image are dropped.
  void Put(std::uint8_t first, std::uint8_t second) {
    if (cursor_ < kMacroImagePairs) {
      image_[2 * cursor_] = first;
      image_[2 * cursor_ + 1] = second;
    }
    ++cursor_;
  }
  void Skip() { ++cursor_; }  // a blank pair
  void LongPause(std::uint8_t unit, std::uint32_t count) {
    Put(0x00, unit);
    Put(static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count));
  }
  // A short pause folds into the first byte of the pair before the cursor.
  void AddToPrevious(std::uint8_t tens) {
    const unsigned p = cursor_ - 1;
    if (p < kMacroImagePairs) image_[2 * p] = static_cast<std::uint8_t>(image_[2 * p] + tens);
  }

 private:
  MacroImage& image_;
  unsigned cursor_ = 1;
};

}  // namespace

unsigned EncodeMacroImage(const MacroRecord& record, MacroImage& image) {
  image.fill(0);
  const std::uint32_t repeat = record.repeatCount();
  image[0] = static_cast<std::uint8_t>(repeat >> 8);
  image[1] = static_cast<std::uint8_t>(repeat);

  PairWriter out(image);
  const std::size_t events = record.EventCount();
  for (std::size_t i = 0; i < events; ++i) {
    const MacroEvent e = record.Event(i);
    const std::uint32_t d = e.value();
    switch (e.kind()) {
      case MacroEvent::kPress:
        out.Put(0x00, KeyCodeOf(d));
        break;
      case MacroEvent::kRelease:
        out.Put(0x80, KeyCodeOf(d));
        break;
      case MacroEvent::kPause:
        if (i == 0) {
          // A leading pause has no pair to fold into: 100 ms units of d mod 65,536.
          out.LongPause(0x03, (d % 65536) / 100);
        } else if (d <= kMaxShortPauseMs) {
          out.AddToPrevious(static_cast<std::uint8_t>((d / 10) & 0x7F));
        } else if (d <= kMax20MsPause) {
          out.LongPause(0x01, d / 20);
        } else if (d <= kMax50MsPause) {
          out.LongPause(0x02, d / 50);
        } else if (d <= kMax100MsPause) {
          out.LongPause(0x03, d / 100);
        } else {
          out.Skip();  // too long for any unit
        }
        break;
      default:
        out.Skip();  // not a step the keyboard knows
        break;
    }
    if (out.cursor() - 1 > kMacroImagePairs - 1) break;
  }
  return out.cursor();
}

unsigned EncodeAndSendMacro(unsigned slot, const MacroRecord* record, const MacroSlotWriter& write) {
  if (!record) return 0;
  MacroImage image;
  const unsigned cursor = EncodeMacroImage(*record, image);
  if (write) write(slot, image.data());  // the answer is not part of the result
  return cursor;
}

}  // namespace q730x
