// Window-shape regions in the Windows RGNDATA layout: reading and checking a
// block, its bounding box and moving it, without any window toolkit. The
// toolkit only turns the rectangles into a window shape (FormRgn).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace RegionData {

// Right and bottom are exclusive.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const Rect&) const = default;
};

inline constexpr std::uint32_t kHeaderSize = 32;  // RGNDATAHEADER.dwSize
inline constexpr std::uint32_t kRectangles = 1;   // RDH_RECTANGLES
inline constexpr std::uint32_t kRectSize = 16;
// Coordinates stay within the range window systems accept for regions
// (28-bit signed), so a move can never overflow an int.
inline constexpr std::int32_t kCoordinateLimit = (1 << 27) - 1;

// The failures of the shaping steps, as the user reads them.
inline constexpr const char* kCreateFailed = "ExtCreateRegionに失敗しました";
inline constexpr const char* kBoxFailed = "GetRgnBoxに失敗しました";
inline constexpr const char* kMoveFailed = "リージョンの移動に失敗しました";
inline constexpr const char* kCopyCombineFailed = "CombineRgnに失敗しました";
inline constexpr const char* kSetWindowFailed = "SetWindowRGNに失敗しました";

// A region as a list of non-empty rectangles; never empty.
class Region {
 public:
  // Reads a whole RGNDATA block: header size 32, type RDH_RECTANGLES, at
  // least one rectangle, the rectangle count, the rectangle byte size and the
  // block's length agreeing, and every rectangle non-empty and within the
  // coordinate limit. Anything else gives nothing. The header's bounding
  // rectangle is not trusted; the box is computed from the rectangles.
  static std::optional<Region> FromRgnData(std::span<const std::uint8_t> bytes);

  const std::vector<Rect>& Rects() const { return rects_; }
  Rect BoundingBox() const { return box_; }

  // Moves the region by (dx, dy). Returns false and leaves it where it was
  // when a coordinate would leave the limit.
  bool Offset(std::int64_t dx, std::int64_t dy);
  // Moves the region so that its bounding box starts at (x, y); false as
  // Offset.
  bool MoveTo(std::int64_t x, std::int64_t y);

  bool Contains(std::int32_t x, std::int32_t y) const;

 private:
  explicit Region(std::vector<Rect> rects);
  std::vector<Rect> rects_;
  Rect box_;
};

// The RGNDATA block for `rects`, with the header's bounding rectangle
// computed from them (all zero when there are none).
std::vector<std::uint8_t> ToRgnData(const std::vector<Rect>& rects);

// The "DATA" block that carries a file's bytes: the count as a 4-byte
// little-endian signed integer, then the bytes.
std::vector<std::uint8_t> ToDataBlock(std::span<const std::uint8_t> bytes);

}  // namespace RegionData
