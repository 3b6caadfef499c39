// One download from the web to a file, always fetched anew from the server
// (never answered from the platform's web cache) and kept only when the
// server answered 200 with the whole body; and the SHA-256 of a file.
#pragma once

#include <cstdint>
#include <string>

namespace q730x {

// What a download may cost: a server that trickles, never ends its body,
// or redirects in a circle must not hold the downloading thread for ever.
struct DownloadLimits {
  std::uint64_t maxBytes = 0;  // a longer body fails the download
  unsigned timeLimitMs = 0;    // the whole download, redirects included
  unsigned maxRedirects = 5;
};

// Replaces `path` with what `url` answers; true on success. An earlier copy
// of the file is removed first, so a failed download never leaves it behind.
// A download that goes past its limits fails. Each network call waits at
// most the time left and the limit is checked between them, so a download
// ends when its time runs out (only name resolution has no time-out of its
// own in WinINet).
bool DownloadFresh(const std::wstring& url, const std::wstring& path, const DownloadLimits& limits);

// Lower-case hex digits of the file's SHA-256; empty when it cannot be read.
std::wstring FileSha256(const std::wstring& path);

}  // namespace q730x
