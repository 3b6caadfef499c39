// Tests point the utility and its companions at their stand-ins through the
// switches of model/admin_overrides.h. A test process that sets any of them
// removes them all again when it ends, so the next test starts from none.
#pragma once

namespace q730x::test {

// Sets one switch; a null value removes it. False when the registry refused.
bool SetOverride(const wchar_t* name, const wchar_t* value);

}  // namespace q730x::test
