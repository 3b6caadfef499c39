// Texts that only screen readers speak: the names of controls that show no
// text of their own. Read from the same language.xml as the interface texts,
// kept apart from that table, whose keys are fixed. Platform-free.
#pragma once

#include <filesystem>
#include <string>

namespace q730x {

struct AccessTexts {
  std::wstring str_minimize;     // the main window's minimise button
  std::wstring str_macro_count;  // the macro page's repeat count field
  std::wstring str_macro_value;  // the macro page's key or pause field
  std::wstring str_step_down;    // after a pressed key in the step list
  std::wstring str_step_up;      // after a released key in the step list
  std::wstring str_step_pause;   // after a pause's duration in the step list
  std::wstring str_scroll_vertical;    // the skinned scroll bars
  std::wstring str_scroll_horizontal;
};

// The process-wide texts; empty until loaded, and where the file lacks one.
extern AccessTexts Access;

bool LoadAccessTexts(const std::filesystem::path& path, AccessTexts& texts);
void LoadAccessTexts(const std::filesystem::path& path);

}  // namespace q730x
