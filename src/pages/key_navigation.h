// Moving through the keyboard picture with the arrow keys, and what a screen
// reader says for a key. Platform-free: it works on the layout table's
// rectangles and on texts.
#pragma once

#include <string>

namespace q730x {

enum class KeyStep { Left, Right, Up, Down, RowStart, RowEnd };

// The entry of the layout table that a step from `entry` reaches: the
// nearest key in that direction (keys level with it first, for Left and
// Right), or the first or last key of its row. `entry` itself when there is
// none; entries with an empty rectangle are never reached.
int NextKeyEntry(int entry, KeyStep step);

// "Caps Lock" for a key with its factory function, "Caps Lock, Ctrl + C"
// for one given another.
std::wstring KeyButtonName(const std::wstring& keyName, const std::wstring& function);

}  // namespace q730x
