// One download from the web to a file, always fetched anew from the server
// (never answered from the platform's web cache) and kept only when the
// server answered 200 with the whole body; and the SHA-256 of a file.
#pragma once

#include <string>

namespace q730x {

// Replaces `path` with what `url` answers; true on success. An earlier copy
// of the file is removed first, so a failed download never leaves it behind.
bool DownloadFresh(const std::wstring& url, const std::wstring& path);

// Lower-case hex digits of the file's SHA-256; empty when it cannot be read.
std::wstring FileSha256(const std::wstring& path);

}  // namespace q730x
