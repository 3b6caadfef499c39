// The look shared by the lists of the base function and macro pages: a dark
// list filling the page, with the skinned scroll bar from embedded bitmap 176.
#pragma once

#include <windows.h>

#include "skin/gdi_handles.h"
#include "skin/list_box_ex.h"

namespace q730x {

// Creates `list` with `id` at 0, 0, 372, 171 in `page`, in the pages'
// colours and entry height, and wraps it in the skinned scroll bar drawn from
// `scrollBitmap` (loaded here; the page keeps it for as long as the list lives).
bool CreatePageList(HWND page, CListBoxEx& list, int id, int entryHeight, UniqueBitmap& scrollBitmap);

}  // namespace q730x
