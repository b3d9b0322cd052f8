// The main window's shape as a GDI region: built from an RGNDATA block,
// moved so that its bounding box starts at a given point, and handed to a
// window as a copy. The Qt window applies the same rectangles with setMask;
// this is the Windows form of that region.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

// The handle types of windows.h (STRICT), without including it here.
struct HWND__;
struct HRGN__;

namespace platform::windows {

// The step that failed; the caller words the message.
enum class RegionFailure { None, Create, Box, Move, CopyCreate, CopyCombine, SetWindow };

struct RegionBox {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;  // exclusive
  std::int32_t bottom = 0;
  bool operator==(const RegionBox&) const = default;
};

// Owns at most one region and deletes it exactly once.
class Win32Region {
 public:
  Win32Region() = default;
  ~Win32Region();
  Win32Region(const Win32Region&) = delete;
  Win32Region& operator=(const Win32Region&) = delete;

  // ExtCreateRegion from the whole block (header and rectangles). On
  // failure the previous region stays; on success it is deleted, after the
  // new one exists.
  RegionFailure Load(std::span<const std::uint8_t> rgnData);
  // Load, then move the region so that its bounding box starts at (x, y).
  RegionFailure Place(std::span<const std::uint8_t> rgnData, std::int32_t x, std::int32_t y);
  // Gives `window` a copy of the region as its shape (the system owns the
  // copy from then on). Does nothing without a region.
  RegionFailure ApplyTo(HWND__* window) const;

  bool HasRegion() const { return region_ != nullptr; }
  HRGN__* Handle() const { return region_; }
  // GetRgnBox; nothing without a region or when the call fails.
  std::optional<RegionBox> BoundingBox() const;
  bool Contains(std::int32_t x, std::int32_t y) const;

 private:
  HRGN__* region_ = nullptr;
};

}  // namespace platform::windows
