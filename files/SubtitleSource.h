// SPDX-License-Identifier: GPL-3.0-or-later
// The subtitles the viewer lists: those of the SUP document, or of one stream of a VOB scan.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Core.h"
#include "files/Filevob.h"
#include "files/SubtitlePicture.h"

class CFileSUP;

// A list of subtitles, each a subpicture unit with a time stamp.
class SubtitleSource {
 public:
  virtual ~SubtitleSource() = default;
  virtual int Count() const = 0;
  // Subtitle `index` (from 0): its time stamp in 90 kHz ticks, none when its packet has none.
  virtual std::optional<std::int64_t> Time(int index) const = 0;
  // Its subpicture unit: a view of the bytes the source holds, or of `buffer` when they had to
  // be read. Empty when there is no such subtitle or its bytes can't be read.
  virtual ByteView Unit(int index, std::vector<std::uint8_t>& buffer) const = 0;
};

// What a list shows of one subtitle, read from its unit's commands.
struct SubtitleRow {
  bool readable = false;        // false: the unit could not be read, nothing below is known
  SubpictureFacts facts;        // duration and forced
  std::optional<int> colour;    // the first SET_COLOR word of the first control sequence
  std::optional<int> contrast;  // the first SET_CONTR word
};
SubtitleRow DescribeSubtitle(const SubtitleSource& source, int index);

// The subtitles of the SUP document, read from the bytes it holds.
class SupSubtitles : public SubtitleSource {
 public:
  explicit SupSubtitles(const CFileSUP& sup) : sup_(sup) {}
  int Count() const override;
  std::optional<std::int64_t> Time(int index) const override;
  ByteView Unit(int index, std::vector<std::uint8_t>& buffer) const override;

 private:
  const CFileSUP& sup_;
};

// Where the subtitles of a VOB scan lie, stream by stream. Only the places of each unit's pieces
// are held; a unit's bytes are read from its files when it is asked for, so a scan of a whole
// disc costs about a hundred bytes per subtitle.
class VobSubtitleIndex {
 public:
  void Clear();
  // Takes the units one scan collected (CFileVOB::UnitFacts) from `path`, completed from
  // `nextPart` (empty when none).
  void Add(const std::vector<VobUnitFacts>& units, const std::string& path,
           const std::string& nextPart);
  // The streams holding at least one subtitle, in ascending order.
  std::vector<int> Streams() const;
  int Count(int stream) const;
  std::optional<std::int64_t> Time(int stream, int index) const;
  // Reads the unit into `buffer`; empty when it is not there or its files no longer hold it
  // (gone, shorter, or the bytes do not start with the size the scan found).
  ByteView Unit(int stream, int index, std::vector<std::uint8_t>& buffer) const;

 private:
  struct Place {
    int file = 0;  // into files_
    std::optional<std::int64_t> pts;
    int size = 0;
    std::vector<UnitPiece> pieces;
  };
  const Place* At(int stream, int index) const;

  std::vector<std::array<std::string, 2>> files_;  // the file scanned and its next part
  std::array<std::vector<Place>, kSubpictureStreams> streams_;
};

// One stream of a VOB scan as a subtitle list.
class VobStreamSubtitles : public SubtitleSource {
 public:
  VobStreamSubtitles(const VobSubtitleIndex& index, int stream) : index_(index), stream_(stream) {}
  int Stream() const { return stream_; }
  int Count() const override { return index_.Count(stream_); }
  std::optional<std::int64_t> Time(int index) const override { return index_.Time(stream_, index); }
  ByteView Unit(int index, std::vector<std::uint8_t>& buffer) const override {
    return index_.Unit(stream_, index, buffer);
  }

 private:
  const VobSubtitleIndex& index_;
  int stream_;
};
