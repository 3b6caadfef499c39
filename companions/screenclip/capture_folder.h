// Where captures go, and claiming a new file there.
#pragma once

#include <optional>
#include <string>

#include "capture_file_name.h"

namespace q730x::screenclip {

// The folder named by the CaptureFolder switch (model/admin_overrides.h;
// tests use it so that they never write into the user's own pictures) when
// it is set, else the user's Pictures folder; created when missing. Ends in
// a backslash.
std::optional<std::wstring> CaptureFolder();

// Creates a new, empty file in folder named for the time, counting up on a
// clash, so an earlier capture is never overwritten. Its full path.
std::optional<std::wstring> ClaimCaptureFile(const std::wstring& folder, const CaptureTime& time);

}  // namespace q730x::screenclip
