// Start-up of two Windows programs side by side, run on Windows or under
// Wine: the time from creating the process to its first visible top-level
// window, in interleaved runs (A, B, A, B, ...) after one unmeasured run of
// each, so that both meet the same warm caches and the same session.
//   wine-start RUNS "COMMAND LINE A" "COMMAND LINE B"
// Each program is expected to end by itself after showing its window; one
// that has not ended 20 s after it is terminated. Prints every run, then
// each program's median, mean, minimum and maximum in milliseconds and the
// ratio of the medians (A / B).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD process = 0;
  bool found = false;
};

BOOL CALLBACK FindShown(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->process && IsWindowVisible(window)) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds to the first visible window, or a negative number.
double RunOnce(const std::wstring& command) {
  std::wstring line = command;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "cannot start the program (error %lu)\n", GetLastError());
    return -1;
  }
  double shown = -1;
  Search search{process.dwProcessId, false};
  while (WaitForSingleObject(process.hProcess, 2) == WAIT_TIMEOUT) {
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      LARGE_INTEGER now;
      QueryPerformanceCounter(&now);
      shown = 1000.0 * Seconds(start, now);
      break;
    }
  }
  if (WaitForSingleObject(process.hProcess, 20000) == WAIT_TIMEOUT) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return shown;
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(std::max(size, 1)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const std::size_t n = times.size();
  return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

void Summary(const char* label, const std::wstring& command, const std::vector<double>& times) {
  const auto [least, most] = std::minmax_element(times.begin(), times.end());
  const double mean =
      std::accumulate(times.begin(), times.end(), 0.0) / static_cast<double>(times.size());
  std::printf("%s\t%s\tmedian %.0f ms\tmean %.0f ms\tmin %.0f ms\tmax %.0f ms\truns %zu\n", label,
              Utf8(command).c_str(), Median(times), mean, *least, *most, times.size());
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 4 || _wtoi(argv[1]) < 1) {
    std::fprintf(stderr, "usage: wine-start RUNS \"COMMAND A\" \"COMMAND B\"\n");
    return 2;
  }
  const int runs = _wtoi(argv[1]);
  const std::wstring commands[2] = {argv[2], argv[3]};
  LocalFree(argv);
  std::vector<double> times[2];
  for (int run = -1; run < runs; ++run) {
    for (int which = 0; which < 2; ++which) {
      const double ms = RunOnce(commands[which]);
      if (ms < 0) {
        std::fprintf(stderr, "%c: no window shown\n", "AB"[which]);
        return 1;
      }
      if (run >= 0) times[which].push_back(ms);
      std::printf("%s\t%c\t%.0f ms\n", run < 0 ? "warm-up" : "run", "AB"[which], ms);
      std::fflush(stdout);
    }
  }
  Summary("A", commands[0], times[0]);
  Summary("B", commands[1], times[1]);
  std::printf("ratio A/B of the medians\t%.2f\n", Median(times[0]) / Median(times[1]));
  return 0;
}
