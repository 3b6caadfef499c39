// The keyboard page for people who do not use a mouse or who listen to a
// screen reader: its tab order, the keyboard picture as one tab stop moved
// through with the arrow keys, the profile tabs moved through with Left and
// Right, and the names a reader speaks for the keys.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "skin/bitmap_button.h"
#include "skin/irregular_button.h"

namespace q730x {

struct KeyPicturePage {
  HWND page;
  std::array<CGDIBitmapBtn, 144>* keys;
  std::array<CIrrButton, 5>* profiles;
  CGDIBitmapBtn *rate, *linkBox, *programName, *restore, *apply;
  HWND textField;
};

// Once, after the page's controls are made.
void MakeUsableByKeys(const KeyPicturePage& page);

// Gives a key button its spoken name from its position and function caption
// (empty for the factory function).
void NameKeyButton(CGDIBitmapBtn& key, int position, const std::wstring& caption);

}  // namespace q730x
