#include "platform/FileIO.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>

#include "platform/Errors.h"
#include "platform/FileIOShared.h"

namespace platform {

namespace fileio {

EInOutError EmptyName() {
  return EInOutError("ファイル名が指定されていません");
}

std::size_t NameStart(const std::string& path) {
  std::size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) --i;
  return i;
}

std::string RandomSuffix() {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  // Seeded from the clock and this process: random_device may throw where
  // the system offers no entropy, and these names need none.
  static std::mt19937 generator([] {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32),
                       static_cast<std::uint32_t>(ProcessId())};
    return std::mt19937(seed);
  }());
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kChars) - 2);
  std::string s(6, ' ');
  for (char& c : s) c = kChars[pick(generator)];
  return s;
}

bool IsTemporaryOf(const std::string& candidate, const std::string& prefix) {
  return candidate.size() == TemporaryNameLength &&
         candidate.compare(0, prefix.size(), prefix) == 0;
}

std::string InPlaceContents(const std::string& contents) {
  return contents + "\r\n";
}

}  // namespace fileio

std::string TemporaryNamePrefix(const std::string& name) {
  // FNV-1a: a short tag that tells the targets in one folder apart.
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
  char tag[9];
  std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(hash));
  return std::string(".kayoiji-") + tag + ".";
}

}  // namespace platform
