// Start-up cost of the program against a minimal Qt Widgets program, side
// by side: wall time of a whole run (both end after about one second) and
// peak resident memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

struct RunResult {
  double seconds = 0;
  long peakKiB = 0;
  int status = -1;
};

RunResult RunOnce(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  RunResult r;
  struct rusage usage {};
  int status = 0;
  ::wait4(pid, &status, 0, &usage);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.peakKiB = usage.ru_maxrss;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

void Measure(benchmark::State& state, const std::vector<std::string>& argv) {
  long peak = 0;
  for (auto _ : state) {
    const RunResult r = RunOnce(argv);
    if (r.status != 0) {
      state.SkipWithError("the program did not exit with status 0");
      return;
    }
    state.SetIterationTime(r.seconds);
    peak = std::max(peak, r.peakKiB);
  }
  state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
}

// The configuration the measured runs read, removed again when they end.
class ConfigFile {
 public:
  ConfigFile() : path_(std::filesystem::temp_directory_path() / "kayoiji-startup-bench.dat") {
    std::ofstream(path_, std::ios::binary) << "DoMapping\tTrue\r\nExitTime\t0\r\n";
  }
  ~ConfigFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ConfigFile(const ConfigFile&) = delete;
  ConfigFile& operator=(const ConfigFile&) = delete;
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

void BM_Kayoiji(benchmark::State& state) {
  const ConfigFile config;
  Measure(state, {KAYOIJI_PROGRAM, "-f", config.Path()});
}
void BM_MinimalQtWindow(benchmark::State& state) {
  Measure(state, {MINIMAL_PROGRAM});
}

BENCHMARK(BM_MinimalQtWindow)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Kayoiji)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
