// Text in a code page to the wide form the Unicode ("W") calls take, and back.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Empty for an empty text or one the code page cannot convert.
std::wstring Wide(const std::string& text, unsigned codePage);
// The same the other way; empty for an empty text.
std::string Narrow(std::wstring_view text, unsigned codePage);

}  // namespace platform
