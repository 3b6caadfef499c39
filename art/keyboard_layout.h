// What the key caps of the keyboard page picture say. The caps are drawn at
// the rectangles of the page's layout table, so every key button cuts exactly
// one drawn cap out of the picture; the legends follow the table's entries.
#pragma once

#include "model/key_layout_table.h"

namespace q730x::art {

// Keys whose legend is a drawn symbol rather than text.
enum class KeyGlyph { None, LightEffect, LightLevel, Mute };

// The legend of the key of each used layout entry, in entry order.
struct KeyLegend {
  const char* legend;  // UTF-8; a second line follows a '\n'
  KeyGlyph glyph = KeyGlyph::None;
};

inline constexpr KeyLegend kKeyLegends[kKeyLayoutUsedEntries] = {
    {"Esc"},
    {"F1"},
    {"F2"},
    {"F3"},
    {"F4"},
    {"F5"},
    {"F6"},
    {"F7"},
    {"F8"},
    {"F9"},
    {"F10"},
    {"F11"},
    {"F12"},
    {"", KeyGlyph::LightEffect},
    {"", KeyGlyph::LightLevel},
    {"", KeyGlyph::Mute},
    {"~\n`"},
    {"!\n1"},
    {"@\n2"},
    {"#\n3"},
    {"$\n4"},
    {"%\n5"},
    {"^\n6"},
    {"&\n7"},
    {"*\n8"},
    {"(\n9"},
    {")\n0"},
    {"_\n-"},
    {"+\n="},
    {"Backspace"},
    {"PrtSc"},
    {"ScrLk"},
    {"Pause"},
    {"Tab"},
    {"Q"},
    {"W"},
    {"E"},
    {"R"},
    {"T"},
    {"Y"},
    {"U"},
    {"I"},
    {"O"},
    {"P"},
    {"{\n["},
    {"}\n]"},
    {"|\n\\"},
    {"Ins"},
    {"Home"},
    {"PgUp"},
    {"Caps"},
    {"A"},
    {"S"},
    {"D"},
    {"F"},
    {"G"},
    {"H"},
    {"J"},
    {"K"},
    {"L"},
    {":\n;"},
    {"\"\n'"},
    {"Enter"},
    {"Del"},
    {"End"},
    {"PgDn"},
    {"Shift"},
    {"Z"},
    {"X"},
    {"C"},
    {"V"},
    {"B"},
    {"N"},
    {"M"},
    {"<\n,"},
    {">\n."},
    {"?\n/"},
    {"Shift"},
    {"\xE2\x86\x91"},
    {"Ctrl"},
    {"Win"},
    {"Alt"},
    {""},
    {"Alt"},
    {"Win"},
    {"Menu"},
    {"Ctrl"},
    {"\xE2\x86\x90"},
    {"\xE2\x86\x93"},
    {"\xE2\x86\x92"},
};

// The five profile tabs below the keyboard, as polygons in page coordinates.
struct Point {
  int x, y;
};
inline constexpr Point kProfileTabs[5][6] = {
    {{96, 343}, {87, 351}, {107, 372}, {205, 372}, {212, 364}, {192, 343}},
    {{193, 343}, {220, 371}, {317, 371}, {324, 364}, {303, 343}, {303, 343}},
    {{304, 343}, {332, 371}, {429, 371}, {436, 364}, {415, 343}, {415, 343}},
    {{417, 343}, {444, 371}, {541, 371}, {548, 364}, {527, 343}, {527, 343}},
    {{528, 343}, {555, 371}, {652, 371}, {660, 363}, {640, 343}, {640, 343}},
};

}  // namespace q730x::art
