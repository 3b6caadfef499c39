// A stored macro: the record the macro store keeps in the registry, read and
// written little-endian field by field. Every reader stays within the bytes
// actually held, whatever the record's size and event-count fields claim.
// Platform-free: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace q730x {

// The 64-byte header; the events follow it, 4 bytes each.
struct MacroRecordHeader {
  std::uint32_t size;         // 64 + 4 x event count
  std::uint32_t format;       // 0xE8E80010; recognised by its high 16 bits
  std::uint32_t id;           // also the subkey name
  std::uint32_t playMode;     // 0, 1 or 2
  std::uint32_t repeatCount;  // 1..65533; the low 16 bits reach the keyboard
  char16_t name[20];          // zero-terminated, at most 19 characters
  std::uint32_t eventCount;
};
static_assert(sizeof(MacroRecordHeader) == 64);
static_assert(offsetof(MacroRecordHeader, format) == 4 && offsetof(MacroRecordHeader, id) == 8);
static_assert(offsetof(MacroRecordHeader, playMode) == 12);
static_assert(offsetof(MacroRecordHeader, repeatCount) == 16);
static_assert(offsetof(MacroRecordHeader, name) == 20);
static_assert(offsetof(MacroRecordHeader, eventCount) == 60);

constexpr std::size_t kMacroHeaderBytes = sizeof(MacroRecordHeader);
constexpr std::uint32_t kMacroFormat = 0xE8E80010;
constexpr std::size_t kMacroNameUnits = 20;
constexpr std::uint32_t kMaxMacroId = 0xFFFFFF;

// Play modes, as the three mode buttons of the macro manager choose them.
enum MacroPlayMode : std::uint32_t {
  MACRO_PLAY_REPEAT = 0,  // plays the repeat count
  MACRO_PLAY_MODE_3 = 1,  // the third button
  MACRO_PLAY_MODE_2 = 2,  // the second button
};

// One step: kind in bits 24..31, value in bits 0..23.
struct MacroEvent {
  std::uint32_t word = 0;

  enum Kind : std::uint8_t { kPause = 0xA0, kPress = 0xC0, kRelease = 0xE0 };
  static constexpr MacroEvent Make(std::uint8_t kind, std::uint32_t value) {
    return {std::uint32_t{kind} << 24 | (value & 0xFFFFFF)};
  }
  constexpr std::uint8_t kind() const { return static_cast<std::uint8_t>(word >> 24); }
  constexpr std::uint32_t value() const { return word & 0xFFFFFF; }
};
static_assert(sizeof(MacroEvent) == 4);

class MacroRecord {
 public:
  // A record with a header of zeros and no events.
  MacroRecord();
  // Takes stored bytes as they are; none when they are shorter than the header.
  static std::optional<MacroRecord> FromBytes(std::vector<std::uint8_t> bytes);

  std::uint32_t size() const { return Field(0); }
  std::uint32_t format() const { return Field(4); }
  std::uint32_t id() const { return Field(8); }
  std::uint32_t playMode() const { return Field(12); }
  std::uint32_t repeatCount() const { return Field(16); }
  std::uint32_t eventCountField() const { return Field(60); }
  // Up to the terminator, and at most 19 characters when there is none.
  std::u16string name() const;

  // The events that are really there: the event-count field, cut to what the
  // bytes hold.
  std::size_t EventCount() const;
  MacroEvent Event(std::size_t i) const;

  void SetSize(std::uint32_t v) { SetField(0, v); }
  void SetFormat(std::uint32_t v) { SetField(4, v); }
  void SetId(std::uint32_t v) { SetField(8, v); }
  void SetPlayMode(std::uint32_t v) { SetField(12, v); }
  void SetRepeatCount(std::uint32_t v) { SetField(16, v); }
  void SetName(std::u16string_view name);  // cut to 19 characters
  // Appends an event and counts it in the event-count field.
  void AppendEvent(MacroEvent e);

  // Whether the store may write it: size at least 68 (one event), a
  // recognised format, and as many bytes held as the size field names.
  bool IsWritable() const;
  // Whether a listing shows it: the header is there, and the size field is
  // at least 68 or the format is recognised.
  bool IsListable() const;

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  explicit MacroRecord(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::uint32_t Field(std::size_t offset) const;
  void SetField(std::size_t offset, std::uint32_t v);

  std::vector<std::uint8_t> bytes_;
};

constexpr bool IsMacroFormat(std::uint32_t format) { return (format >> 16) == 0xE8E8; }

// ---- Building a record from the macro manager's step list ------------------

// Entries of the step list: (kind << 24) | value.
enum StepKind : std::uint8_t { STEP_RELEASE = 2, STEP_PRESS = 3, STEP_PAUSE = 4 };
constexpr std::uint32_t MakeStep(std::uint8_t kind, std::uint32_t value) {
  return std::uint32_t{kind} << 24 | (value & 0xFFFFFF);
}
constexpr std::uint32_t kMaxMergedPauseMs = 327670;

// Merges every run of adjacent pauses into one pause of the summed duration,
// capped at 327,670 ms. Returns the index of the last merged entry, or -1
// when nothing was merged (the manager selects that entry).
int MergeAdjacentPauses(std::vector<std::uint32_t>& steps);

// The repeat count of the manager's repeat field: the number when it reads as
// one above zero, 65,533 when it is 65,534 or more; 1 for an empty field, zero
// or text that is not a number.
std::uint32_t RepeatCountFromField(std::u16string_view field);

struct MacroBuildInput {
  std::uint32_t id = 0;
  std::u16string name;
  std::u16string repeatField;
  bool secondModeOn = false;  // play mode 2
  bool thirdModeOn = false;   // play mode 1
};

// Merges the list's pauses (in the list itself) and builds the record; none
// when the list is empty. A list ending in a key press gets a closing release
// of that key.
std::optional<MacroRecord> BuildMacroRecord(std::vector<std::uint32_t>& steps,
                                            const MacroBuildInput& input);

// A new macro's id: the tick count's low 24 bits, moved on to the next id
// when it is taken (or 0, which means "no macro"). 0 only when every id is taken.
std::uint32_t NewMacroId(std::uint32_t tickCount, const std::function<bool(std::uint32_t)>& taken);

}  // namespace q730x
