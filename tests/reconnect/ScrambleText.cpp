// Prints a password as the configuration file stores it, for test configurations.
#include <cstdio>

#include "settings/Scramble.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::puts(DefUnit::ScramblePassword(argv[1]).c_str());
  return 0;
}
