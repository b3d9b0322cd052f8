// The reconnect watcher's cost while nothing happens, and the time from a
// network change to a lost share readable again.
//
// IdleCost needs a session bus (make bench runs it in dbus-run-session):
// the watcher's context switches (every thread's, voluntary or not) over an
// idle window of KAYOIJI_BENCH_IDLE_SECONDS (default 20), as wake-ups per
// minute, and its resident memory.
//
// EventToReadable needs the Samba fixture inside a network namespace of its
// own (make bench runs it through tests/reconnect/in-network-namespace.sh and
// tests/integration/smb-fixture.sh); elsewhere it is skipped. Each round the
// share is unmounted behind the watcher's back, the default route removed
// and added again, and the time taken until a file reads through the drive
// link again.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "settings/Scramble.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kSettleSeconds = 1;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The watcher on `config`, its standard error into `log`.
class Watcher {
 public:
  Watcher(const fs::path& config, const fs::path& log) : log_(log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const std::string settle = std::to_string(kSettleSeconds);
    std::vector<const char*> argv{
        KAYOIJI_RECONNECT_PROGRAM, "-f", config.c_str(), "--settle", settle.c_str(), nullptr};
    posix_spawn(&pid_, argv[0], &actions, nullptr, const_cast<char**>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Watcher() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  bool AwaitLine(const std::string& text, int seconds = 10) const {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      if (ReadAll(log_).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  // Context switches of every thread so far.
  long Switches() const {
    long total = 0;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid_) + "/task")) {
      std::ifstream status(task.path() / "status");
      for (std::string line; std::getline(status, line);) {
        if (line.find("ctxt_switches:") != std::string::npos) {
          total += std::stol(line.substr(line.find(':') + 1));
        }
      }
    }
    return total;
  }
  // "VmRSS" (all resident memory, the shared libraries' pages included) or
  // "RssAnon" (the watcher's own).
  long ResidentKiB(const std::string& key = "VmRSS") const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
    }
    return -1;
  }

 private:
  fs::path log_;
  pid_t pid_ = 0;
};

struct Scratch {
  Scratch() : dir(fs::temp_directory_path() / ("kayoiji-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(dir);
  }
  ~Scratch() { fs::remove_all(dir); }
  fs::path dir;
};

void IdleCost(benchmark::State& state) {
  if (Env("DBUS_SESSION_BUS_ADDRESS").empty()) {
    state.SkipWithError("no session bus (run it in dbus-run-session)");
    return;
  }
  const int seconds =
      Env("KAYOIJI_BENCH_IDLE_SECONDS").empty() ? 20 : std::stoi(Env("KAYOIJI_BENCH_IDLE_SECONDS"));
  Scratch scratch;
  std::ofstream(scratch.dir / "conf.dat") << "DoMapping\tTrue\r\n";
  Watcher watcher(scratch.dir / "conf.dat", scratch.dir / "log");
  if (!watcher.AwaitLine("待機中")) {
    state.SkipWithError("the watcher did not start");
    return;
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  for (auto _ : state) {
    const long before = watcher.Switches();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long after = watcher.Switches();
    state.SetIterationTime(seconds);
    state.counters["wakeups_per_minute"] = static_cast<double>(after - before) * 60.0 / seconds;
  }
  state.counters["resident_KiB"] = static_cast<double>(watcher.ResidentKiB());
  state.counters["anonymous_KiB"] = static_cast<double>(watcher.ResidentKiB("RssAnon"));
}
BENCHMARK(IdleCost)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

bool Run(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

void EventToReadable(benchmark::State& state) {
  const std::string host = Env("KAYOIJI_TEST_SMB_HOST");
  if (host.empty() || !Run("ip route show default | grep -q default")) {
    state.SkipWithError("needs the Samba fixture in a network namespace (make bench)");
    return;
  }
  Scratch scratch;
  const fs::path file = fs::path(Env("KAYOIJI_TEST_SMB_DIR")) / "bench.txt";
  std::ofstream(file) << "bench";
  Run("chown " + Env("KAYOIJI_TEST_SMB_USER") + " " + file.string());
  std::ofstream(scratch.dir / "conf.dat")
      << "DoMapping\tTrue\r\nNetPath\t\\\\" << host << "\\data\r\nLocalDrive\tB:\r\n"
      << "UserName\t" << Env("KAYOIJI_TEST_SMB_USER") << "\r\nUserPasswd\t"
      << DefUnit::ScramblePassword(Env("KAYOIJI_TEST_SMB_PASSWORD"))
      << "\r\nWaitTime\t0\r\nMaxError\t1\r\n";
  const fs::path through = fs::path(Env("HOME")) / "Drives" / "B" / "bench.txt";
  const auto readable = [&through] { return ReadAll(through) == "bench"; };
  const auto networkChange = [] { Run("ip route del default && ip route add default dev lo"); };

  Watcher watcher(scratch.dir / "conf.dat", scratch.dir / "log");
  watcher.AwaitLine("待機中");
  networkChange();
  for (auto _ : state) {
    const auto connected = Clock::now() + std::chrono::seconds(30);
    while (!readable() && Clock::now() < connected) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!readable()) {
      state.SkipWithError("the share did not become readable");
      break;
    }
    // Let the check end, then lose the mount behind the watcher's back.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    Run("gio mount -u " + Env("KAYOIJI_TEST_SMB_URI"));
    const auto start = Clock::now();
    networkChange();
    while (!readable() && Clock::now() - start < std::chrono::seconds(30)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  state.counters["settle_s"] = kSettleSeconds;
  // After checks and mounts: GIO's GVfs client is loaded by now.
  state.counters["resident_KiB"] = static_cast<double>(watcher.ResidentKiB());
  state.counters["anonymous_KiB"] = static_cast<double>(watcher.ResidentKiB("RssAnon"));
}
BENCHMARK(EventToReadable)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
