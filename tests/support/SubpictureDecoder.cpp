// SPDX-License-Identifier: GPL-3.0-or-later
// A subpicture decoder for tests, written apart from the program's command walk.
#include "tests/support/SubpictureDecoder.h"

#include <algorithm>
#include <set>

#include "files/SubtitlePicture.h"

namespace {

int At16(const Bytes& b, std::size_t p) { return b[p] << 8 | b[p + 1]; }

struct PixelControl {
  int column;
  int colour;
  int contrast;
};
struct LineControl {
  int first;
  int last;
  std::vector<PixelControl> columns;
};

// The state that control commands build up, sequence after sequence.
struct State {
  int colour = -1;
  int contrast = -1;
  int left = 0, right = -1, top = 0, bottom = -1;
  int topField = -1, bottomField = -1;
  std::vector<LineControl> lines;
};

struct NibbleReader {
  const Bytes& b;
  std::size_t pos;  // in nibbles
  std::size_t end;  // in nibbles
  bool Get(int& v) {
    if (pos >= end) return false;
    v = (b[pos / 2] >> (pos % 2 ? 0 : 4)) & 15;
    ++pos;
    return true;
  }
};

bool DecodeField(const Bytes& unit, std::size_t start, std::size_t end, int width,
                 std::vector<std::vector<int>>& rows) {
  NibbleReader r{unit, start * 2, end * 2};
  for (auto& row : rows) {
    row.assign(static_cast<std::size_t>(width), 0);
    int x = 0;
    while (x < width) {
      int v = 0, n = 0;
      if (!r.Get(v)) return false;
      // 1 to 4 nibbles: a value below 0x4, 0x10, 0x40 takes one nibble more.
      for (const int below : {0x4, 0x10, 0x40}) {
        if (v >= below) break;
        if (!r.Get(n)) return false;
        v = v << 4 | n;
      }
      const int count = v >> 2 == 0 ? width - x : v >> 2;
      for (int i = 0; i < count && x < width; ++i) row[static_cast<std::size_t>(x++)] = v & 3;
    }
    r.pos += r.pos % 2;  // next line on a byte boundary
  }
  return true;
}

std::optional<DecodedFrame> Render(const Bytes& unit, const State& s, std::size_t maxPixels, std::string& why) {
  DecodedFrame f;
  if (s.right < s.left || s.bottom < s.top || s.topField < 0) return f;  // nothing shown yet
  f.left = s.left;
  f.top = s.top;
  f.width = s.right - s.left + 1;
  f.height = s.bottom - s.top + 1;
  if (static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height) > maxPixels) {
    why = "picture too large";
    return std::nullopt;
  }
  std::vector<std::vector<int>> even(static_cast<std::size_t>((f.height + 1) / 2));
  std::vector<std::vector<int>> odd(static_cast<std::size_t>(f.height / 2));
  // Pixel data lies between the unit's first four bytes and its first control sequence.
  const std::size_t end = std::min<std::size_t>(unit.size(), static_cast<std::size_t>(At16(unit, 2)));
  if (s.topField < 4 || s.bottomField < 4 ||
      !DecodeField(unit, static_cast<std::size_t>(s.topField), end, f.width, even) ||
      !DecodeField(unit, static_cast<std::size_t>(s.bottomField), end, f.width, odd)) {
    why = "picture runs past its bytes";
    return std::nullopt;
  }
  for (int y = 0; y < f.height; ++y) {
    const auto& row = y % 2 ? odd[static_cast<std::size_t>(y / 2)] : even[static_cast<std::size_t>(y / 2)];
    for (int x = 0; x < f.width; ++x) {
      int colour = s.colour, contrast = s.contrast;
      const int line = f.top + y, column = f.left + x;
      for (const LineControl& lc : s.lines) {
        if (line < lc.first || line > lc.last) continue;
        for (const PixelControl& pc : lc.columns) {
          if (pc.column <= column) colour = pc.colour, contrast = pc.contrast;
        }
        break;
      }
      const int code = row[static_cast<std::size_t>(x)];
      f.pixels.push_back({code, colour < 0 ? -1 : colour >> (4 * code) & 15,
                          contrast < 0 ? -1 : contrast >> (4 * code) & 15});
    }
  }
  return f;
}

}  // namespace

std::optional<std::vector<DecodedFrame>> DecodeSubpicture(const Bytes& unit, std::string* why,
                                                          std::size_t maxPixels) {
  std::string reason;
  auto fail = [why](const std::string& text) -> std::optional<std::vector<DecodedFrame>> {
    if (why) *why = text;
    return std::nullopt;
  };
  if (unit.size() < 4) return fail("unit too short");
  std::vector<DecodedFrame> frames;
  State s;
  std::set<std::size_t> seen;
  std::size_t seq = static_cast<std::size_t>(At16(unit, 2));
  while (true) {
    if (!seen.insert(seq).second) return fail("sequences loop");
    if (seq + 4 > unit.size()) return fail("sequence outside the unit");
    const std::size_t next = static_cast<std::size_t>(At16(unit, seq + 2));
    std::size_t p = seq + 4;
    for (bool end = false; !end;) {
      if (p >= unit.size()) return fail("no end code");
      const int code = unit[p];
      const std::size_t length[] = {1, 1, 1, 3, 3, 7, 5};
      if (code < 7 && p + length[code] > unit.size()) return fail("command past the unit");
      switch (code) {
        case 0: case 1: case 2: break;
        case 3: s.colour = At16(unit, p + 1); break;
        case 4: s.contrast = At16(unit, p + 1); break;
        case 5:
          s.left = unit[p + 1] << 4 | unit[p + 2] >> 4;
          s.right = (unit[p + 2] & 15) << 8 | unit[p + 3];
          s.top = unit[p + 4] << 4 | unit[p + 5] >> 4;
          s.bottom = (unit[p + 5] & 15) << 8 | unit[p + 6];
          break;
        case 6:
          s.topField = At16(unit, p + 1);
          s.bottomField = At16(unit, p + 3);
          break;
        case 7: {
          if (p + 3 > unit.size()) return fail("change command past the unit");
          const std::size_t stop = p + 1 + static_cast<std::size_t>(At16(unit, p + 1));
          if (stop > unit.size()) return fail("change command past the unit");
          s.lines.clear();
          std::size_t q = p + 3;
          while (q + 4 <= stop && !(At16(unit, q) == 0x0FFF && At16(unit, q + 2) == 0xFFFF)) {
            LineControl lc{At16(unit, q) & 0xFFF, At16(unit, q + 2) & 0xFFF, {}};
            const int n = unit[q + 2] >> 4;
            q += 4;
            for (int i = 0; i < n; ++i, q += 6) {
              if (q + 6 > stop) return fail("change region past its command");
              lc.columns.push_back({At16(unit, q) & 0xFFF, At16(unit, q + 2), At16(unit, q + 4)});
            }
            s.lines.push_back(lc);
          }
          p = stop;
          continue;
        }
        case 0xFF: end = true; break;
        default: return fail("unknown command");
      }
      p += code == 0xFF ? 1 : length[code];
    }
    const auto frame = Render(unit, s, maxPixels, reason);
    if (!frame) return fail(reason);
    frames.push_back(*frame);
    if (next == seq) return frames;
    seq = next;
  }
}

std::string CompareEntryRemap(const Bytes& before, const Bytes& after, const std::array<int, 16>& entry,
                              const std::array<int, 16>& contrast, std::size_t maxPixels) {
  std::string why;
  const auto a = DecodeSubpicture(before, &why, maxPixels);
  if (!a) return "the original does not decode: " + why;
  const auto b = DecodeSubpicture(after, &why, maxPixels);
  if (!b) return "the remapped unit does not decode: " + why;
  if (a->size() != b->size()) return "the number of control sequences differs";
  for (std::size_t k = 0; k < a->size(); ++k) {
    const DecodedFrame& f = (*a)[k];
    const DecodedFrame& g = (*b)[k];
    if (f.left != g.left || f.top != g.top || f.width != g.width || f.height != g.height) {
      return "sequence " + std::to_string(k) + ": the display area differs";
    }
    for (std::size_t i = 0; i < f.pixels.size(); ++i) {
      DecodedPixel want = f.pixels[i];
      if (want.entry >= 0) {
        if (want.contrast >= 0 && contrast[static_cast<std::size_t>(want.entry)] >= 0) {
          want.contrast = contrast[static_cast<std::size_t>(want.entry)];
        }
        want.entry = entry[static_cast<std::size_t>(want.entry)];
      }
      if (!(g.pixels[i] == want)) {
        return "sequence " + std::to_string(k) + ", pixel " + std::to_string(i % static_cast<std::size_t>(f.width)) +
               "," + std::to_string(i / static_cast<std::size_t>(f.width)) + ": code " +
               std::to_string(g.pixels[i].code) + " entry " + std::to_string(g.pixels[i].entry) +
               " contrast " + std::to_string(g.pixels[i].contrast) + ", expected code " +
               std::to_string(want.code) + " entry " + std::to_string(want.entry) + " contrast " +
               std::to_string(want.contrast);
      }
    }
  }
  return {};
}

std::string CompareWithProgramDecoder(const Bytes& unit, int sequence) {
  std::string why;
  const auto frames = DecodeSubpicture(unit, &why);
  if (!frames) return "test decoder: " + why;
  SubpictureImage image;
  const SubpictureError error = DecodeSubpictureUnit(unit, image, sequence);
  if (error != SubpictureError::kNone) return SubpictureErrorText(error);
  if (sequence < 0) sequence = ReadSubpictureFacts(unit).shown;
  const DecodedFrame& f = (*frames)[static_cast<std::size_t>(sequence)];
  if (image.area.x != f.left || image.area.y != f.top || image.area.width != f.width || image.area.height != f.height) {
    return "the display area differs";
  }
  for (std::size_t i = 0; i < f.pixels.size(); ++i) {
    const int x = static_cast<int>(i % static_cast<std::size_t>(f.width));
    const int y = static_cast<int>(i / static_cast<std::size_t>(f.width));
    if (image.Entry(x, y) != f.pixels[i].entry || image.Contrast(x, y) != f.pixels[i].contrast) {
      return "pixel " + std::to_string(x) + "," + std::to_string(y) + ": entry " + std::to_string(image.Entry(x, y)) +
             " contrast " + std::to_string(image.Contrast(x, y)) + ", expected entry " +
             std::to_string(f.pixels[i].entry) + " contrast " + std::to_string(f.pixels[i].contrast);
    }
  }
  return {};
}
