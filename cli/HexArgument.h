// Palette hex texts given on the command line.
#pragma once

#include <string>

// Exactly six hex digits, either case; returns them in upper case. Throws UsageError naming
// `what` for anything else.
std::string ParseHexArgument(const std::string& text, const std::string& what);
