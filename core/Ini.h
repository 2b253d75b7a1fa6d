// SPDX-License-Identifier: GPL-3.0-or-later
// A small INI file reader and writer that keeps what it does not own.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The lines of an INI file: "[Section]" headers, "Key=Value" lines, and anything else
// (comments, blank lines, junk), which is kept as it was. Sections and keys match without
// regard to letter case; values are taken unchanged to the end of the line.
class IniFile {
 public:
  // Parses text; never fails. Lines may end in "\n" or "\r\n". A leading UTF-8 byte-order
  // mark is skipped and written back.
  static IniFile Parse(const std::string& text);
  // Reads the file at path; a missing or unreadable file gives an empty one.
  static IniFile Read(const std::string& path);

  std::optional<std::string> Get(const std::string& section, const std::string& key) const;
  // Replaces the key's value where it stands, or adds it at the end of its section (the
  // section is added at the end of the file when it is missing). Added lines end as the
  // file's first line break does ("\n" in a new file). Line breaks inside the value become
  // blanks, so a value is always one line.
  void Set(const std::string& section, const std::string& key, const std::string& value);

  std::string Text() const;
  // Writes the whole file atomically; false when it could not be written.
  bool Write(const std::string& path) const;

  // Integer reads: an optional sign and decimal digits, blanks around them allowed; anything
  // else, a value out of the int range, or a missing key gives the default.
  int GetInt(const std::string& section, const std::string& key, int fallback) const;
  // A boolean is an integer: 0 is false, any other number true.
  bool GetBool(const std::string& section, const std::string& key, bool fallback) const;
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& fallback) const;

 private:
  struct Line {
    std::string raw;      // the line as read or written, without its line break
    std::string ending = "\n";
    std::string section;  // the section it belongs to (for a header: its own name)
    bool header = false;
    bool keyValue = false;
    std::string key;      // trimmed
    std::string value;    // everything after the first '='
  };
  std::vector<Line> lines_;
  bool byteOrderMark_ = false;
  std::string newline_ = "\n";  // the ending of added lines
};

// Parses a whole decimal int, blanks around it allowed.
std::optional<int> ParseIniInt(const std::string& text);
