// Any stored password text: a password of at most 27 bytes or a conversion
// failure.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Errors.h"
#include "settings/DefUnit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const std::string plain = DefUnit::UnscramblePassword(text);
    if (plain.size() > DefUnit::MaxStorablePassword) __builtin_trap();
    if (DefUnit::PasswordStorable(plain) &&
        DefUnit::UnscramblePassword(DefUnit::ScramblePassword(plain)) != plain) {
      __builtin_trap();
    }
  } catch (const platform::EConvertError&) {
  }
  return 0;
}
