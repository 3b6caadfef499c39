#include "model/macro_record.h"

#include <algorithm>

namespace q730x {

MacroRecord::MacroRecord() : bytes_(kMacroHeaderBytes, 0) {}

std::optional<MacroRecord> MacroRecord::FromBytes(std::vector<std::uint8_t> bytes) {
  if (bytes.size() < kMacroHeaderBytes) return std::nullopt;
  return MacroRecord(std::move(bytes));
}

std::uint32_t MacroRecord::Field(std::size_t offset) const {
  if (offset + 4 > bytes_.size()) return 0;
  return std::uint32_t{bytes_[offset]} | std::uint32_t{bytes_[offset + 1]} << 8 |
         std::uint32_t{bytes_[offset + 2]} << 16 | std::uint32_t{bytes_[offset + 3]} << 24;
}

void MacroRecord::SetField(std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::u16string MacroRecord::name() const {
  std::u16string text;
  constexpr std::size_t kNameOffset = offsetof(MacroRecordHeader, name);
  for (std::size_t i = 0; i + 1 < kMacroNameUnits; ++i) {
    const char16_t c = static_cast<char16_t>(bytes_[kNameOffset + 2 * i] |
                                             bytes_[kNameOffset + 2 * i + 1] << 8);
    if (c == 0) break;
    text += c;
  }
  return text;
}

void MacroRecord::SetName(std::u16string_view name) {
  constexpr std::size_t kNameOffset = offsetof(MacroRecordHeader, name);
  std::fill_n(bytes_.begin() + kNameOffset, 2 * kMacroNameUnits, 0);
  const std::size_t n = std::min(name.size(), kMacroNameUnits - 1);
  for (std::size_t i = 0; i < n; ++i) {
    bytes_[kNameOffset + 2 * i] = static_cast<std::uint8_t>(name[i]);
    bytes_[kNameOffset + 2 * i + 1] = static_cast<std::uint8_t>(name[i] >> 8);
  }
}

std::size_t MacroRecord::EventCount() const {
  return std::min<std::size_t>(eventCountField(), (bytes_.size() - kMacroHeaderBytes) / 4);
}

MacroEvent MacroRecord::Event(std::size_t i) const {
  if (i >= EventCount()) return {};
  return {Field(kMacroHeaderBytes + 4 * i)};
}

void MacroRecord::AppendEvent(MacroEvent e) {
  // Events go right after the counted ones, so the count and the bytes agree.
  const std::size_t at = kMacroHeaderBytes + 4 * EventCount();
  bytes_.resize(std::max(bytes_.size(), at + 4));
  SetField(at, e.word);
  SetField(60, static_cast<std::uint32_t>(EventCount() + 1));
}

bool MacroRecord::IsWritable() const {
  return size() >= kMacroHeaderBytes + 4 && IsMacroFormat(format()) && size() <= bytes_.size();
}

bool MacroRecord::IsListable() const {
  return bytes_.size() >= kMacroHeaderBytes &&
         (size() >= kMacroHeaderBytes + 4 || IsMacroFormat(format()));
}

int MergeAdjacentPauses(std::vector<std::uint32_t>& steps) {
  auto isPause = [](std::uint32_t s) { return (s >> 24) == STEP_PAUSE; };
  int merged = -1;
  for (std::size_t i = 1; i < steps.size();) {
    if (isPause(steps[i]) && isPause(steps[i - 1])) {
      const std::uint32_t sum = std::min((steps[i - 1] & 0xFFFFFF) + (steps[i] & 0xFFFFFF),
                                         kMaxMergedPauseMs);
      steps[i - 1] = MakeStep(STEP_PAUSE, sum);
      steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(i));
      merged = static_cast<int>(i - 1);
    } else {
      ++i;
    }
  }
  return merged;
}

std::uint32_t RepeatCountFromField(std::u16string_view field) {
  std::size_t i = 0;
  while (i < field.size() && (field[i] == u' ' || field[i] == u'\t')) ++i;
  std::uint64_t n = 0;
  bool digits = false;
  for (; i < field.size() && field[i] >= u'0' && field[i] <= u'9'; ++i) {
    digits = true;
    n = std::min<std::uint64_t>(n * 10 + (field[i] - u'0'), 0xFFFFFFFF);
  }
  if (!digits || n == 0) return 1;
  return n < 0xFFFE ? static_cast<std::uint32_t>(n) : 0xFFFD;
}

std::optional<MacroRecord> BuildMacroRecord(std::vector<std::uint32_t>& steps,
                                            const MacroBuildInput& input) {
  MergeAdjacentPauses(steps);
  if (steps.empty()) return std::nullopt;
  const bool endsWithPress = (steps.back() >> 24) == STEP_PRESS;

  MacroRecord record;
  record.SetSize(static_cast<std::uint32_t>(kMacroHeaderBytes + 4 * steps.size() +
                                            (endsWithPress ? 4 : 0)));
  record.SetFormat(kMacroFormat);
  for (std::uint32_t step : steps) {
    switch (step >> 24) {
      case STEP_RELEASE: record.AppendEvent(MacroEvent::Make(MacroEvent::kRelease, step)); break;
      case STEP_PRESS: record.AppendEvent(MacroEvent::Make(MacroEvent::kPress, step)); break;
      case STEP_PAUSE: record.AppendEvent(MacroEvent::Make(MacroEvent::kPause, step)); break;
      default: record.AppendEvent({step}); break;  // kept as it is
    }
  }
  if (endsWithPress) record.AppendEvent(MacroEvent::Make(MacroEvent::kRelease, steps.back()));
  record.SetRepeatCount(RepeatCountFromField(input.repeatField));
  record.SetId(input.id);
  record.SetName(input.name);
  record.SetPlayMode(input.secondModeOn  ? MACRO_PLAY_MODE_2
                     : input.thirdModeOn ? MACRO_PLAY_MODE_3
                                         : MACRO_PLAY_REPEAT);
  return record;
}

std::uint32_t NewMacroId(std::uint32_t tickCount, const std::function<bool(std::uint32_t)>& taken) {
  std::uint32_t id = tickCount & kMaxMacroId;
  for (std::uint32_t tries = 0; tries <= kMaxMacroId; ++tries) {
    if (id != 0 && !taken(id)) return id;
    id = (id + 1) & kMaxMacroId;
  }
  return 0;
}

}  // namespace q730x
