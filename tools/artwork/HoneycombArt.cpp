// Draws the main window's picture, a honeycomb of flat-topped hexagonal cells
// on black, and derives from it the region data that cuts the window to the
// picture's outline. Both go to data/ and are built into the program.
//
//   kayoiji_artwork DIR           writes DIR/honeycomb.bmp, DIR/honeycomb-region.dat
//   kayoiji_artwork --check DIR   fails when the files in DIR differ from a fresh drawing
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "region/RegionData.h"

namespace {

constexpr int kWidth = 384;
constexpr int kHeight = 128;
constexpr int kColours = 240;
constexpr int kInteriorShades = 160;  // palette 0..159: cell faces
constexpr int kEdgeFirst = 160;       // palette 160..238: cell edges
constexpr int kEdgeShades = 79;
constexpr std::uint8_t kBlack = 239;

// The region is stored 3 pixels right and 22 down of where the window puts
// it; the window moves it back to (7, 1).
constexpr int kStoredDx = 3;
constexpr int kStoredDy = 22;

// Cell geometry: vertices at (+-16, 0) and (+-8, +-14) from the centre.
// Columns are 24 apart; odd columns sit half a cell (14) lower.
constexpr double kHalfWidth = 16;
constexpr double kHalfHeight = 14;
constexpr double kSlantNormal = 16.1245154965971;  // |(14, 8)|
constexpr double kOutline = 1.0;                   // the outer edge reaches this far past the cells
constexpr double kEdgeWidth = 1.1;                 // edge line inside a cell

struct Cell {
  int col;
  int row;
  double cx() const { return 24.0 + 24.0 * col; }
  double cy() const { return (col % 2 == 0 ? 16.0 : 30.0) + 28.0 * row; }
};

// Columns 0..14, four rows each; two corner cells are left out to break the
// outline. A cell of column 15, cut by the picture's right border, fills the
// notch under the minimise and close buttons.
constexpr int kRightBorder = 377;  // the first column left black on the right

bool Included(const Cell& c) {
  if (c.col == 15 && c.row == 0) return true;
  if (c.col < 0 || c.col > 14 || c.row < 0 || c.row > 3) return false;
  if (c.col == 0 && c.row == 0) return false;
  if (c.col == 1 && c.row == 3) return false;
  return true;
}

// Signed distance from (x, y) to the cell's border, positive inside.
double Inside(const Cell& c, double x, double y) {
  const double dx = std::fabs(x - c.cx());
  const double dy = std::fabs(y - c.cy());
  return std::min(kHalfHeight - dy, (14.0 * kHalfWidth - 14.0 * dx - 8.0 * dy) / kSlantNormal);
}

// The tiling cell that holds (x, y), included or not.
Cell Holder(double x, double y, double& inside) {
  Cell best{0, 0};
  inside = -1e9;
  const int col0 = static_cast<int>(std::floor((x - 24.0) / 24.0));
  for (int col = col0 - 1; col <= col0 + 2; ++col) {
    const double base = (col % 2 == 0 ? 16.0 : 30.0);
    const int row0 = static_cast<int>(std::floor((y - base) / 28.0));
    for (int row = row0 - 1; row <= row0 + 2; ++row) {
      const Cell c{col, row};
      const double d = Inside(c, x, y);
      if (d > inside) {
        inside = d;
        best = c;
      }
    }
  }
  return best;
}

bool InShape(double x, double y) {
  if (x >= kRightBorder) return false;
  for (int col = 0; col <= 15; ++col) {
    for (int row = 0; row <= 3; ++row) {
      const Cell c{col, row};
      if (Included(c) && Inside(c, x, y) >= -kOutline) return true;
    }
  }
  return false;
}

// The picture is cut in bands of two rows (rows 1-2, 3-4, ..., 125-126,
// 127), and both rows of a band share one outline, so the region needs one
// rectangle per run and band. Row 0 stays black.
std::vector<std::vector<bool>> Shape() {
  std::vector<std::vector<bool>> mask(kHeight, std::vector<bool>(kWidth, false));
  for (int top = 1; top < kHeight; top += 2) {
    const int bottom = std::min(top + 2, kHeight);
    const double yc = (top + bottom) / 2.0;
    for (int x = 0; x < kWidth; ++x) {
      const bool in = InShape(x + 0.5, yc);
      for (int y = top; y < bottom; ++y) mask[y][x] = in;
    }
  }
  return mask;
}

double Clamp01(double v) {
  return std::clamp(v, 0.0, 1.0);
}

std::uint8_t Lerp(int a, int b, double t) {
  return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
}

// Blue, green, red, reserved.
std::array<std::uint8_t, kColours * 4> Palette() {
  std::array<std::uint8_t, kColours * 4> p{};
  auto set = [&](int i, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    p[i * 4] = b;
    p[i * 4 + 1] = g;
    p[i * 4 + 2] = r;
  };
  // Faces: pale grey-blue to dark blue; the curve darkens the middle tones
  // so the aqua captions stay readable.
  for (int i = 0; i < kInteriorShades; ++i) {
    const double t = std::pow(i / double(kInteriorShades - 1), 0.8);
    set(i, Lerp(150, 14, t), Lerp(164, 30, t), Lerp(196, 104, t));
  }
  for (int i = 0; i < kEdgeShades; ++i) {
    const double t = i / double(kEdgeShades - 1);
    set(kEdgeFirst + i, Lerp(34, 4, t), Lerp(52, 10, t), Lerp(150, 60, t));
  }
  set(kBlack, 0, 0, 0);
  return p;
}

std::vector<std::vector<std::uint8_t>> Draw(const std::vector<std::vector<bool>>& mask) {
  std::vector<std::vector<std::uint8_t>> pixels(kHeight, std::vector<std::uint8_t>(kWidth, kBlack));
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (!mask[y][x]) continue;
      const double px = x + 0.5;
      const double py = y + 0.5;
      // 0 at the lower left, 1 at the upper right.
      const double shade = 0.5 * (px / kWidth + 1.0 - py / kHeight);
      double inside = 0;
      const Cell c = Holder(px, py, inside);
      const bool cut = px + kEdgeWidth + 0.5 >= kRightBorder;
      if (!Included(c) || inside < kEdgeWidth || cut) {
        pixels[y][x] =
            static_cast<std::uint8_t>(kEdgeFirst + std::lround(shade * (kEdgeShades - 1)));
        continue;
      }
      // A slight bevel: each face is lighter towards its upper left.
      const double bevel = 0.05 * ((px - c.cx()) / kHalfWidth + (py - c.cy()) / kHalfHeight) + 0.03;
      pixels[y][x] =
          static_cast<std::uint8_t>(std::lround(Clamp01(shade + bevel) * (kInteriorShades - 1)));
    }
  }
  return pixels;
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, static_cast<std::uint16_t>(v));
  Put16(out, static_cast<std::uint16_t>(v >> 16));
}

std::vector<std::uint8_t> Bitmap(const std::vector<std::vector<std::uint8_t>>& pixels) {
  constexpr std::uint32_t kPixelOffset = 14 + 40 + kColours * 4;
  constexpr std::uint32_t kImageSize = kWidth * kHeight;  // 384 is a multiple of 4
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, kPixelOffset + kImageSize);
  Put32(out, 0);
  Put32(out, kPixelOffset);
  Put32(out, 40);
  Put32(out, kWidth);
  Put32(out, kHeight);  // positive: rows bottom-up
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, 0);  // BI_RGB
  Put32(out, kImageSize);
  Put32(out, 11808);
  Put32(out, 11808);
  Put32(out, kColours);
  Put32(out, kColours);
  const auto palette = Palette();
  out.insert(out.end(), palette.begin(), palette.end());
  for (int y = kHeight - 1; y >= 0; --y) out.insert(out.end(), pixels[y].begin(), pixels[y].end());
  return out;
}

std::vector<RegionData::Rect> Runs(const std::vector<std::vector<bool>>& mask) {
  std::vector<RegionData::Rect> rects;
  for (int top = 1; top < kHeight; top += 2) {
    const int bottom = std::min(top + 2, kHeight);
    for (int x = 0; x < kWidth;) {
      if (!mask[top][x]) {
        ++x;
        continue;
      }
      const int left = x;
      while (x < kWidth && mask[top][x]) ++x;
      rects.push_back({left + kStoredDx, top + kStoredDy, x + kStoredDx, bottom + kStoredDy});
    }
  }
  return rects;
}

bool Fail(const std::string& what) {
  std::fprintf(stderr, "kayoiji_artwork: %s\n", what.c_str());
  return false;
}

// The region, moved as the window moves it, must be exactly the picture's
// non-black pixels below row 0.
bool Consistent(const std::vector<std::uint8_t>& rgnData,
                const std::vector<std::vector<std::uint8_t>>& pixels) {
  auto region = RegionData::Region::FromRgnData(rgnData);
  if (!region) return Fail("region data does not read back");
  const RegionData::Rect stored = region->BoundingBox();
  if (!(stored == RegionData::Rect{10, 23, 380, 150})) return Fail("unexpected bounding box");
  region->Offset(7 - stored.left, 1 - stored.top);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool visible = y > 0 && pixels[y][x] != kBlack;
      if (region->Contains(x, y) != visible) return Fail("region and picture disagree");
    }
  }
  return true;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return out.good() || Fail("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::string(argv[1]) == "--check";
  if (argc != 2 && !check) {
    std::fprintf(stderr, "usage: kayoiji_artwork [--check] DIR\n");
    return 2;
  }
  const std::string dir = argv[argc - 1];

  const auto mask = Shape();
  const auto pixels = Draw(mask);
  const auto bitmap = Bitmap(pixels);
  const auto rects = Runs(mask);
  const auto rgnData = RegionData::ToRgnData(rects);
  if (!Consistent(rgnData, pixels)) return 1;
  const auto block = RegionData::ToDataBlock(rgnData);

  const std::string bmpPath = dir + "/honeycomb.bmp";
  const std::string rgnPath = dir + "/honeycomb-region.dat";
  if (check) {
    if (ReadFile(bmpPath) != bitmap || ReadFile(rgnPath) != block) {
      Fail("the files in " + dir + " are not what the generator draws; rebuild target artwork");
      return 1;
    }
    return 0;
  }
  if (!WriteFile(bmpPath, bitmap) || !WriteFile(rgnPath, block)) return 1;
  std::printf("%s: %zu bytes\n%s: %zu rectangles, %zu bytes\n", bmpPath.c_str(), bitmap.size(),
              rgnPath.c_str(), rects.size(), block.size());
  return 0;
}
