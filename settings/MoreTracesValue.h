// The text of "MoreTraces": the chosen more traces' names, separated by
// commas ("chrome-history,temp"); blanks around a name do not count. A name
// holding a comma or a percent sign, or starting or ending with a blank, has
// those characters written as "%2C", "%25" and "%20" (a percent sign and
// the character's code in two hex digits). No built-in name holds any of
// them, so their names are written as they always were.
#pragma once

#include <string>
#include <vector>

// The names in `value`, decoded, empty ones left out.
std::vector<std::wstring> MoreTraceNamesOf(const std::wstring& value);
// The value that holds `names`.
std::wstring MoreTracesValueOf(const std::vector<std::wstring>& names);
