// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's --json output, built with nlohmann-json and written in one layout.
#include "cli/CliJson.h"

namespace {

// A value that is neither an object nor an array, as nlohmann-json writes it; invalid UTF-8 is
// replaced rather than thrown.
std::string Scalar(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void Write(const Json& value, std::string& out) {
  if (value.is_object()) {
    out += '{';
    const char* separator = "";
    for (const auto& [key, item] : value.items()) {
      out += separator;
      out += Scalar(Json(key));
      out += ": ";
      Write(item, out);
      separator = ", ";
    }
    out += '}';
  } else if (value.is_array()) {
    out += '[';
    const char* separator = "";
    for (const Json& item : value) {
      out += separator;
      Write(item, out);
      separator = ", ";
    }
    out += ']';
  } else {
    out += Scalar(value);
  }
}

}  // namespace

std::string JsonText(const Json& value) {
  std::string out;
  Write(value, out);
  return out;
}

std::string JsonString(const std::string& text) { return Scalar(Json(text)); }
