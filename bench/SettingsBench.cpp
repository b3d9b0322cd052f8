// Loading and saving a full 26-entry configuration file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "settings/DefUnit.h"

namespace {

class NoBoxes : public platform::MessageBoxes {
 public:
  platform::BoxAnswer Show(const platform::Box&) override { return platform::BoxAnswer::Ok; }
};

DefUnit::ConnectionSettings FullSettings() {
  DefUnit::ConnectionSettings s;
  s.DoMapping = true;
  for (int i = 0; i < DefUnit::MaxEntries; ++i) {
    const std::string n = std::to_string(i + 1);
    DefUnit::SetField(s.NetPath[i], "\\\\fileserver" + n + "\\department-share-" + n);
    DefUnit::SetField(s.LocalDrive[i], std::string(1, static_cast<char>('A' + i)) + ":");
    DefUnit::SetField(s.UserName[i], "CORP\\user" + n);
    DefUnit::SetField(s.UserPasswd[i], "pass" + n);
    s.WaitTime[i] = i;
    s.MaxError[i] = 3;
  }
  return s;
}

std::string BenchFile() {
  return (std::filesystem::temp_directory_path() / "kayoiji-bench.dat").string();
}

void BM_LoadFullFile(benchmark::State& state) {
  const std::string path = BenchFile();
  DefUnit::SaveSettings(path, FullSettings());
  DefUnit::RunningSettings running;
  NoBoxes boxes;
  const std::vector<std::string> args = {"kayoiji", "-f", path};
  for (auto _ : state) {
    DefUnit::LoadSettings(running, args, boxes);
    benchmark::DoNotOptimize(running.EntryCount);
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadFullFile);

void BM_SaveFullFile(benchmark::State& state) {
  const std::string path = BenchFile();
  const DefUnit::ConnectionSettings s = FullSettings();
  for (auto _ : state) DefUnit::SaveSettings(path, s);
  std::filesystem::remove(path);
}
BENCHMARK(BM_SaveFullFile);

}  // namespace

BENCHMARK_MAIN();
