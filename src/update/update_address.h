// Where the update description lives: the maker's server over HTTPS, or the
// server named by the UpdateServer switch (scheme, host and port, for example
// http://127.0.0.1:8123; see model/admin_overrides.h), with the fixed path of
// the description.
#pragma once

#include <string>

namespace q730x {

inline constexpr wchar_t kDefaultUpdateServer[] = L"https://www.kavex.com";
inline constexpr wchar_t kUpdateDescriptionPath[] = L"/software/Q730X/newver.xml";

// The server part: the UpdateServer switch without trailing slashes when set
// and not empty, else the maker's server.
std::wstring UpdateServer();
// The full address of the update description.
std::wstring UpdateDescriptionUrl();

}  // namespace q730x
