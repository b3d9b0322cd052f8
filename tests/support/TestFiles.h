// Scratch files for tests and the message-box double.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace testsupport {

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const;
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);

// The message-box double every test uses: records each box, runs
// WhileOpen while it stands "open" (its nested loop), then answers with the
// next queued answer, OK when none is queued. No box ever waits on a user.
class RecordingBoxes : public platform::MessageBoxes {
 public:
  platform::BoxAnswer Show(const platform::Box& box) override;
  std::vector<platform::Box> Shown;
  std::deque<platform::BoxAnswer> Answers;
  std::function<void(const platform::Box&)> WhileOpen;
};

}  // namespace testsupport
