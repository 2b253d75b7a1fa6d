// Writes the seed corpus of every fuzz target into DIR/<target>/, from the test builders.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace {

void Seed(const std::string& dir, const std::string& target, const std::string& name,
          const Bytes& bytes) {
  const std::string folder = dir + "/" + target;
  ::mkdir(dir.c_str(), 0755);
  ::mkdir(folder.c_str(), 0755);
  WriteFileBytes(folder + "/" + name, bytes);
}

Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];

  Seed(dir, "fuzz_commands", "list", {0x01, 0x03, 0x32, 0x10, 0x04, 0xFF, 0xF0, 0xFF});
  Seed(dir, "fuzz_commands", "code7", {0x07, 0x00, 0x04, 0xAA, 0xBB, 0x03, 0x12, 0x34, 0xFF});
  Seed(dir, "fuzz_commands", "unit",
       {0, 17, 0, 6, 0xAA, 0xBB, 0, 0, 0, 6, 0x01, 0x03, 0x32, 0x10, 0x04, 0xFF, 0xF0});

  Seed(dir, "fuzz_settings", "first-start",
       FromText("[GeneralSettings]\nLogLevel=-1\nFontName=Arial\nFontSize=28\nFontBold=0\n"
                "FontItal=0\nSampleText=The Quick Brown Fox jumps over the Lazy Dog!\n"
                "Antialias=1\nOutline=7\nBackGround=0\n[VOB_Settings]\nFirstSubtitle=1\n"));
  Seed(dir, "fuzz_settings", "odd",
       FromText("; c\r\n[generalsettings]\r\nOutline=abc\r\nFontBold=2\r\n[X]\r\nk=v\r\n"));
  return 0;
}
