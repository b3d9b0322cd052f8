// Links on Windows: the browser's link colours from the registry, web
// addresses through the shell, then the registered programs.
#include "platform/LinkShell.h"
#include "platform/windows/Win32Shell.h"

namespace about {

namespace {

class Win32LinkShell final : public RegistryLinkShell {
 public:
  LinkSettings ReadLinkColors() override {
    LinkSettings settings;
    const auto stored = platform::windows::ReadBrowserSettings(
        {"Anchor Color", "Anchor Color Hover", "Anchor Color Visited", "Use Anchor Hover Color"});
    if (stored[0]) settings.Normal = *stored[0];
    if (stored[1]) settings.Hover = *stored[1];
    if (stored[2]) settings.Visited = *stored[2];
    if (stored[3]) settings.UseHover = *stored[3];
    return settings;
  }

  bool ReadClassesRootDefault(const std::string& keyName, std::string& value) override {
    return platform::windows::ReadClassesRootDefault(keyName, value);
  }

 protected:
  bool ShellOpen(const std::string& file) override {
    return platform::windows::ShellExecuteOpen(file);
  }
  void RunCommandLine(const std::string& commandLine) override {
    platform::windows::WinExecShow(commandLine);
  }
};

}  // namespace

LinkShell& PlatformLinkShell() {
  static Win32LinkShell shell;
  return shell;
}

}  // namespace about
