// Opening links the registry way, and the desktop's handlers.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <map>

#include "platform/LinkShell.h"

namespace {

TEST(RemovePlaceholder, TakesThePlaceholderWithTheCharacterBeforeIt) {
  const std::pair<std::string, std::string> cases[] = {
      {R"(C:\b\view.exe -nohome "%1")", R"(C:\b\view.exe -nohome)"},
      {R"(C:\b\view.exe %1)", R"(C:\b\view.exe)"},
      {R"(mail.exe "%1" /compose)", R"(mail.exe /compose)"},
      // The quoted form wins over an earlier bare one.
      {R"(a.exe %1 "%1")", R"(a.exe %1)"},
      // Only the first placeholder goes.
      {R"(a.exe %1 %1)", R"(a.exe %1)"},
      // At the very start nothing is removed.
      {R"("%1" a.exe)", R"("%1" a.exe)"},
      {R"(%1 a.exe)", R"(%1 a.exe)"},
      {R"(a.exe -url)", R"(a.exe -url)"},
      {"", ""},
      // A double-byte character before the placeholder goes whole.
      {"開く\"%1\"", "開"},
      {"é%1 x", " x"},
  };
  for (const auto& [commandLine, expected] : cases) {
    EXPECT_EQ(about::RemovePlaceholder(commandLine), expected) << commandLine;
  }
}

// The registry and program-start calls, scripted.
class ScriptedRegistry : public about::RegistryLinkShell {
 public:
  about::LinkSettings ReadLinkColors() override { return {}; }
  bool ReadClassesRootDefault(const std::string& keyName, std::string& value) override {
    Calls.push_back("read " + keyName);
    const auto key = Keys.find(keyName);
    value = key == Keys.end() ? std::string() : key->second;
    return key != Keys.end();
  }
  std::map<std::string, std::string> Keys;
  bool ShellSucceeds = false;
  std::vector<std::string> Calls;

 protected:
  bool ShellOpen(const std::string& file) override {
    Calls.push_back("shell " + file);
    return ShellSucceeds;
  }
  void RunCommandLine(const std::string& commandLine) override {
    Calls.push_back("run " + commandLine);
  }
};

using Calls = std::vector<std::string>;

TEST(RegistryLinkShell, WebAddressTriesTheShellThenTheRegisteredBrowser) {
  ScriptedRegistry registry;
  registry.ShellSucceeds = true;
  registry.OpenLink("http://www.example.com/", false);
  EXPECT_EQ(registry.Calls, Calls{"shell http://www.example.com/"});

  registry.ShellSucceeds = false;
  registry.Calls.clear();
  registry.Keys = {{".htm", "PageFile"},
                   {"PageFile\\shell\\open\\command", R"("C:\b\view.exe" -nohome "%1")"}};
  registry.OpenLink("http://www.example.com/", false);
  EXPECT_EQ(registry.Calls, (Calls{"shell http://www.example.com/", "read .htm",
                                   "read PageFile\\shell\\open\\command",
                                   R"(run "C:\b\view.exe" -nohome http://www.example.com/)"}));
}

TEST(RegistryLinkShell, MissingKeysEndQuietly) {
  ScriptedRegistry registry;
  registry.OpenLink("http://www.example.com/", false);
  EXPECT_EQ(registry.Calls, (Calls{"shell http://www.example.com/", "read .htm"}));

  registry.Calls.clear();
  registry.Keys = {{".htm", "PageFile"}};
  registry.OpenLink("http://www.example.com/", false);
  EXPECT_EQ(registry.Calls.back(), "read PageFile\\shell\\open\\command");

  registry.Calls.clear();
  registry.OpenLink("info@example.com", true);
  EXPECT_EQ(registry.Calls, Calls{"read mailto\\shell\\open\\command"});
}

TEST(RegistryLinkShell, MailGoesStraightToTheMailProgramWithTheBareAddress) {
  ScriptedRegistry registry;
  registry.ShellSucceeds = true;
  registry.Keys = {{"mailto\\shell\\open\\command", R"(C:\m\mail.exe /m %1)"}};
  registry.OpenLink("info@example.com", true);
  EXPECT_EQ(registry.Calls, (Calls{"read mailto\\shell\\open\\command",
                                   R"(run C:\m\mail.exe /m info@example.com)"}));
}

}  // namespace

// Records what the desktop is asked to open.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> Urls;
 public slots:
  void Open(const QUrl& url) { Urls.append(url); }
};

TEST(PlatformLinkShell, OpensWebAndMailAddressesThroughTheDesktop) {
#ifndef _WIN32
  UrlRecorder recorder;
  QDesktopServices::setUrlHandler("http", &recorder, "Open");
  QDesktopServices::setUrlHandler("mailto", &recorder, "Open");
  about::PlatformLinkShell().OpenLink("http://www.example.com/a", false);
  about::PlatformLinkShell().OpenLink("info@example.com", true);
  QDesktopServices::unsetUrlHandler("http");
  QDesktopServices::unsetUrlHandler("mailto");
  ASSERT_EQ(recorder.Urls.size(), 2);
  EXPECT_EQ(recorder.Urls[0], QUrl("http://www.example.com/a"));
  EXPECT_EQ(recorder.Urls[1], QUrl("mailto:info@example.com"));
  // No registry here: every setting keeps its default.
  const about::LinkSettings settings = about::PlatformLinkShell().ReadLinkColors();
  EXPECT_EQ(settings.Normal, "0,0,255");
  EXPECT_EQ(settings.UseHover, "no");
#endif
}

#include "LinkShellTest.moc"
