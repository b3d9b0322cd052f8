#include "platform/Codec.h"

namespace platform {

std::string CutSjis(const std::string& sjis, std::size_t maxBytes) {
  std::size_t i = 0;
  while (i < sjis.size()) {
    const std::size_t n = SjisCharLength(sjis, i);
    if (i + n > maxBytes) break;
    i += n;
  }
  return sjis.substr(0, i);
}

}  // namespace platform
