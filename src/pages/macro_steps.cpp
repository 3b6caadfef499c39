#include "pages/macro_steps.h"

#include <algorithm>

#include "pages/step_key_names.h"

namespace q730x {

std::wstring StepText(std::uint32_t entry) {
  if (IsPauseStep(entry)) return std::to_wstring(StepValueOf(entry)) + L"  ms";
  return StepKeyName(StepValueOf(entry));
}

RecordSteps StepsOfRecord(const MacroRecord& record) {
  RecordSteps out;
  for (std::size_t i = 0, n = record.EventCount(); i < n; ++i) {
    const MacroEvent e = record.Event(i);
    switch (e.kind()) {
      case MacroEvent::kRelease: out.steps.push_back(MakeStep(STEP_RELEASE, e.value())); break;
      case MacroEvent::kPress: out.steps.push_back(MakeStep(STEP_PRESS, e.value())); break;
      case MacroEvent::kPause: out.steps.push_back(MakeStep(STEP_PAUSE, e.value())); break;
      default: out.stoppedEarly = true; return out;
    }
  }
  return out;
}

std::wstring RepeatFieldTextOf(const MacroRecord& record) {
  if (record.eventCountField() == 1) return L"1";
  return std::to_wstring(record.repeatCount());
}

std::optional<std::wstring> CorrectedRepeatField(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  if (i == text.size()) return L"1";
  const unsigned base = text[i] == L'0' ? 8 : 10;
  std::uint64_t n = 0;
  bool digits = false;
  for (; i < text.size() && text[i] >= L'0' && text[i] < L'0' + wchar_t(base); ++i) {
    digits = true;
    n = std::min<std::uint64_t>(n * base + std::uint64_t(text[i] - L'0'), 0xFFFFFFFF);
  }
  if (!digits) return std::nullopt;
  if (n == 0) return L"1";
  if (n > 65534) return L"65534";
  return std::nullopt;
}

std::optional<std::uint32_t> ReadDecimal(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  std::uint64_t n = 0;
  bool digits = false;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    digits = true;
    n = std::min<std::uint64_t>(n * 10 + std::uint64_t(text[i] - L'0'), 0xFFFFFFFF);
  }
  if (!digits) return std::nullopt;
  return std::uint32_t(n);
}

PauseInsertion PlanPauseInsertion(const std::vector<std::uint32_t>& steps, int selected,
                                  std::uint32_t ms) {
  const int count = int(steps.size());
  auto added = [&](int index) {
    return std::min(StepValueOf(steps[std::size_t(index)]) + (ms & 0xFFFFFF), kMaxMergedPauseMs);
  };
  if (selected > 0 && selected <= count && IsPauseStep(steps[std::size_t(selected - 1)]))
    return {PauseInsertion::AddToEntry, selected - 1, added(selected - 1)};
  if (selected >= 0 && selected < count && IsPauseStep(steps[std::size_t(selected)]))
    return {PauseInsertion::AddToEntry, selected, added(selected)};
  return {PauseInsertion::NewEntry, selected >= 0 && selected < count ? selected : -1, ms & 0xFFFFFF};
}

bool PauseWouldLead(const std::vector<std::uint32_t>& steps, int selected) {
  return steps.empty() || selected == 0;
}

std::vector<std::uint32_t> ClosingReleases(const std::vector<std::uint32_t>& steps) {
  std::vector<std::uint32_t> held;
  for (std::uint32_t step : steps) {
    const std::uint32_t key = StepValueOf(step);
    auto at = std::find(held.begin(), held.end(), key);
    if (StepKindOf(step) == STEP_PRESS && at == held.end()) held.push_back(key);
    if (StepKindOf(step) == STEP_RELEASE && at != held.end()) held.erase(at);
  }
  std::vector<std::uint32_t> releases;
  for (auto key = held.rbegin(); key != held.rend(); ++key) releases.push_back(MakeStep(STEP_RELEASE, *key));
  return releases;
}

std::optional<std::size_t> MatchingRelease(const std::vector<std::uint32_t>& steps, std::size_t press) {
  if (press >= steps.size() || StepKindOf(steps[press]) != STEP_PRESS) return std::nullopt;
  const std::uint32_t key = StepValueOf(steps[press]);
  for (std::size_t i = press + 1; i < steps.size(); ++i) {
    if (StepValueOf(steps[i]) != key || IsPauseStep(steps[i])) continue;
    if (StepKindOf(steps[i]) == STEP_RELEASE) return i;
    return std::nullopt;  // pressed again before any release
  }
  return std::nullopt;
}

}  // namespace q730x
