#include "platform/LinkShell.h"

namespace about {

namespace {

// Removes `placeholder` found at byte `at` together with the character
// before it. A whole character goes, not a byte of it, so a non-ASCII
// character before the placeholder leaves no broken byte behind.
std::string RemoveWithCharacterBefore(std::string text, std::size_t at, std::size_t length) {
  if (at == 0) return text;
  std::size_t from = at - 1;
  while (from > 0 && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) --from;
  text.erase(from, at + length - from);
  return text;
}

}  // namespace

std::string RemovePlaceholder(const std::string& commandLine) {
  const std::size_t quoted = commandLine.find("\"%1\"");
  if (quoted != std::string::npos) return RemoveWithCharacterBefore(commandLine, quoted, 4);
  const std::size_t bare = commandLine.find("%1");
  if (bare != std::string::npos) return RemoveWithCharacterBefore(commandLine, bare, 2);
  return commandLine;
}

void RegistryLinkShell::OpenLink(const std::string& target, bool isMail) {
  std::string commandKey;
  if (isMail) {
    // Mail goes to the registered mail program only: the shell's "open"
    // would not know a bare address.
    commandKey = "mailto\\shell\\open\\command";
  } else {
    if (ShellOpen(target)) return;
    std::string documentClass;
    if (!ReadClassesRootDefault(".htm", documentClass)) return;
    commandKey = documentClass + "\\shell\\open\\command";
  }
  std::string commandLine;
  if (!ReadClassesRootDefault(commandKey, commandLine)) return;
  RunCommandLine(RemovePlaceholder(commandLine) + " " + target);
}

}  // namespace about
