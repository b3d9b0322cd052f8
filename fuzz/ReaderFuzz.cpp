// Any bytes as a configuration file: the settings read so far or a
// conversion failure, never a crash or a write out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Errors.h"
#include "settings/DefUnit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  DefUnit::RunningSettings settings;
  try {
    DefUnit::ReadSettingsText(settings, std::string(reinterpret_cast<const char*>(data), size));
  } catch (const platform::EConvertError&) {
  }
  if (settings.EntryCount < 0 || settings.EntryCount > DefUnit::MaxEntries) __builtin_trap();
  for (const auto& field : settings.NetPath) {
    if (field[DefUnit::FieldSize - 1] != '\0') __builtin_trap();
  }
  for (const auto& field : settings.UserPasswd) {
    if (DefUnit::FieldLength(field) > DefUnit::MaxStorablePassword) __builtin_trap();
  }
  return 0;
}
