#include "support/ScriptedPlatform.h"

namespace testsupport {

ScriptedPlatform::ScriptedPlatform() {
  services_.Boxes = &Boxes;
  services_.App = this;
  services_.Network = this;
  services_.Keys = this;
  services_.Os = this;
  services_.Notices = this;
  services_.CommandLine = {"kayoiji"};
  Boxes.WhileOpen = [this](const platform::Box& box) {
    Log.push_back("box " + box.Title + " " + box.Text + " (title " + CurrentTitle + ", state " +
                  StateText + ")");
  };
}

std::uint32_t ScriptedPlatform::AddConnection(const platform::NetResource& request,
                                              const std::string& password,
                                              const std::string& userName, std::uint32_t flags) {
  Requests.push_back(request);
  Log.push_back("add " + request.LocalName + " " + request.RemoteName + " pw=" + password +
                " user=" + userName + " flags=" + std::to_string(flags));
  if (DuringAdd) DuringAdd();
  if (AddCodes.empty()) return DefaultAddCode;
  const std::uint32_t code = AddCodes.front();
  AddCodes.pop_front();
  return code;
}

std::uint32_t ScriptedPlatform::CancelConnection(const std::string& localName, std::uint32_t flags,
                                                 bool force) {
  Log.push_back("cancel " + localName + " flags=" + std::to_string(flags) +
                (force ? " force" : ""));
  return 0;
}

std::intptr_t ScriptedPlatform::ProbeOpen(const std::string& pattern, std::uint32_t mask) {
  Log.push_back("probe " + pattern + " mask=" + std::to_string(mask));
  return ProbeHandle;
}

void ScriptedPlatform::ProbeClose(std::intptr_t handle) {
  Log.push_back("probe-close " + std::to_string(handle));
}

void ScriptedPlatform::KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                                  std::uintptr_t extraInfo) {
  Log.push_back("key " + std::to_string(vk) + " " + std::to_string(scan) + " " +
                std::to_string(flags) + " " + std::to_string(extraInfo));
}

void ScriptedPlatform::SetTitle(const std::string& title) {
  CurrentTitle = title;
  Log.push_back("title " + title);
}

void ScriptedPlatform::ProcessMessages() {
  Log.push_back("pump");
  // A pump inside a pump's hook would recurse forever in a test.
  if (DuringPump && pumpDepth_ == 0) {
    ++pumpDepth_;
    DuringPump();
    --pumpDepth_;
  }
}

void ScriptedPlatform::Terminate() {
  Terminated = true;
  Log.push_back("terminate");
}

void ScriptedPlatform::SetStateText(const std::string& utf8) {
  StateText = utf8;
  Log.push_back("state " + utf8);
}

void ScriptedPlatform::SetPathText(const std::string& sjis) {
  PathText = sjis;
  Log.push_back("path " + sjis);
}

}  // namespace testsupport
