// SPDX-License-Identifier: GPL-3.0-or-later
// A small INI file reader and writer that keeps what it does not own.
#include "core/Ini.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "core/Core.h"
#include "core/FileIO.h"

namespace {

constexpr std::uint64_t kMaxIniSize = 16u << 20;  // a settings file is small; refuse anything huge
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // UTF-8, as Windows editors save

std::string Trim(const std::string& text) {
  std::size_t start = 0;
  std::size_t end = text.size();
  while (start < end && (text[start] == ' ' || text[start] == '\t')) ++start;
  while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(start, end - start);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<int> ParseIniInt(const std::string& text) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  std::size_t i = 0;
  if (trimmed[0] == '-' || trimmed[0] == '+') i = 1;
  if (i == trimmed.size()) return std::nullopt;
  for (std::size_t j = i; j < trimmed.size(); ++j) {
    if (!std::isdigit(static_cast<unsigned char>(trimmed[j]))) return std::nullopt;
  }
  errno = 0;
  const long long value = std::strtoll(trimmed.c_str(), nullptr, 10);
  if (errno != 0 || value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

IniFile IniFile::Parse(const std::string& text) {
  IniFile file;
  std::string section;
  std::size_t start = 0;
  if (text.starts_with(kByteOrderMark)) {
    file.byteOrderMark_ = true;
    start = kByteOrderMark.size();
  }
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool broken = end != std::string::npos;
    if (!broken) end = text.size();
    std::string raw = text.substr(start, end - start);
    start = end + 1;

    Line line;
    // One carriage return before the line break belongs to the line ending, which is kept so
    // that lines written back read exactly as they did.
    if (!raw.empty() && raw.back() == '\r') {
      raw.pop_back();
      line.ending = "\r\n";
    }
    if (broken && file.lines_.empty()) {
      file.newline_ = line.ending;  // the file's own line ending, for lines added later
    } else if (!broken && line.ending == "\n") {
      line.ending = file.newline_;  // an unbroken last line is written back as the others end
    }
    line.raw = raw;
    const std::string trimmed = Trim(raw);
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
      section = Trim(trimmed.substr(1, trimmed.size() - 2));
      line.header = true;
    } else if (!trimmed.empty() && trimmed[0] != ';' && trimmed[0] != '#') {
      const std::size_t equals = raw.find('=');
      if (equals != std::string::npos) {
        line.keyValue = true;
        line.key = Trim(raw.substr(0, equals));
        line.value = raw.substr(equals + 1);
      }
    }
    line.section = section;
    file.lines_.push_back(std::move(line));
  }
  return file;
}

IniFile IniFile::Read(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (ReadWholeFile(path, bytes, kMaxIniSize) != ReadResult::kOk) return {};
  return Parse(std::string(bytes.begin(), bytes.end()));
}

std::optional<std::string> IniFile::Get(const std::string& section, const std::string& key) const {
  for (const Line& line : lines_) {
    if (line.keyValue && SameName(line.section, section) && SameName(line.key, key)) {
      return line.value;
    }
  }
  return std::nullopt;
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  std::string oneLine = value;
  for (char& c : oneLine) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  for (Line& line : lines_) {
    if (line.keyValue && SameName(line.section, section) && SameName(line.key, key)) {
      line.value = oneLine;
      line.raw = line.key + "=" + oneLine;
      return;
    }
  }
  Line added;
  added.ending = newline_;
  added.section = section;
  added.keyValue = true;
  added.key = key;
  added.value = oneLine;
  added.raw = key + "=" + oneLine;

  // After the last key of the section, or straight after its header.
  std::optional<std::size_t> insertAt;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (SameName(lines_[i].section, section) && (lines_[i].header || lines_[i].keyValue)) {
      insertAt = i + 1;
    }
  }
  if (!insertAt) {
    Line header;
    header.ending = newline_;
    header.header = true;
    header.section = section;
    header.raw = "[" + section + "]";
    lines_.push_back(std::move(header));
    insertAt = lines_.size();
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*insertAt), std::move(added));
}

std::string IniFile::Text() const {
  std::string text(byteOrderMark_ ? kByteOrderMark : std::string_view());
  for (const Line& line : lines_) {
    text += line.raw;
    text += line.ending;
  }
  return text;
}

bool IniFile::Write(const std::string& path) const {
  const std::string text = Text();
  const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
  // Settings are saved on every keystroke in the sample text: replaced atomically, not flushed.
  return SaveFileAtomically(path, ByteView(data, text.size()), AtomicFile::Durability::kNoFlush) ==
         SaveResult::kOk;
}

int IniFile::GetInt(const std::string& section, const std::string& key, int fallback) const {
  const auto text = Get(section, key);
  if (!text) return fallback;
  return ParseIniInt(*text).value_or(fallback);
}

bool IniFile::GetBool(const std::string& section, const std::string& key, bool fallback) const {
  return GetInt(section, key, fallback ? 1 : 0) != 0;
}

std::string IniFile::GetString(const std::string& section, const std::string& key,
                               const std::string& fallback) const {
  return Get(section, key).value_or(fallback);
}
