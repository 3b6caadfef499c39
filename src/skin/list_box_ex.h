// CListBoxEx: the utility's list box. A platform list box that draws its own
// entries in the dark skin (an optional 16 x 16 icon before the text, chosen
// by the entry's kind), tells its owner about selection changes and finished
// renames with private messages, and can let the user retype an entry in
// place. Everything it needs from its parent (measuring, drawing, colour
// requests, commands) comes back to it by reflection, so it works the same
// inside the dialog that made it or inside a frame that wraps it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "skin/gdi_handles.h"
#include "skin/window.h"

namespace q730x {

// Posted to the notification target: wParam the list's control id, lParam the
// index of the entry under the pointer (-1 when the pointer is over none).
inline constexpr UINT kListSelectionMessage = 0x465;
// Posted after a rename was committed: wParam the list's control id, lParam
// the index of the renamed entry.
inline constexpr UINT kListEditDoneMessage = 0x470;

// Entry kinds: the drawing reads them from the top byte of the entry data.
// Kinds 5 to 255 draw like kind 1.
inline constexpr int kEntryPlain = 0;    // no icon, text near the left edge
inline constexpr int kEntryIndented = 1; // no icon, text after the icon space
inline constexpr int kEntryUp = 2;       // "up" icon (key release)
inline constexpr int kEntryDown = 3;     // "down" icon (key press)
inline constexpr int kEntryDelay = 4;    // "delay" icon (pause)

// The in-place editor takes at most this many characters.
inline constexpr int kEditorTextLimit = 10;

// The 32-bit data an entry of `kind` keeps for `value`: kind 0 keeps the
// whole value, any other kind the low 24 bits with the kind in the top byte.
constexpr std::uint32_t EntryData(int kind, std::uint32_t value) {
  return kind == 0 ? value : (std::uint32_t(kind & 0xFF) << 24) | (value & 0xFFFFFFu);
}

class CListBoxEx : public Window {
 public:
  CListBoxEx();
  ~CListBoxEx() override;

  // A child list box of `parent` at `rect` (left, top, right, bottom) with
  // control id `id`: child, visible, vertical scroll bar, notify, owner-drawn
  // variable, has strings.
  bool Create(HWND parent, RECT rect, int id);

  // Appends and selects an entry; with `edit`, opens the editor on it at
  // once, whether or not in-place editing is allowed.
  void AddEntry(std::uint32_t value, const std::wstring& text, int kind = 0, bool edit = false);
  // Inserts before `index` (-1: at the end) and selects the new entry.
  void InsertEntry(int index, const std::wstring& text, int kind, std::uint32_t value);
  // Replaces the entry at `index` and selects it; nothing when there is none.
  void ReplaceEntry(int index, const std::wstring& text, int kind, std::uint32_t value);
  void RemoveAll();

  // Owner settings.
  void SetBackgroundColour(COLORREF colour);  // the list owns the brush it makes
  void SetTextColour(COLORREF colour) { textColour_ = colour; }
  void SetSelectedTextColour(COLORREF colour) { selectedTextColour_ = colour; }
  void SetSelectedBackColour(COLORREF colour) { selectedBackColour_ = colour; }
  void SetEntryHeight(int height);
  void SetIconSize(int width, int height) { iconWidth_ = width, iconHeight_ = height; }
  // Notifications go to `window`; null sends them back to the parent.
  void SetNotifyTarget(HWND window);
  void SetInPlaceEdit(bool allowed) { editAllowed_ = allowed; }
  // A word that screen readers hear after the text of every entry of `kind`
  // (kEntryUp to kEntryDelay), which the icon alone shows on screen: the
  // entry's string becomes "text word", and only "text" is drawn. Set it
  // before adding entries; an empty word adds nothing.
  void SetSpokenWord(int kind, std::wstring word);

  // Reading.
  int count() const;
  int selection() const;  // -1: none
  std::wstring text(int index) const;  // as drawn, without the spoken word
  std::uint32_t data(int index) const;
  int hoverIndex() const { return hoverIndex_; }
  int editingIndex() const { return editingIndex_; }
  HWND editor() const { return editor_; }
  int id() const { return id_; }
  int entryHeight() const { return entryHeight_; }
  // Where notifications go now: the target if one is set, else the parent
  // the list was created in (not its current parent, which may be a frame).
  HWND notifyWindow() const;
  // The list whose editor is open anywhere in the program, or null.
  static CListBoxEx* EditingList() { return editingList_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnDrawItem(DRAWITEMSTRUCT& item) override;
  bool OnMeasureItem(MEASUREITEMSTRUCT& item) override;
  bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnDetached() override;

 private:
  // The entry under a client point, or -1.
  int EntryAt(POINT client) const;
  int EntryUnderPointer() const;
  void RepaintEntry(int index) const;
  void TrackPointer(POINT client);
  // The string an entry of `kind` showing `shown` keeps, and the whole
  // string kept at `index` (what LB_GETTEXT and screen readers read).
  std::wstring Stored(const std::wstring& shown, int kind) const;
  std::wstring StoredText(int index) const;
  const std::wstring& SpokenWord(int kind) const;
  // Gives a new or rewritten entry its data and height.
  void Placed(int index, std::uint32_t data);
  void DrawEntry(const DRAWITEMSTRUCT& item, COLORREF colour) const;
  // The brush of unselected entries: the owner's while enabled, grey while disabled.
  HBRUSH CurrentBackground() const;

  void OpenEditor(int index);
  void CommitEdit();
  void CancelEdit();
  // Destroys the editor without touching the entry.
  void CloseEditor();
  static LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR list);

  static CListBoxEx* editingList_;

  UniqueFont font_;
  std::wstring programFolder_;
  UniqueBrush background_, disabledBackground_;
  int entryHeight_ = 20;
  COLORREF textColour_, selectedTextColour_, selectedBackColour_;
  int iconWidth_ = 16, iconHeight_ = 16;
  HWND notifyTarget_ = nullptr;
  bool notifyTargetSet_ = false;
  HWND creator_ = nullptr;
  int id_ = 0;
  bool editAllowed_ = false;
  HWND editor_ = nullptr;
  int editingIndex_ = -1;
  bool keyboardChange_ = false;  // a key is being handled: its selection change is the key's
  int hoverIndex_ = -1;
  bool trackingLeave_ = false;
  std::array<std::wstring, kEntryDelay + 1> spokenWords_;
};

}  // namespace q730x
