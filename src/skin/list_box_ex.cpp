#include "skin/list_box_ex.h"

#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>
#include <windowsx.h>

#include <memory>
#include <utility>

#include "model/program_folder.h"
#include "skin/skin_files.h"

namespace q730x {

namespace {

// Our subclass on the in-place editor; other procedures stack with their own ids.
constexpr UINT_PTR kEditorSubclassId = 0x51731;
// A committed text is read up to this many characters; the rest is cut.
constexpr int kCommitTextLimit = 2048;

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | LBS_NOTIFY |
                             LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS |
                             WS_CLIPCHILDREN;  // the list never paints over its editor

UniqueFont CreateEntryFont() {
  return UniqueFont(CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg"));
}

// The icon file of an entry kind, or null for kinds without one.
const wchar_t* IconFile(int kind, bool selected) {
  switch (kind) {
    case kEntryUp: return selected ? L"up_select.png" : L"up_normal.png";
    case kEntryDown: return selected ? L"down_select.png" : L"down_normal.png";
    case kEntryDelay: return selected ? L"delay_select.png" : L"delay_normal.png";
    default: return nullptr;
  }
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

}  // namespace

CListBoxEx* CListBoxEx::editingList_ = nullptr;

CListBoxEx::CListBoxEx()
    : font_(CreateEntryFont()),
      programFolder_(ProgramFolder()),
      disabledBackground_(CreateSolidBrush(GetSysColor(COLOR_INACTIVEBORDER))),
      textColour_(GetSysColor(COLOR_WINDOWTEXT)),
      selectedTextColour_(GetSysColor(COLOR_HIGHLIGHTTEXT)),
      selectedBackColour_(GetSysColor(COLOR_HIGHLIGHT)) {}

CListBoxEx::~CListBoxEx() {
  // The window goes first, while this object can still take its messages.
  Destroy();
  if (editingList_ == this) editingList_ = nullptr;
}

bool CListBoxEx::Create(HWND parent, RECT rect, int id) {
  if (hwnd() || !parent) return false;
  HWND window = CreateWindowExW(0, L"LISTBOX", L"", kListStyle, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                                nullptr);
  if (!window) return false;
  if (!Attach(window)) {
    DestroyWindow(window);
    return false;
  }
  creator_ = parent;
  id_ = id;
  return true;
}

// ---- entries ----

void CListBoxEx::AddEntry(std::uint32_t value, const std::wstring& text, int kind, bool edit) {
  if (!hwnd()) return;
  if (editingList_ == this) CloseEditor();
  const int index = int(SendMessageW(hwnd(), LB_ADDSTRING, 0, LPARAM(Stored(text, kind).c_str())));
  if (index < 0) return;
  Placed(index, EntryData(kind, value));
  SendMessageW(hwnd(), LB_SETCURSEL, index, 0);
  if (edit) OpenEditor(index);
}

void CListBoxEx::InsertEntry(int index, const std::wstring& text, int kind, std::uint32_t value) {
  if (!hwnd()) return;
  // An open editor would end on an entry that moved; it closes unchanged.
  if (editingList_ == this) CloseEditor();
  const int at = int(SendMessageW(hwnd(), LB_INSERTSTRING, index, LPARAM(Stored(text, kind).c_str())));
  if (at < 0) return;
  Placed(at, EntryData(kind, value));
  SendMessageW(hwnd(), LB_SETCURSEL, at, 0);
}

void CListBoxEx::ReplaceEntry(int index, const std::wstring& text, int kind, std::uint32_t value) {
  if (!hwnd() || index < 0 || index >= count()) return;
  if (editingList_ == this) CloseEditor();
  if (SendMessageW(hwnd(), LB_DELETESTRING, index, 0) == LB_ERR) return;
  const int at = int(SendMessageW(hwnd(), LB_INSERTSTRING, index, LPARAM(Stored(text, kind).c_str())));
  if (at < 0) return;
  Placed(at, EntryData(kind, value));
  SendMessageW(hwnd(), LB_SETCURSEL, at, 0);
}

void CListBoxEx::RemoveAll() {
  if (!hwnd()) return;
  if (editingList_ == this) CloseEditor();
  SendMessageW(hwnd(), LB_RESETCONTENT, 0, 0);
  hoverIndex_ = -1;
}

void CListBoxEx::Placed(int index, std::uint32_t data) {
  SendMessageW(hwnd(), LB_SETITEMDATA, index, LPARAM(data));
  // The measure request normally gives the height already; the platform list
  // box sends it to the window it was created in, which may no longer be its
  // parent, so the height is set here too.
  SendMessageW(hwnd(), LB_SETITEMHEIGHT, index, entryHeight_);
}

// ---- settings ----

void CListBoxEx::SetBackgroundColour(COLORREF colour) {
  background_.reset(CreateSolidBrush(colour));
  Invalidate(true);
}

void CListBoxEx::SetEntryHeight(int height) {
  entryHeight_ = height;
  // Entries already there take the new height too.
  for (int i = 0, n = count(); i < n; ++i) SendMessageW(hwnd(), LB_SETITEMHEIGHT, i, height);
  Invalidate(true);
}

void CListBoxEx::SetSpokenWord(int kind, std::wstring word) {
  if (kind >= kEntryUp && kind <= kEntryDelay) spokenWords_[size_t(kind)] = std::move(word);
}

const std::wstring& CListBoxEx::SpokenWord(int kind) const {
  static const std::wstring none;
  return kind >= kEntryUp && kind <= kEntryDelay ? spokenWords_[size_t(kind)] : none;
}

std::wstring CListBoxEx::Stored(const std::wstring& shown, int kind) const {
  const std::wstring& word = SpokenWord(kind);
  return word.empty() ? shown : shown + L" " + word;
}

void CListBoxEx::SetNotifyTarget(HWND window) {
  notifyTarget_ = window;
  notifyTargetSet_ = window != nullptr;
}

HWND CListBoxEx::notifyWindow() const {
  return notifyTargetSet_ ? notifyTarget_ : creator_;
}

// ---- reading ----

int CListBoxEx::count() const {
  if (!hwnd()) return 0;
  const LRESULT n = SendMessageW(hwnd(), LB_GETCOUNT, 0, 0);
  return n == LB_ERR ? 0 : int(n);
}

int CListBoxEx::selection() const {
  if (!hwnd()) return -1;
  const LRESULT i = SendMessageW(hwnd(), LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? -1 : int(i);
}

std::wstring CListBoxEx::text(int index) const {
  std::wstring stored = StoredText(index);
  // The word was added by Stored for the entry's kind; a text without it
  // (added before the word was set) stays whole.
  const std::wstring& word = SpokenWord(int(data(index) >> 24));
  const size_t tail = word.size() + 1;
  if (!word.empty() && stored.size() >= tail &&
      stored.compare(stored.size() - tail, tail, L" " + word) == 0)
    stored.resize(stored.size() - tail);
  return stored;
}

std::wstring CListBoxEx::StoredText(int index) const {
  if (!hwnd() || index < 0) return {};
  const LRESULT length = SendMessageW(hwnd(), LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR || length < 0) return {};
  // Room for the whole text and its terminator, however long it is.
  std::wstring text(size_t(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(hwnd(), LB_GETTEXT, index, LPARAM(text.data()));
  if (copied == LB_ERR || copied < 0) return {};
  text.resize(size_t(copied) <= size_t(length) ? size_t(copied) : size_t(length));
  return text;
}

std::uint32_t CListBoxEx::data(int index) const {
  if (!hwnd() || index < 0 || index >= count()) return 0;
  return std::uint32_t(SendMessageW(hwnd(), LB_GETITEMDATA, index, 0));
}

int CListBoxEx::EntryAt(POINT client) const {
  RECT inside;
  GetClientRect(hwnd(), &inside);
  if (!PtInRect(&inside, client)) return -1;
  const LRESULT hit = SendMessageW(hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
  if (HIWORD(hit) != 0) return -1;  // below the last entry
  const int index = LOWORD(hit);
  return index < count() ? index : -1;
}

int CListBoxEx::EntryUnderPointer() const {
  const DWORD at = GetMessagePos();
  POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  ScreenToClient(hwnd(), &point);
  return EntryAt(point);
}

void CListBoxEx::RepaintEntry(int index) const {
  RECT r;
  if (index < 0 || SendMessageW(hwnd(), LB_GETITEMRECT, index, LPARAM(&r)) == LB_ERR) return;
  InvalidateRect(hwnd(), &r, TRUE);
}

// ---- reflected from the parent ----

bool CListBoxEx::OnMeasureItem(MEASUREITEMSTRUCT& item) {
  item.itemHeight = UINT(entryHeight_);
  return true;
}

bool CListBoxEx::OnDrawItem(DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const bool selected = item.itemState & ODS_SELECTED;
  COLORREF colour = textColour_;
  if (selected || (item.itemAction & ODA_SELECT)) {
    Fill(dc, r, selectedBackColour_);
    if (selected) colour = selectedTextColour_;
    else FillRect(dc, &r, CurrentBackground());
  }
  if ((item.itemAction & ODA_FOCUS) && selected) {
    colour = selectedTextColour_;
    if (!(item.itemState & ODS_FOCUS)) Fill(dc, r, selectedBackColour_);
  }
  if (item.itemState & ODS_DISABLED) colour = GetSysColor(COLOR_BTNSHADOW);
  if (item.itemID == UINT(-1)) return true;
  DrawEntry(item, colour);
  return true;
}

HBRUSH CListBoxEx::CurrentBackground() const {
  if (!IsWindowEnabled(hwnd())) return disabledBackground_.get();
  return background_ ? background_.get() : GetSysColorBrush(COLOR_WINDOW);
}

void CListBoxEx::DrawEntry(const DRAWITEMSTRUCT& item, COLORREF colour) const {
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const int kind = int(data(int(item.itemID)) >> 24);
  const bool selected = item.itemState & ODS_SELECTED;
  if (const wchar_t* file = IconFile(kind, selected)) {
    // Read on every draw, so a changed skin file shows at once. A missing or
    // damaged file draws no icon; the text keeps its place.
    if (auto icon = LoadSkinImage(programFolder_ + L"skins\\" + file)) {
      Gdiplus::Graphics graphics(dc);
      graphics.DrawImage(icon.get(), Gdiplus::Rect(r.left + 5, r.top + 1, iconWidth_, iconHeight_));
    }
  }
  // Kind 0 starts near the edge; every other kind leaves the icon's space.
  RECT box{kind == kEntryPlain ? r.left + 5 : r.left + iconWidth_ + 10, r.top, r.right, r.bottom};
  const std::wstring entry = text(int(item.itemID));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  SelectedFont chosen(dc, font_.get());
  DrawTextW(dc, entry.c_str(), int(entry.size()), &box,
            DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOCLIP);
}

bool CListBoxEx::OnReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message == WM_COMMAND && HIWORD(wParam) == LBN_SELCHANGE) {
    // From the arrow keys the entry is the new selection, wherever the pointer rests.
    const int index = keyboardChange_ ? selection() : EntryUnderPointer();
    PostMessageW(notifyWindow(), kListSelectionMessage, WPARAM(id_), LPARAM(index));
    result = 0;
    return true;
  }
  if (message == WM_CTLCOLORLISTBOX) {
    if (IsWindowEnabled(hwnd()) && !background_) return false;  // the parent's default
    result = reinterpret_cast<LRESULT>(CurrentBackground());
    return true;
  }
  return false;
}

// ---- the list's own messages ----

void CListBoxEx::TrackPointer(POINT client) {
  if (!trackingLeave_) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
  }
  if (editor_) return;
  const int index = EntryAt(client);
  if (index == hoverIndex_) return;
  RepaintEntry(hoverIndex_);
  RepaintEntry(index);
  hoverIndex_ = index;
}

LRESULT CListBoxEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN: {
      keyboardChange_ = true;
      const LRESULT result = Window::HandleMessage(message, wParam, lParam);
      keyboardChange_ = false;
      return result;
    }
    case WM_MOUSEMOVE:
      TrackPointer({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      break;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      RepaintEntry(hoverIndex_);
      hoverIndex_ = -1;
      return 0;
    case WM_LBUTTONDBLCLK: {
      const LRESULT result = DefaultProc(message, wParam, lParam);
      if (editAllowed_ && !editingList_)
        OpenEditor(EntryAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
      return result;
    }
    case WM_ERASEBKGND: {
      // The same brush the colour request answers with, asked of the list
      // itself: the request goes to the window the list was created in.
      RECT r;
      GetClientRect(hwnd(), &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, CurrentBackground());
      return 1;
    }
    case WM_KILLFOCUS:
      return 0;  // the platform list box never hears that it lost the focus
    case WM_ENABLE: {
      const LRESULT result = DefaultProc(message, wParam, lParam);
      Invalidate(true);
      return result;
    }
    case WM_DESTROY:
      // The editor goes unchanged: a commit now would work on a dying list.
      if (editingList_ == this) CloseEditor();
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

void CListBoxEx::OnDetached() {
  if (editingList_ == this) editingList_ = nullptr;
  editor_ = nullptr;
  editingIndex_ = -1;
  hoverIndex_ = -1;
  trackingLeave_ = false;
}

// ---- the in-place editor ----

void CListBoxEx::OpenEditor(int index) {
  if (editingList_ || index < 0 || index >= count()) return;
  RECT r;
  if (SendMessageW(hwnd(), LB_GETITEMRECT, index, LPARAM(&r)) == LB_ERR) return;
  RepaintEntry(index);
  HWND editor = CreateWindowExW(0, L"EDIT", text(index).c_str(),
                                WS_CHILD | WS_VISIBLE | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL,
                                r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!editor) return;
  if (!SetWindowSubclass(editor, &EditorProc, kEditorSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    DestroyWindow(editor);
    return;
  }
  editor_ = editor;
  editingIndex_ = index;
  editingList_ = this;
  SendMessageW(editor, EM_LIMITTEXT, kEditorTextLimit, 0);
  SendMessageW(editor, WM_SETFONT, WPARAM(font_.get()), FALSE);
  SendMessageW(editor, EM_SETSEL, 0, -1);
  SetFocus(editor);
}

void CListBoxEx::CommitEdit() {
  if (editingIndex_ < 0 || !editor_) return;
  const int index = std::exchange(editingIndex_, -1);  // no second commit from the focus loss
  std::wstring typed(size_t(kCommitTextLimit) + 1, L'\0');
  const int length = GetWindowTextW(editor_, typed.data(), kCommitTextLimit + 1);
  typed.resize(size_t(length > 0 ? length : 0));
  if (index < count()) {
    const std::uint32_t kept = data(index);
    const std::wstring stored = Stored(typed, int(kept >> 24));
    if (SendMessageW(hwnd(), LB_DELETESTRING, index, 0) != LB_ERR) {
      const int at = int(SendMessageW(hwnd(), LB_INSERTSTRING, index, LPARAM(stored.c_str())));
      if (at >= 0) Placed(at, kept);
    }
    SendMessageW(hwnd(), LB_SETCURSEL, index, 0);
  }
  CloseEditor();
  Invalidate(true);
  PostMessageW(notifyWindow(), kListEditDoneMessage, WPARAM(id_), LPARAM(index));
}

void CListBoxEx::CancelEdit() {
  if (editingIndex_ < 0 || !editor_) return;
  const int index = std::exchange(editingIndex_, -1);
  SendMessageW(hwnd(), LB_SETCURSEL, index, 0);
  CloseEditor();
  Invalidate(true);
}

void CListBoxEx::CloseEditor() {
  HWND editor = std::exchange(editor_, nullptr);
  editingIndex_ = -1;
  if (editingList_ == this) editingList_ = nullptr;
  if (!editor) return;
  // The focus comes back to the list rather than to wherever the platform
  // sends it; the editor's focus loss then finds nothing to commit.
  if (GetFocus() == editor) SetFocus(hwnd());
  DestroyWindow(editor);
}

LRESULT CALLBACK CListBoxEx::EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR data) {
  auto* list = reinterpret_cast<CListBoxEx*>(data);
  const bool current = list->editor_ == window;
  switch (message) {
    case WM_GETDLGCODE:
      // Enter and Escape belong to the editor, not to the dialog's buttons.
      return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
    case WM_CHAR:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
      break;
    case WM_KEYUP:
      if (current && wParam == VK_RETURN) return list->CommitEdit(), 0;
      if (current && wParam == VK_ESCAPE) return list->CancelEdit(), 0;
      break;
    case WM_KILLFOCUS: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      if (current && list->editingIndex_ >= 0) list->CommitEdit();
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, &EditorProc, kEditorSubclassId);
      if (current) {
        list->editor_ = nullptr;
        list->editingIndex_ = -1;
        if (editingList_ == list) editingList_ = nullptr;
      }
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace q730x
