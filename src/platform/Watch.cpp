#include "platform/Watch.h"

#include "platform/Codec.h"

namespace platform {

namespace {

std::string WithoutTrailingBackslash(std::string name) {
  if (!name.empty() && name.back() == '\\') name.pop_back();
  return name;
}

}  // namespace

bool SameRemoteName(const std::string& a, const std::string& b) {
  const std::string x = WithoutTrailingBackslash(a);
  const std::string y = WithoutTrailingBackslash(b);
  if (x.size() != y.size()) return false;
  const auto fold = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (std::size_t i = 0; i < x.size();) {
    // The second byte of a double-byte character may fall on an ASCII letter.
    const std::size_t length = SjisCharLength(x, i);
    if (length > 1) {
      if (x.compare(i, length, y, i, length) != 0) return false;
    } else if (fold(x[i]) != fold(y[i])) {
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace platform
