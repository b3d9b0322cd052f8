// A scripted stand-in for the platform: network, keyboard, OS identity, the
// application object, message boxes (the one recording double) and the
// main window's view. Every call
// goes into one log, in order, so tests can check sequences; hooks let a
// test run code inside a pump, a box or the connection call (re-entrancy).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "connect/ConnectUnit.h"
#include "platform/Services.h"
#include "support/RecordingBoxes.h"

namespace testsupport {

class ScriptedPlatform : public platform::NetworkService,
                         public platform::Keyboard,
                         public platform::OsIdentity,
                         public platform::Application,
                         public platform::Notifier,
                         public Connection::MainView {
 public:
  ScriptedPlatform();

  // The services record with everything wired to this double.
  platform::Services& Services() { return services_; }

  // ---- script ----
  std::deque<std::uint32_t> AddCodes;  // codes for the next AddConnection calls
  std::uint32_t DefaultAddCode = 0;    // once AddCodes is empty
  std::intptr_t ProbeHandle = 1;       // 0: the probe opens no search
  platform::OsVersion OsVersionValue;
  bool DrivesHidden = false;         // an elevated administrator's process
  std::function<void()> DuringAdd;   // runs inside AddConnection
  std::function<void()> DuringPump;  // runs inside ProcessMessages

  // The boxes, recorded and answered; each also goes into the log.
  RecordingBoxes Boxes;

  // ---- record ----
  std::vector<std::string> Log;
  std::vector<platform::NetResource> Requests;
  std::string CurrentTitle;
  std::string StateText = "待機中";
  std::string PathText;
  bool Ticked = false;
  bool Terminated = false;
  std::vector<std::vector<platform::FailedConnection>> Notices;
  int AddCount() const { return static_cast<int>(Requests.size()); }

  // NetworkService
  std::uint32_t AddConnection(const platform::NetResource& request, const std::string& password,
                              const std::string& userName, std::uint32_t flags) override;
  std::uint32_t CancelConnection(const std::string& localName, std::uint32_t flags,
                                 bool force) override;
  std::intptr_t ProbeOpen(const std::string& pattern, std::uint32_t attributeMask) override;
  void ProbeClose(std::intptr_t handle) override;
  // Keyboard
  void KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                  std::uintptr_t extraInfo) override;
  // OsIdentity
  platform::OsVersion Version() override { return OsVersionValue; }
  bool DrivesHiddenFromUser() override { return DrivesHidden; }
  // Application
  std::string Title() const override { return CurrentTitle; }
  void SetTitle(const std::string& title) override;
  void ProcessMessages() override;
  void Terminate() override;
  void Minimize() override { Log.push_back("minimize"); }
  // Notifier
  void ConnectionsFailed(const std::vector<platform::FailedConnection>& failed) override {
    Notices.push_back(failed);
  }
  // MainView
  bool NoErrorTicked() const override { return Ticked; }
  void SetNoErrorTicked(bool ticked) override { Ticked = ticked; }
  void SetStateText(const std::string& utf8) override;
  void SetPathText(const std::string& sjis) override;

 private:
  platform::Services services_;
  int pumpDepth_ = 0;
};

}  // namespace testsupport
