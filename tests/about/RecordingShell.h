// A link shell that hands out the settings a test gives it and records every
// link it is asked to open instead of opening it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/LinkShell.h"

class RecordingShell : public about::LinkShell {
 public:
  about::LinkSettings ReadLinkColors() override { return Settings; }
  bool ReadClassesRootDefault(const std::string&, std::string& value) override {
    value.clear();
    return false;
  }
  void OpenLink(const std::string& target, bool isMail) override {
    Opened.emplace_back(target, isMail);
  }

  about::LinkSettings Settings;
  std::vector<std::pair<std::string, bool>> Opened;  // target, as mail
};
