// What the hyperlink label needs from the platform: the browser's link
// colours and a way to open a web or mail address. Toolkit-free, so the
// Windows way of opening links is tested on any platform.
#pragma once

#include <cstdint>
#include <string>

namespace about {

// The four link settings as the texts they are stored as (UTF-8).
struct LinkSettings {
  std::string Normal = "0,0,255";     // caption colour while the mouse is away
  std::string Hover = "255,0,0";      // caption colour while the mouse is over it
  std::string Visited = "255,0,255";  // caption colour set by a click
  std::string UseHover = "no";        // "yes": underline only under the mouse
};

class LinkShell {
 public:
  virtual ~LinkShell() = default;
  // The browser's link settings; a setting that is not stored keeps its default.
  virtual LinkSettings ReadLinkColors() = 0;
  // The default value of a key under the classes root into `value` (empty
  // when it cannot be read). False only when the key does not open.
  virtual bool ReadClassesRootDefault(const std::string& keyName, std::string& value) = 0;
  // Opens `target` (UTF-8) as a web address or as a mail address. Nothing is
  // reported when no program takes it.
  virtual void OpenLink(const std::string& target, bool isMail) = 0;
};

// The shell of the platform built for (registry and shell on Windows, the
// desktop's URL handlers elsewhere). One instance for the process.
LinkShell& PlatformLinkShell();

// A registered command line without its placeholder: the first "%1" with its
// quotes, else the first bare %1, is removed together with the character
// before it; a placeholder at the very start stays. UTF-8 in and out.
std::string RemovePlaceholder(const std::string& commandLine);

// The Windows way of opening a link: the shell's "open" first (web addresses
// only), then the program registered for web pages or for mail, started with
// the target in the placeholder's place. Subclasses supply the calls.
class RegistryLinkShell : public LinkShell {
 public:
  void OpenLink(const std::string& target, bool isMail) final;

 protected:
  // ShellExecute "open" of `file`; true when it reported success (> 32).
  virtual bool ShellOpen(const std::string& file) = 0;
  // Starts a command line, shown; its result is of no interest.
  virtual void RunCommandLine(const std::string& commandLine) = 0;
};

}  // namespace about
