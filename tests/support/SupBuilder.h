// SPDX-License-Identifier: GPL-3.0-or-later
// SUP files made in memory for tests and benchmarks, with a record of where each field went.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "tests/support/TempDir.h"

// A region of a colour/contrast change command (code 7): lines firstLine-lastLine (screen
// lines), and from each start column on a colour word and a contrast word.
struct ChangeRegion {
  struct Column {
    int column;
    int colour;
    int contrast;
  };
  int firstLine = 0;
  int lastLine = 0;
  std::vector<Column> columns;
};

// The whole change command: code 7, its size, the regions and the end mark.
Bytes ChangeCommand(const std::vector<ChangeRegion>& regions);

// Where the last control sequence of a unit links to.
enum class LastLink {
  kSelf,      // itself: the end, as authoring tools write it
  kBackward,  // the first sequence
  kOutside,   // past the end of the unit
};

// One subtitle packet: a 10-byte header and a subpicture unit with a picture and one or more
// control sequences. The first sequence's command list is either generated from the fields
// below or given verbatim in `commands`.
struct SupPacket {
  std::optional<int> colour = 0x3210;    // Cmd3 word; nullopt leaves Cmd3 out
  std::optional<int> contrast = 0xFFF0;  // Cmd4 word; nullopt leaves Cmd4 out
  bool contrastFirst = false;            // Cmd4 before Cmd3
  int colourChangeBytes = 0;             // > 0: a code-7 command with this many bytes after
                                         // its size field, placed before the colour commands
  int laterSequences = 1;                // control sequences after the first (stop display)
  std::size_t pictureBytes = 1500;       // coded picture between unit header and commands
  std::vector<std::uint8_t> commands{};  // non-empty: the first command list, used as given
  std::uint32_t timestamp = 0;           // written into the header; never read by the program
  std::vector<ChangeRegion> change{};    // non-empty: a change command after the colour commands
  std::vector<Bytes> later{};            // non-empty: the later sequences' command lists, as given
                                         // (end code included); replaces laterSequences
  LastLink lastLink = LastLink::kSelf;
  // Non-empty: rows of 2-bit pixel codes, run-length coded as the picture (in place of
  // pictureBytes), shown at (left, top) by the display area and field offsets of the first list.
  std::vector<Bytes> image{};
  int left = 100;
  int top = 400;
  bool forced = false;  // FSTA_DSP in place of STA_DSP
};

// Rows of 2-bit pixel codes, interlaced into a top and a bottom field and run-length coded as
// DVD subpictures are; `bottomField` is the bottom field's offset in the returned bytes.
Bytes EncodePicture(const std::vector<Bytes>& image, std::size_t& bottomField);
// A picture of `width` x `height` pixels in all four codes, in runs of varied length.
std::vector<Bytes> StripedImage(int width, int height, unsigned seed);

// Where the builder put a packet's parts, as file offsets.
struct SupPacketLayout {
  std::size_t offset = 0;        // first byte of the packet ("SP")
  std::size_t size = 0;          // header + unit
  std::size_t commandList = 0;   // first byte of the first command list
  std::optional<std::size_t> colourWord;    // argument word of the first Cmd3, if generated
  std::optional<std::size_t> contrastWord;  // argument word of the first Cmd4, if generated
  bool marker = false;
};

struct SupLayout {
  std::vector<SupPacketLayout> packets;  // every packet, the marker packet included
  // The packets that are subtitles (the marker packet left out).
  std::vector<SupPacketLayout> Subtitles() const;
};

class SupBuilder {
 public:
  // Begins the file with the text-to-subtitle converter's marker packet, `packetSize` bytes
  // long (at least 40). Its unit holds a Cmd3 and a Cmd4 of its own (words 0x5A5A, 0xA5A5)
  // that a save must leave alone.
  SupBuilder& Marker(std::size_t packetSize = 64);
  SupBuilder& Add(const SupPacket& packet = {});
  SupBuilder& Add(int count, const SupPacket& packet);
  // Appends bytes as they are, e.g. a damaged or truncated packet; not recorded in the layout.
  SupBuilder& Raw(const Bytes& bytes);

  Bytes Build(SupLayout* layout = nullptr) const;

 private:
  struct Part {
    enum Kind { kMarker, kPacket, kRaw } kind = kRaw;
    SupPacket packet;
    std::size_t markerSize = 0;
    Bytes raw;
  };
  std::vector<Part> parts_;
};

// A packet's unit as the builder lays it out, for tests that need one without a header.
Bytes BuildUnit(const SupPacket& packet, SupPacketLayout* layout = nullptr);
