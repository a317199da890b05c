// Text placed inside a quoted string of a generated script. Paths come from
// the user's disk and may hold quotes, backslashes or line breaks; escaped,
// they stay one string with exactly their own characters.
#pragma once

#include <string>
#include <string_view>

namespace torva {

// For a string between double quotes in the renderer's script language
// (ECMAScript strings).
std::string ScriptStringContent(std::string_view text);

// For a Python string between single or double quotes.
std::string PythonStringContent(std::string_view text);

}  // namespace torva
