// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's command table against what users read: each command's --help, the manual page
// and the bash completion list every option of every command.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "cli/CliUsage.h"
#include "tests/support/PosixOnly.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"

namespace {

std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadFileBytes(std::string(VELMORAN_SOURCE_DIR) + "/" + path);
  return std::string(bytes.begin(), bytes.end());
}

std::string Roff(const std::string& text) {
  std::string out;
  for (const char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
  return out;
}

// The words of `list` split at blanks, '|' and ')' ("--a | --b)" gives --a and --b).
std::set<std::string> Words(std::string list) {
  for (char& c : list) c = c == '|' || c == ')' ? ' ' : c;
  std::istringstream in(list);
  std::set<std::string> words;
  for (std::string word; in >> word;) words.insert(word);
  return words;
}

// True when `roff` has an item (.TP) for `option`.
bool HasItem(const std::string& roff, const std::string& option) {
  for (const char* macro : {".B ", ".BI ", ".BR "}) {
    for (const char* after : {" ", "\n"}) {
      if (roff.find("\n.TP\n" + std::string(macro) + Roff(option) + after) != std::string::npos)
        return true;
    }
  }
  return false;
}

// The completion's options="..." on the line of `command`.
std::set<std::string> CompletionOptions(const std::string& script, const std::string& command) {
  const std::size_t line = script.find("\"" + command + "\"");
  if (line == std::string::npos) return {"(no line)"};
  const std::size_t start = script.find("options=\"", line) + 9;
  return Words(script.substr(start, script.find('"', start) - start));
}

TEST(CommandTableTest, EveryCommandsHelpListsItsOptions) {
  for (const CommandSpec& command : CommandTable()) {
    const std::string name = command.name;
    const std::string group = name.substr(0, name.find(' ')),
                      action = name.substr(name.find(' ') + 1);
    const ProcessResult help = RunProcess({VELMORAN_CLI_PATH, group, action, "--help"});
    EXPECT_EQ(help.exitStatus, 0) << name;
    EXPECT_EQ(
        help.out.find(std::string("usage: velmoran-cli [--log-level N] ") + command.synopsis[0]),
        0u)
        << help.out;
    EXPECT_EQ(RunProcess({VELMORAN_CLI_PATH, "help", group, action}).out, help.out) << name;
    for (const OptionSpec& option : command.options) {
      const std::string shown =
          std::string("\n  ") + option.name + (option.takesValue ? " " : "  ");
      EXPECT_NE(help.out.find(shown + (option.takesValue ? option.value : "")), std::string::npos)
          << name << " " << option.name;
      EXPECT_NE(std::string(option.help), "") << name << " " << option.name;
    }
  }
}

TEST(CommandTableTest, HelpOfAGroupAndWhereHelpIsNoOption) {
  const ProcessResult group = RunProcess({VELMORAN_CLI_PATH, "vob", "--help"});
  EXPECT_EQ(group.exitStatus, 0);
  EXPECT_NE(group.out.find("usage: velmoran-cli [--log-level N] vob scan"), std::string::npos);
  EXPECT_NE(group.out.find("usage: velmoran-cli [--log-level N] vob remap"), std::string::npos);
  // An option's value and a word after "--" are no request for help; nor is an unknown command.
  EXPECT_EQ(RunProcess({VELMORAN_CLI_PATH, "sup", "remap", "in.sup", "-o", "--help"}).exitStatus, 2);
  EXPECT_EQ(RunProcess({VELMORAN_CLI_PATH, "sup", "show", "--", "--help"}).exitStatus, 1);
  EXPECT_EQ(RunProcess({VELMORAN_CLI_PATH, "help", "sup", "paint"}).exitStatus, 2);
}

TEST(CommandTableTest, ManualPageAndCompletionListEveryOption) {
  SKIP_ON_WINDOWS("the manual page and the completion are installed on Debian only");
  const std::string page = ReadText("data/man/velmoran-cli.1");
  const std::string script = ReadText("data/completion/velmoran-cli");
  const std::size_t prev = script.find("case $prev in");
  const std::string valueCases = script.substr(prev, script.find("esac", prev) - prev);
  for (const CommandSpec& command : CommandTable()) {
    const std::string name = command.name;
    // The command's own section of the manual page: one item per option.
    const std::size_t from = page.find(".SS \"" + name + "\"\n");
    ASSERT_NE(from, std::string::npos) << name;
    const std::string section = page.substr(from, page.find("\n.S", from + 1) - from);
    std::set<std::string> options;
    for (const OptionSpec& option : command.options) {
      options.insert(option.name);
      EXPECT_TRUE(HasItem(section, option.name))
          << name << " " << option.name << " in the manual page";
      if (option.takesValue) {
        EXPECT_TRUE(Words(valueCases).count(option.name)) << option.name << " completes no value";
      }
    }
    EXPECT_EQ(CompletionOptions(script, name), options) << name;
  }
  const std::size_t first = script.find("compgen -W \"sup ") + 12;
  const std::set<std::string> firstWords =
      Words(script.substr(first, script.find('"', first) - first));
  for (const OptionSpec& option : GlobalOptions()) {
    EXPECT_TRUE(HasItem(page, option.name)) << option.name;
    EXPECT_TRUE(firstWords.count(option.name)) << option.name;
  }
}

}  // namespace
