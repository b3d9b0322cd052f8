#include "platform/windows/Win32Region.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <limits>
#include <vector>

namespace platform::windows {

Win32Region::~Win32Region() {
  if (region_ != nullptr) DeleteObject(region_);
}

RegionFailure Win32Region::Load(std::span<const std::uint8_t> rgnData) {
  // The call takes the size as a 32-bit count.
  const std::size_t size = rgnData.size();
  if (size < sizeof(RGNDATAHEADER) || size > 0x7FFFFFFF) return RegionFailure::Create;
  // ExtCreateRegion reads the block as RGNDATA: give it an aligned copy.
  std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  std::memcpy(buffer.data(), rgnData.data(), size);
  const auto* data = reinterpret_cast<const RGNDATA*>(buffer.data());
  // Some GDI implementations make a region of whatever they are given; a
  // block that does not hold what its header claims gives none anywhere.
  const RGNDATAHEADER& header = data->rdh;
  if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES ||
      std::uint64_t{header.nCount} * sizeof(RECT) > size - sizeof(RGNDATAHEADER)) {
    return RegionFailure::Create;
  }
  const HRGN created = ExtCreateRegion(nullptr, static_cast<DWORD>(size), data);
  if (created == nullptr) return RegionFailure::Create;
  if (region_ != nullptr) DeleteObject(region_);
  region_ = created;
  return RegionFailure::None;
}

RegionFailure Win32Region::Place(std::span<const std::uint8_t> rgnData, std::int32_t x,
                                 std::int32_t y) {
  if (const RegionFailure f = Load(rgnData); f != RegionFailure::None) return f;
  RECT box{};
  if (GetRgnBox(region_, &box) == 0) return RegionFailure::Box;
  const std::int64_t dx = std::int64_t{x} - box.left;
  const std::int64_t dy = std::int64_t{y} - box.top;
  constexpr std::int64_t kMin = std::numeric_limits<int>::min();
  constexpr std::int64_t kMax = std::numeric_limits<int>::max();
  if (dx < kMin || dx > kMax || dy < kMin || dy > kMax) return RegionFailure::Move;
  if (OffsetRgn(region_, static_cast<int>(dx), static_cast<int>(dy)) == ERROR) {
    return RegionFailure::Move;
  }
  return RegionFailure::None;
}

RegionFailure Win32Region::ApplyTo(HWND window) const {
  if (region_ == nullptr) return RegionFailure::None;
  // The window takes ownership of what it is given, so it gets a copy and
  // the region stays ours to apply again.
  const HRGN copy = CreateRectRgn(0, 0, 0, 0);
  if (copy == nullptr) return RegionFailure::CopyCreate;
  if (CombineRgn(copy, copy, region_, RGN_OR) == ERROR) {
    DeleteObject(copy);
    return RegionFailure::CopyCombine;
  }
  if (SetWindowRgn(window, copy, TRUE) == 0) {
    DeleteObject(copy);
    return RegionFailure::SetWindow;
  }
  return RegionFailure::None;
}

std::optional<RegionBox> Win32Region::BoundingBox() const {
  if (region_ == nullptr) return std::nullopt;
  RECT box{};
  if (GetRgnBox(region_, &box) == 0) return std::nullopt;
  return RegionBox{box.left, box.top, box.right, box.bottom};
}

bool Win32Region::Contains(std::int32_t x, std::int32_t y) const {
  return region_ != nullptr && PtInRegion(region_, x, y) != 0;
}

}  // namespace platform::windows
