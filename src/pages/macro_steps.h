// The macro manager's step list and its fields, apart from the window: the
// texts of steps, the steps of a stored record, the rules of the repeat
// field and of inserted pauses, and the releases a recording owes.
// Entries are (kind << 24) | value with the kinds of macro_record.h
// (STEP_PRESS, STEP_RELEASE, STEP_PAUSE). Platform-free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/macro_record.h"

namespace q730x {

constexpr std::uint8_t StepKindOf(std::uint32_t entry) { return std::uint8_t(entry >> 24); }
constexpr std::uint32_t StepValueOf(std::uint32_t entry) { return entry & 0xFFFFFF; }
constexpr bool IsPauseStep(std::uint32_t entry) { return StepKindOf(entry) == STEP_PAUSE; }
constexpr bool IsKeyStep(std::uint32_t entry) {
  return StepKindOf(entry) == STEP_PRESS || StepKindOf(entry) == STEP_RELEASE;
}

// A key step shows the key's step name; a pause "%d  ms" (two spaces).
std::wstring StepText(std::uint32_t entry);

// The steps of a stored record, in order, up to the first event that is not
// a press, release or pause (stoppedEarly then says so).
struct RecordSteps {
  std::vector<std::uint32_t> steps;
  bool stoppedEarly = false;
};
RecordSteps StepsOfRecord(const MacroRecord& record);

// The repeat field of a loaded macro: "1" when the record holds exactly one
// event, else its repeat count.
std::wstring RepeatFieldTextOf(const MacroRecord& record);

// What the repeat field is set to after the user changed it, or none when it
// stays: "1" for an empty field or one that reads 0, "65534" above 65,534.
// A leading 0 makes the text octal here; a text that does not read as a
// number stays as it is (the saved count is then made by the store's rule).
std::optional<std::wstring> CorrectedRepeatField(std::wstring_view text);

// The leading decimal digits of a field (after blanks), or none.
std::optional<std::uint32_t> ReadDecimal(std::wstring_view text);

// Where a pause of `ms` inserted before entry `selected` (-1: none) goes: it
// adds to the pause above the selection, else to the selected pause, else it
// is a new entry at `selected`. Sums stop at 327,670 ms.
struct PauseInsertion {
  enum Kind { AddToEntry, NewEntry } kind = NewEntry;
  int index = -1;                 // the entry to add to, or where the new one goes (-1: at the end)
  std::uint32_t resultMs = 0;     // the entry's duration afterwards
};
PauseInsertion PlanPauseInsertion(const std::vector<std::uint32_t>& steps, int selected,
                                  std::uint32_t ms);

// The release that ends the key press at entry `press`: the first release of
// the same key after it, unless that key is pressed again first. None for
// an entry that is no press or a press never released.
std::optional<std::size_t> MatchingRelease(const std::vector<std::uint32_t>& steps, std::size_t press);

// Whether an inserted pause would become the list's first entry.
bool PauseWouldLead(const std::vector<std::uint32_t>& steps, int selected);

// Releases (in reverse order of pressing) for the keys that the steps press
// and never release, so that a recording stopped with keys down, or cut by
// the step limit, leaves no key held on the keyboard.
std::vector<std::uint32_t> ClosingReleases(const std::vector<std::uint32_t>& steps);

}  // namespace q730x
