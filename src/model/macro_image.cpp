#include "model/macro_image.h"

#include <algorithm>

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
  // Pairs still free after the cursor (pairs 1..255 hold steps).
  unsigned room() const { return cursor_ < kMacroImagePairs ? kMacroImagePairs - cursor_ : 0; }
  // Writes pair p = cursor and moves on.
  void Put(std::uint8_t first, std::uint8_t second) {
    image_[2 * cursor_] = first;
    image_[2 * cursor_ + 1] = second;
    ++cursor_;
    keyPairLast_ = false;
  }
  void Key(bool release, std::uint8_t code) {
    Put(release ? 0x80 : 0x00, code);
    keyPairLast_ = true;
  }
  void Skip() {  // a blank pair
    ++cursor_;
    keyPairLast_ = false;
  }
  void LongPause(std::uint8_t unit, std::uint32_t count) {
    Put(0x00, unit);
    Put(static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count));
  }
  // A short pause folds into the 7-bit pause field of the key pair just
  // written. Only a key pair has that field, and only while the sum still
  // fits: anywhere else the tens would land in a pause count or in the
  // release bit and change what the pair means.
  bool CanFold(std::uint8_t tens) const {
    if (tens == 0) return true;  // nothing to add
    if (!keyPairLast_ || cursor_ < 2) return false;
    return (image_[2 * (cursor_ - 1)] & 0x7F) + tens <= 0x7F;
  }
  void Fold(std::uint8_t tens) {
    if (tens == 0) return;
    image_[2 * (cursor_ - 1)] = static_cast<std::uint8_t>(image_[2 * (cursor_ - 1)] + tens);
  }

 private:
  MacroImage& image_;
  unsigned cursor_ = 1;
  bool keyPairLast_ = false;
};

// The keys an image has pressed and not yet released, by key code, in the
// order they went down, so that an image cut short can still let go of
// every one of them.
class HeldKeys {
 public:
  void Press(std::uint8_t code) {
    if (code != 0 && !Holds(code)) codes_[count_++] = code;
  }
  void Release(std::uint8_t code) {
    const auto end = codes_.begin() + count_;
    const auto at = std::find(codes_.begin(), end, code);
    if (at == end) return;
    std::copy(at + 1, end, at);
    --count_;
  }
  bool Holds(std::uint8_t code) const {
    return std::find(codes_.begin(), codes_.begin() + count_, code) != codes_.begin() + count_;
  }
  unsigned size() const { return count_; }
  std::uint8_t operator[](unsigned i) const { return codes_[i]; }

 private:
  std::array<std::uint8_t, 256> codes_{};
  unsigned count_ = 0;
};

// The pairs a long pause of d ms takes: its unit and count, or none when d is
// too long for every unit.
struct LongPauseForm {
  bool fits = false;
  std::uint8_t unit = 0;
  std::uint32_t count = 0;
};
LongPauseForm LongPauseOf(std::uint32_t d) {
  if (d <= kMax20MsPause) return {true, 0x01, d / 20};
  if (d <= kMax50MsPause) return {true, 0x02, d / 50};
  if (d <= kMax100MsPause) return {true, 0x03, d / 100};
  return {};
}

}  // namespace

unsigned EncodeMacroImage(const MacroRecord& record, MacroImage& image) {
  image.fill(0);
  const std::uint32_t repeat = record.repeatCount();
  image[0] = static_cast<std::uint8_t>(repeat >> 8);
  image[1] = static_cast<std::uint8_t>(repeat);

  // Every step must leave room for releasing the keys still held after it:
  // a record too long for the image is cut at a step boundary and then lets
  // go of every key it pressed, so no key stays down on the keyboard.
  PairWriter out(image);
  HeldKeys held;
  const std::size_t events = record.EventCount();
  bool cut = false;
  for (std::size_t i = 0; i < events && !cut; ++i) {
    const MacroEvent e = record.Event(i);
    const std::uint32_t d = e.value();
    auto fits = [&](unsigned pairs, unsigned heldAfter) { return pairs + heldAfter <= out.room(); };
    switch (e.kind()) {
      case MacroEvent::kPress: {
        const std::uint8_t code = KeyCodeOf(d);
        const unsigned heldAfter = held.size() + (code != 0 && !held.Holds(code) ? 1 : 0);
        if (!(cut = !fits(1, heldAfter))) {
          out.Key(false, code);
          held.Press(code);
        }
        break;
      }
      case MacroEvent::kRelease: {
        const std::uint8_t code = KeyCodeOf(d);
        const unsigned heldAfter = held.size() - (held.Holds(code) ? 1 : 0);
        if (!(cut = !fits(1, heldAfter))) {
          out.Key(true, code);
          held.Release(code);
        }
        break;
      }
      case MacroEvent::kPause:
        if (i == 0) {
          // A leading pause has no pair to fold into: 100 ms units of d mod 65,536.
          if (!(cut = !fits(2, held.size()))) out.LongPause(0x03, (d % 65536) / 100);
        } else if (d <= kMaxShortPauseMs && out.CanFold(static_cast<std::uint8_t>(d / 10))) {
          out.Fold(static_cast<std::uint8_t>(d / 10));
        } else if (const LongPauseForm form = LongPauseOf(d); form.fits) {
          // Also a short pause that has no key pair to fold into (after a long
          // pause, a blank pair, or a key pair whose field is full) takes
          // pairs of its own; one too short to count vanishes, as it would
          // when folded.
          if (form.count != 0 && !(cut = !fits(2, held.size()))) out.LongPause(form.unit, form.count);
        } else if (!(cut = !fits(1, held.size()))) {
          out.Skip();  // too long for any unit
        }
        break;
      default:
        if (!(cut = !fits(1, held.size()))) out.Skip();  // not a step the keyboard knows
        break;
    }
  }
  if (cut)  // the last pressed goes first
    for (unsigned k = held.size(); k-- > 0;) out.Key(true, held[k]);
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
