// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's command table and the usage texts made from it. The manual page
// (data/man/velmoran-cli.1) and the bash completion (data/completion/velmoran-cli) list the same
// commands and options; a test reads the table and checks both.
#pragma once

#include <string>
#include <vector>

#include "cli/CliOptions.h"

// One command: its name ("sup show"), its usage lines as the tool's usage shows them (after
// two blanks), one paragraph of what it does, the file names its operands complete to in bash
// (an extended glob, "" for none) and its options. Adding a command or an option is one entry
// in CommandTable().
struct CommandSpec {
  const char* name;
  std::vector<const char*> synopsis;
  const char* summary;
  const char* files;
  std::vector<OptionSpec> options;
};

// Every command, in the order the usage lists them.
const std::vector<CommandSpec>& CommandTable();

// The options that stand before the command (--log-level) or instead of it (--help, --version).
const std::vector<OptionSpec>& GlobalOptions();

// The command named `name` ("sup show"; "color" is taken as "colour"), or nullptr.
const CommandSpec* FindCommandSpec(const std::string& name);

// The usage of the whole tool, printed by --help and after a usage error.
std::string UsageText();

// One command's usage, what it does and its options with their help, for COMMAND --help.
std::string CommandUsage(const CommandSpec& command);

// The usage of every command whose name starts with `group` ("sup"); empty when none does.
std::string GroupUsage(const std::string& group);

// The usage text printed after a usage error and by --help (UsageText()).
extern const char* const kUsageText;
