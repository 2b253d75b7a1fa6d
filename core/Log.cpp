// SPDX-License-Identifier: GPL-3.0-or-later
// The log: levelled, printf-formatted lines appended to one registered list.
#include "core/Log.h"

#include <cstdarg>
#include <cstdio>

namespace {
LogTarget* gTarget = nullptr;
}

LogTarget* SetLogTarget(LogTarget* target) {
  LogTarget* previous = gTarget;
  gTarget = target;
  return previous;
}

std::string FormatTextV(const char* format, std::va_list args) {
  std::va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::string FormatText(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = FormatTextV(format, args);
  va_end(args);
  return text;
}

bool LogWanted(int level) { return gTarget != nullptr && gTarget->ChosenLevel() >= level; }

void LogMessage(int level, const char* format, ...) {
  LogTarget* target = gTarget;
  if (target == nullptr) return;
  const bool shown = target->ChosenLevel() >= level;
  const bool notice = (level == kLogError || level == kLogWarning) && target->KeepsNotices();
  if (!shown && !notice) return;
  std::va_list args;
  va_start(args, format);
  const std::string line = OneLine(FormatTextV(format, args));
  va_end(args);
  if (shown) target->AppendLine(line);
  if (notice) target->Notice(level, line);
}

std::string OneLine(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    }
  }
  return out;
}
