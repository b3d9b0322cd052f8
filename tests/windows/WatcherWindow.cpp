// Reaches the reconnect watcher as Windows does, once its window exists
// (waits up to ten seconds for it):
//   WatcherWindow resume   the resume broadcast to every top-level window,
//                          twice, as Windows may send it
//   WatcherWindow close    asks the watcher's window to close
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HWND window = nullptr;
  for (int i = 0; i < 100 && (window = FindWindowA("KayoijiReconnect", nullptr)) == nullptr; ++i) {
    Sleep(100);
  }
  if (window == nullptr) {
    std::puts("no watcher window");
    return 1;
  }
  if (std::strcmp(argv[1], "close") == 0) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    std::puts("asked the watcher to close");
    return 0;
  }
  for (int i = 0; i < 2; ++i) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0,
                        SMTO_ABORTIFHUNG, 5000, &answer);
  }
  std::puts("resume broadcast sent");
  return 0;
}
