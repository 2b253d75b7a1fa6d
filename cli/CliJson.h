// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's --json output, built with nlohmann-json and written in one layout.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

// Keys stay in the order they were set, as the outputs document them.
using Json = nlohmann::ordered_json;

// One line of JSON, without a newline: ", " between items and ": " after each key. Strings
// are UTF-8: a byte that is not part of a well-formed sequence shows as U+FFFD.
std::string JsonText(const Json& value);

// A JSON string literal with the needed escapes, in the same way.
std::string JsonString(const std::string& text);
