// Program links: a profile can name a program whose arrival in the
// foreground selects it. The keyboard page stores file names only, compares
// them with the foreground program's name, and refuses a name that another
// profile's link already names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace q730x {

// The part of a path after its last backslash (the whole text without one).
std::wstring FileNamePart(std::wstring_view path);

// True when name is not empty and the link of a profile other than current
// names the same file, compared whole with letter case ignored.
bool LinkedAlready(std::wstring_view name, int current);

// The profile, other than current, whose enabled link names exactly this
// program (letter case counts); the first one wins.
std::optional<int> ProfileLinkedTo(std::wstring_view program, int current);

// True when any profile's link is switched on.
bool AnyLinkEnabled();

// The base name of the main module of the process that owns the foreground
// window, or "Unknow" when it cannot be found.
std::wstring ForegroundProgramName();

}  // namespace q730x
