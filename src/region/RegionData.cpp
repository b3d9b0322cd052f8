#include "region/RegionData.h"

#include <algorithm>
#include <utility>

namespace RegionData {

namespace {

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::int32_t ReadI32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::int32_t>(ReadU32(bytes, offset));
}

void WriteU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void WriteRect(std::vector<std::uint8_t>& out, const Rect& r) {
  WriteU32(out, static_cast<std::uint32_t>(r.left));
  WriteU32(out, static_cast<std::uint32_t>(r.top));
  WriteU32(out, static_cast<std::uint32_t>(r.right));
  WriteU32(out, static_cast<std::uint32_t>(r.bottom));
}

bool InRange(std::int64_t v) {
  return v >= -kCoordinateLimit && v <= kCoordinateLimit;
}

bool WellFormed(const Rect& r) {
  return r.left < r.right && r.top < r.bottom && InRange(r.left) && InRange(r.top) &&
         InRange(r.right) && InRange(r.bottom);
}

Rect Bounds(const std::vector<Rect>& rects) {
  if (rects.empty()) return {};
  Rect box = rects.front();
  for (const Rect& r : rects) {
    box.left = std::min(box.left, r.left);
    box.top = std::min(box.top, r.top);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
  }
  return box;
}

}  // namespace

Region::Region(std::vector<Rect> rects) : rects_(std::move(rects)), box_(Bounds(rects_)) {}

std::optional<Region> Region::FromRgnData(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  const std::uint32_t headerSize = ReadU32(bytes, 0);
  const std::uint32_t type = ReadU32(bytes, 4);
  const std::uint32_t count = ReadU32(bytes, 8);
  const std::uint32_t rectBytes = ReadU32(bytes, 12);
  if (headerSize != kHeaderSize || type != kRectangles || count == 0) return std::nullopt;
  // 64-bit products: a huge count must not wrap around to a small size.
  const std::uint64_t expected = std::uint64_t{count} * kRectSize;
  if (rectBytes != expected || bytes.size() - kHeaderSize != expected) return std::nullopt;

  std::vector<Rect> rects;
  rects.reserve(count);
  for (std::size_t offset = kHeaderSize; offset < bytes.size(); offset += kRectSize) {
    Rect r{ReadI32(bytes, offset), ReadI32(bytes, offset + 4), ReadI32(bytes, offset + 8),
           ReadI32(bytes, offset + 12)};
    if (!WellFormed(r)) return std::nullopt;
    rects.push_back(r);
  }
  return Region(std::move(rects));
}

bool Region::Offset(std::int64_t dx, std::int64_t dy) {
  if (!InRange(box_.left + dx) || !InRange(box_.right + dx) || !InRange(box_.top + dy) ||
      !InRange(box_.bottom + dy)) {
    return false;
  }
  const auto x = static_cast<std::int32_t>(dx);
  const auto y = static_cast<std::int32_t>(dy);
  for (Rect& r : rects_) r = {r.left + x, r.top + y, r.right + x, r.bottom + y};
  box_ = {box_.left + x, box_.top + y, box_.right + x, box_.bottom + y};
  return true;
}

bool Region::MoveTo(std::int64_t x, std::int64_t y) {
  return Offset(x - box_.left, y - box_.top);
}

bool Region::Contains(std::int32_t x, std::int32_t y) const {
  return std::any_of(rects_.begin(), rects_.end(), [&](const Rect& r) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
  });
}

std::vector<std::uint8_t> ToRgnData(const std::vector<Rect>& rects) {
  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + rects.size() * kRectSize);
  WriteU32(out, kHeaderSize);
  WriteU32(out, kRectangles);
  WriteU32(out, static_cast<std::uint32_t>(rects.size()));
  WriteU32(out, static_cast<std::uint32_t>(rects.size() * kRectSize));
  WriteRect(out, Bounds(rects));
  for (const Rect& r : rects) WriteRect(out, r);
  return out;
}

std::vector<std::uint8_t> ToDataBlock(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> out;
  out.reserve(4 + bytes.size());
  WriteU32(out, static_cast<std::uint32_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

}  // namespace RegionData
