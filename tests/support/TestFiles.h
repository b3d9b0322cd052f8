// Scratch files for tests and a message-box double that records boxes.
#pragma once

#include <filesystem>
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

// Records every box and answers OK (or the queued answers in order).
class RecordingBoxes : public platform::MessageBoxes {
 public:
  platform::BoxAnswer Show(const platform::Box& box) override;
  std::vector<platform::Box> Shown;
  std::vector<platform::BoxAnswer> Answers;
};

}  // namespace testsupport
