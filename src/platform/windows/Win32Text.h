// Text in a code page to the wide form the Unicode ("W") calls take.
#pragma once

#include <string>

namespace platform {

// Empty for an empty text or one the code page cannot convert.
std::wstring Wide(const std::string& text, unsigned codePage);

}  // namespace platform
