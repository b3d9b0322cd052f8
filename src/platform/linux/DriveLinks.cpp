#include "platform/linux/DriveLinks.h"

#include <algorithm>

namespace platform::gio {

bool IsInside(std::string_view path, std::string_view root) {
  if (root.empty()) return false;
  while (root.size() > 1 && root.back() == '/') root.remove_suffix(1);
  return path.substr(0, root.size()) == root &&
         (path.size() == root.size() || path[root.size()] == '/' || root == "/");
}

std::string ReservationTarget(long pid) {
  return "/proc/" + std::to_string(pid);
}

bool IsReservation(std::string_view target) {
  constexpr std::string_view kProc = "/proc/";
  if (target.size() <= kProc.size() || target.substr(0, kProc.size()) != kProc) return false;
  target.remove_prefix(kProc.size());
  return std::all_of(target.begin(), target.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool MayUnmount(bool madeByThisConnection, std::string_view root,
                const std::vector<std::string>& inUse) {
  return madeByThisConnection && !root.empty() &&
         std::none_of(inUse.begin(), inUse.end(),
                      [&](const std::string& target) { return IsInside(target, root); });
}

}  // namespace platform::gio
