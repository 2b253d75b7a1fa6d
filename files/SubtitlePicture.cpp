// SPDX-License-Identifier: GPL-3.0-or-later
// The subpicture decoder: what a screen shows of one subtitle unit, pixel by pixel.
#include "files/SubtitlePicture.h"

#include <cstring>

#include "files/Fileifo.h"

const char* SubpictureErrorText(SubpictureError error) {
  switch (error) {
    case SubpictureError::kNone: return "no error";
    case SubpictureError::kCommands: return "its commands cannot be walked";
    case SubpictureError::kNoArea: return "no display area";
    case SubpictureError::kNoPixelData: return "no pixel data offsets";
    case SubpictureError::kFieldOutside: return "pixel data runs past its end";
    case SubpictureError::kNoSequence: return "no such control sequence";
  }
  return "unknown error";
}

namespace {

// A change command's line control, as offsets into the unit (checked by the walk).
struct LineRegion {
  std::size_t at = 0;
  std::size_t columns = 0;
};

// What the commands have set when a control sequence ends.
struct DisplayState {
  bool hasArea = false;
  int x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  bool hasFields = false;
  std::size_t topField = 0, bottomField = 0;
  int colour = 0;
  int contrast = 0;
  std::vector<LineRegion> regions;
};

// Follows the commands sequence by sequence and keeps the state at the end of each.
class StateCollector : public UnitCommandVisitor {
 public:
  explicit StateCollector(ByteView unit) : unit_(unit) {}

  void Sequence(int, std::size_t at) override {
    SubpictureSequence sequence;
    sequence.ticks = static_cast<std::int64_t>(Word(at)) * kTicksPerDelayUnit;
    sequences.push_back(sequence);
  }
  void Command(int, int code, std::size_t at) override {
    SubpictureSequence& sequence = sequences.back();
    switch (code) {
      case kCmdForcedStart: sequence.start = sequence.forced = true; break;
      case kCmdStart: sequence.start = true; break;
      case kCmdStop: sequence.stop = true; break;
      case kCmdColour: state_.colour = Word(at + 1); break;
      case kCmdContrast: state_.contrast = Word(at + 1); break;
      case kCmdArea:
        // Four 12-bit values: first and last column, first and last line.
        state_.hasArea = true;
        state_.x1 = unit_[at + 1] << 4 | unit_[at + 2] >> 4;
        state_.x2 = (unit_[at + 2] & 0xF) << 8 | unit_[at + 3];
        state_.y1 = unit_[at + 4] << 4 | unit_[at + 5] >> 4;
        state_.y2 = (unit_[at + 5] & 0xF) << 8 | unit_[at + 6];
        break;
      case kCmdFields:
        state_.hasFields = true;
        state_.topField = static_cast<std::size_t>(Word(at + 1));
        state_.bottomField = static_cast<std::size_t>(Word(at + 3));
        break;
      default: break;
    }
  }
  void ChangeBegin(int, std::size_t) override { state_.regions.clear(); }
  void ChangeLine(int, std::size_t at, std::size_t columns) override {
    state_.regions.push_back({at, columns});
  }
  void SequenceEnd(int) override { states.push_back(state_); }

  std::vector<SubpictureSequence> sequences;
  std::vector<DisplayState> states;  // one per sequence walked to its end

 private:
  int Word(std::size_t at) const { return unit_[at] << 8 | unit_[at + 1]; }

  ByteView unit_;
  DisplayState state_;
};

struct Walked {
  SubpictureFacts facts;
  std::vector<DisplayState> states;
};

Walked WalkUnit(ByteView unit) {
  Walked w;
  StateCollector collector(unit);
  w.facts.walk = WalkUnitCommands(unit, collector);
  w.states = std::move(collector.states);
  SubpictureFacts& f = w.facts;
  f.sequences = std::move(collector.sequences);
  f.forced = !f.sequences.empty() && f.sequences.front().forced;
  if (f.walk.error != WalkError::kNone) {
    f.error = SubpictureError::kCommands;
    return w;
  }
  const std::size_t count = f.sequences.size();
  std::size_t shown = 0;
  while (shown < count && !f.sequences[shown].start) ++shown;
  if (shown == count) shown = 0;
  f.shown = static_cast<int>(shown);
  const DisplayState& s = w.states[shown];
  if (s.hasArea && s.x2 >= s.x1 && s.y2 >= s.y1) {
    f.area = {s.x1, s.y1, s.x2 - s.x1 + 1, s.y2 - s.y1 + 1};
  }
  const SubpictureSequence& first = f.sequences[shown];
  if (first.start) f.start = first.ticks;
  for (std::size_t k = shown; k < count; ++k) {
    if (f.sequences[k].stop) {
      f.duration = f.sequences[k].ticks - (first.start ? first.ticks : 0);
      break;
    }
  }
  return w;
}

// Run-length coded rows of one field: `rows` rows of `width` 2-bit codes from byte `start`,
// each row beginning on a byte; nibbles at or past byte `end` are not read. Row r goes to
// out + r * stride.
bool DecodeField(ByteView unit, std::size_t start, std::size_t end, int width, int rows,
                 std::uint8_t* out, std::size_t stride) {
  std::size_t pos = start * 2;  // in nibbles
  const std::size_t stop = end * 2;
  const std::uint8_t* bytes = unit.data();
  const auto nibble = [&](int& value) {
    if (pos >= stop) return false;
    value = pos & 1 ? bytes[pos >> 1] & 0xF : bytes[pos >> 1] >> 4;
    ++pos;
    return true;
  };
  for (int r = 0; r < rows; ++r, out += stride) {
    int x = 0;
    while (x < width) {
      int v = 0;
      int n = 0;
      if (!nibble(v)) return false;
      // A value below 0x4, 0x10 or 0x40 is continued by one more nibble (1 to 4 in all).
      if (v < 0x4) {
        if (!nibble(n)) return false;
        v = v << 4 | n;
        if (v < 0x10) {
          if (!nibble(n)) return false;
          v = v << 4 | n;
          if (v < 0x40) {
            if (!nibble(n)) return false;
            v = v << 4 | n;
          }
        }
      }
      int run = v >> 2;  // 0 fills the rest of the line
      if (run == 0 || run > width - x) run = width - x;
      std::memset(out + x, v & 3, static_cast<std::size_t>(run));
      x += run;
    }
    pos += pos & 1;  // each row starts on a byte
  }
  return true;
}

// The entry and contrast byte of each code under a colour and a contrast word.
std::array<std::uint8_t, 4> CodeTable(int colour, int contrast) {
  std::array<std::uint8_t, 4> table{};
  for (int c = 0; c < 4; ++c) {
    table[static_cast<std::size_t>(c)] =
        static_cast<std::uint8_t>((colour >> (4 * c) & 0xF) | (contrast >> (4 * c) & 0xF) << 4);
  }
  return table;
}

int Word(ByteView unit, std::size_t at) { return unit[at] << 8 | unit[at + 1]; }

// Turns each row's codes into entry and contrast bytes: the sequence's words, or on a line a
// change command covers, from each listed column on that column's words.
void ApplyColours(ByteView unit, const DisplayState& s, SubpictureImage& image) {
  const auto base = CodeTable(s.colour, s.contrast);
  const SubpictureArea& a = image.area;
  for (int y = 0; y < a.height; ++y) {
    std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(a.width);
    const int line = a.y + y;
    const LineRegion* region = nullptr;
    for (const LineRegion& r : s.regions) {
      const int first = Word(unit, r.at) & 0xFFF;
      const int last = Word(unit, r.at + 2) & 0xFFF;
      if (line >= first && line <= last) {
        region = &r;
        break;
      }
    }
    if (region == nullptr) {
      for (int x = 0; x < a.width; ++x) row[x] = base[row[x]];
      continue;
    }
    // Few lines have regions: each pixel takes the last listed column at or left of it.
    std::array<std::array<std::uint8_t, 4>, 16> tables{};
    std::array<int, 16> columns{};
    const std::size_t n = region->columns;
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t q = region->at + kLineControlBytes + i * kPixelControlBytes;
      columns[i] = Word(unit, q) & 0xFFF;
      tables[i] = CodeTable(Word(unit, q + 2), Word(unit, q + 4));
    }
    for (int x = 0; x < a.width; ++x) {
      const std::array<std::uint8_t, 4>* table = &base;
      for (std::size_t i = 0; i < n; ++i) {
        if (columns[i] <= a.x + x) table = &tables[i];
      }
      row[x] = (*table)[row[x]];
    }
  }
}

}  // namespace

SubpictureFacts ReadSubpictureFacts(ByteView unit) { return WalkUnit(unit).facts; }

bool IsForcedUnit(ByteView unit) { return ReadSubpictureFacts(unit).forced; }

SubpictureError DecodeSubpictureUnit(ByteView unit, SubpictureImage& image, int sequence) {
  image = {};
  const Walked w = WalkUnit(unit);
  if (w.facts.error != SubpictureError::kNone) return w.facts.error;
  const int chosen = sequence < 0 ? w.facts.shown : sequence;
  if (chosen >= static_cast<int>(w.states.size())) return SubpictureError::kNoSequence;
  const DisplayState& s = w.states[static_cast<std::size_t>(chosen)];
  if (!s.hasArea || s.x2 < s.x1 || s.y2 < s.y1) return SubpictureError::kNoArea;
  if (!s.hasFields) return SubpictureError::kNoPixelData;
  // Pixel data lies between the unit's 4-byte header and its first control sequence (which the
  // walk found inside the unit).
  const std::size_t end = ReadBigEndianUnchecked(unit.data() + kControlOffsetField, 2);
  // Every row of a field takes at least one byte: a field too short for its rows is refused
  // before a picture is made for it. A one-line picture has no bottom field to check.
  const std::size_t height = static_cast<std::size_t>(s.y2 - s.y1 + 1);
  for (const auto& [offset, rows] : {std::pair{s.topField, (height + 1) / 2}, std::pair{s.bottomField, height / 2}}) {
    if (offset < 4 || (rows > 0 && (offset >= end || end - offset < rows))) return SubpictureError::kFieldOutside;
  }
  SubpictureImage out;
  out.area = {s.x1, s.y1, s.x2 - s.x1 + 1, s.y2 - s.y1 + 1};
  const std::size_t width = static_cast<std::size_t>(out.area.width);
  out.pixels.resize(width * static_cast<std::size_t>(out.area.height));
  const int rows = out.area.height;
  if (!DecodeField(unit, s.topField, end, out.area.width, (rows + 1) / 2, out.pixels.data(), 2 * width) ||
      !DecodeField(unit, s.bottomField, end, out.area.width, rows / 2, out.pixels.data() + width, 2 * width)) {
    return SubpictureError::kFieldOutside;
  }
  ApplyColours(unit, s, out);
  image = std::move(out);
  return SubpictureError::kNone;
}

void ImageToRgba(const SubpictureImage& image, const std::array<TColor, 16>& palette,
                 std::vector<std::uint8_t>& rgba) {
  // Every entry and contrast byte has one RGBA value.
  std::array<std::array<std::uint8_t, 4>, 256> table{};
  for (int v = 0; v < 256; ++v) {
    const TColor c = palette[static_cast<std::size_t>(v & 0xF)];
    table[static_cast<std::size_t>(v)] = {static_cast<std::uint8_t>(RedOf(c)), static_cast<std::uint8_t>(GreenOf(c)),
                                          static_cast<std::uint8_t>(BlueOf(c)),
                                          static_cast<std::uint8_t>((v >> 4) * 17)};
  }
  rgba.resize(image.pixels.size() * 4);
  std::uint8_t* out = rgba.data();
  for (const std::uint8_t p : image.pixels) {
    std::memcpy(out, table[p].data(), 4);
    out += 4;
  }
}

std::vector<std::uint8_t> UnitWithFirstWords(ByteView unit, int colour, int contrast) {
  std::vector<std::uint8_t> copy(unit.begin(), unit.end());
  const auto colourAt = FindUnitCommand(unit, kCmdColour);
  const auto contrastAt = FindUnitCommand(unit, kCmdContrast);
  if (colourAt && contrastAt) {
    WriteBigEndian(copy, *colourAt, static_cast<std::uint32_t>(colour & 0xFFFF), 2);
    WriteBigEndian(copy, *contrastAt, static_cast<std::uint32_t>(contrast & 0xFFFF), 2);
  }
  return copy;
}

std::array<TColor, 16> PaletteColours(const std::array<std::array<int, 3>, 16>& yCrCb) {
  std::array<TColor, 16> colours{};
  for (std::size_t i = 0; i < 16; ++i) colours[i] = YCrCbToColour(yCrCb[i][0], yCrCb[i][1], yCrCb[i][2]);
  return colours;
}
