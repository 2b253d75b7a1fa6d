// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's command table: every command and option with its help text.
#include "cli/CliUsage.h"

namespace {

// Options shared by several commands, worded once.
const OptionSpec kJson{"--json", false, false, "",
                       "Print the result as one line of JSON instead of text."};
const OptionSpec kOutput{
    "-o", true, false, "OUT",
    "Save to OUT, which may name the input file. The file is written beside OUT and "
    "renamed into place; a failed save leaves OUT as it was."};
const OptionSpec kEntries{"--entries", true, false, "A=B[,A=B...]",
                          "Palette entry A (0-15) becomes entry B wherever a colour command or a "
                          "colour/contrast change command names it; entries not named stay."};
const OptionSpec kContrast{"--contrast", true, false, "A=K[,A=K...]",
                           "Pixels whose colour was entry A get contrast K (0-15)."};
// The palette of pictures: an IFO file's program chain or a palette file.
const OptionSpec kPictureIfo{"--ifo", true, false, "IFO",
                             "Draw in the palette of this IFO file's first title program chain."};
const OptionSpec kPicturePgc{"--pgc", true, false, "N",
                             "With --ifo: title program chain N instead of the first."};
const OptionSpec kPicturePaletteFile{"--palette-file", true, false, "F",
                                     "Draw in the palette of a palette file (Y Cr Cb lines, an "
                                     ".rgb file or a VobSub .idx file); by default the IFO tab's "
                                     "default palette."};
const OptionSpec kDryRun{"--dry-run", false, false, "",
                         "Make every check and report what would change, per file; write nothing."};
const OptionSpec kNoProgress{"--no-progress", false, false, "",
                             "Draw no progress bar (none is drawn when standard error is not a "
                             "terminal)."};

}  // namespace

const std::vector<CommandSpec>& CommandTable() {
  static const std::vector<CommandSpec> table = {
      {"sup show",
       {"sup show FILE [--json]"},
       "Loads the SUP file and prints the number of subtitles, the first subtitle's colours and "
       "intensities and, when the subtitles use more than one, every mapping with the number of "
       "subtitles that use it.",
       "@(sup|SUP)",
       {kJson}},
      {"sup remap",
       {"sup remap FILE -o OUT --colours B,O,T,A --intensities B,O,T,A [--dry-run]",
        "sup remap FILE -o OUT --entries A=B[,A=B...] [--contrast A=K[,A=K...]] [--dry-run]"},
       "Saves the SUP file to OUT with its subtitles remapped: by slot (--colours and "
       "--intensities, the first colour and contrast command of each subtitle, as the window's "
       "Save SUP does) or by palette entry (--entries and --contrast, every colour command of "
       "every control sequence, so each subtitle keeps its own mapping).",
       "@(sup|SUP)",
       {kOutput,
        {"--colours", true, false, "B,O,T,A",
         "The palette entries (0-15) of Background, Outline, Text and Antialias."},
        {"--intensities", true, false, "B,O,T,A",
         "The intensities (0-15) of Background, Outline, Text and Antialias."},
        kEntries,
        kContrast,
        kDryRun}},
      {"ifo show",
       {"ifo show FILE|DIR [--json] [--all] [--pgc N] [--format yuv|rgb|idx]"},
       "Prints the 16 palette entries of the title set's first program chain, one a line: the "
       "entry's number and its hex text (Y Cr Cb). A VIDEO_TS folder stands for every IFO file "
       "in it, each shown as with --all.",
       "@(ifo|IFO)",
       {kJson,
        {"--all", false, false, "",
         "Every program chain's palette: titles, menus and the first-play chain, one line each."},
        {"--pgc", true, false, "N", "Title program chain N instead of the first."},
        {"--format", true, false, "yuv|rgb|idx",
         "Print the palette as a palette file: Y Cr Cb lines, RRGGBB lines or a VobSub "
         "palette: line."}}},
      {"ifo set",
       {"ifo set FILE -o OUT [--pgc N|all] [--palette H0,...,H15 | --palette-file F] "
        "[--entry I=HEX]... [--no-bup] [--dry-run]"},
       "Changes palette entries of the IFO file and saves it to OUT as the window's Save IFO "
       "does: all sixteen (--palette or --palette-file), then single entries (--entry). Only the "
       "palette bytes change; a backup twin (.BUP) beside OUT is rewritten with the same bytes.",
       "@(ifo|IFO)",
       {kOutput,
        {"--palette", true, false, "H0,...,H15", "Sixteen hex texts (Y Cr Cb) for all entries."},
        {"--palette-file", true, false, "F",
         "The sixteen entries from a palette file: Y Cr Cb lines, an .rgb file of RRGGBB lines "
         "or a VobSub .idx file's palette: line."},
        {"--entry", true, true, "I=HEX",
         "Entry I (0-15) becomes HEX; may be given more than once."},
        {"--pgc", true, false, "N|all",
         "Title program chain N instead of the first, or every program chain, each from its own "
         "palette."},
        {"--no-bup", false, false, "", "Leave the backup twin (.BUP) alone."},
        kDryRun}},
      {"vob scan",
       {"vob scan [--all] [--json] [--units] [--no-progress] FILE|DIR..."},
       "Scans each VOB file and prints which palette entries each slot used at which intensity "
       "(- where none did). A folder stands for its VOB files in name order; the parts of a "
       "title set are read as one stream. Ctrl-C cancels the scan.",
       "@(vob|VOB)",
       {{"--all", false, false, "", "Every subtitle, not only up to the first."},
        kJson,
        {"--units", false, false, "",
         "With --json: every subtitle unit counted, with its stream, offset, time stamp, colour "
         "and contrast words and size."},
        kNoProgress}},
      {"vob remap",
       {"vob remap FILE... [-o OUT] [--stream N] --entries A=B[,A=B...] [--contrast A=K[,A=K...]]",
        "vob remap FILE... --dry-run [--stream N] --entries A=B[,A=B...] [--no-progress]"},
       "Remaps the subtitles inside the VOB files by palette entry, as sup remap --entries does; "
       "only their colour and contrast bytes change. Every file is changed where it stands, and "
       "a failed or cancelled run leaves each as it was. Prints file: and remapped: for each "
       "file.",
       "@(vob|VOB)",
       {{"-o", true, false, "OUT", "With one FILE: write the result to OUT instead."},
        {"--stream", true, false, "N", "Only subpicture stream N (0-31); by default every stream."},
        kEntries,
        kContrast,
        kDryRun,
        kNoProgress}},
      {"sup pictures",
       {"sup pictures FILE DIR [--ifo IFO [--pgc N] | --palette-file F]"},
       "Writes one PNG picture per subtitle into DIR (0001.png, 0002.png, ...): the display "
       "area in the palette's colours, with contrast as transparency.",
       "@(sup|SUP)",
       {kPictureIfo, kPicturePgc, kPicturePaletteFile}},
      {"vob pictures",
       {"vob pictures FILE...|DIR DIR [--stream N] [--ifo IFO [--pgc N] | --palette-file F]"},
       "Writes one PNG picture per subtitle of the VOB files into DIR, per stream (s0-0001.png, "
       "...); parts of a title set continue each other.",
       "@(vob|VOB)",
       {{"--stream", true, false, "N", "Only subpicture stream N (0-31); by default every stream."},
        kPictureIfo,
        kPicturePgc,
        kPicturePaletteFile}},
      {"vob extract",
       {"vob extract FILE...|DIR -o OUT [--stream N] [--forced-only] [--absolute] [--no-progress]"},
       "Takes the subtitles of one stream out of the VOB files, byte for byte with their times, "
       "and writes OUT by its ending: .sup a SUP file, .idx a VobSub pair (OUT.idx and OUT.sub) "
       "with the palette, frame size and language of the title set's IFO beside the VOBs. Parts "
       "of a title set continue each other; a folder stands for its title VOBs. Times count from "
       "the start of the first file. Prints stream: and subtitles:.",
       "@(vob|VOB)",
       {{"-o", true, false, "OUT",
         "The .sup or .idx file to write (- writes a SUP file to standard output)."},
        {"--stream", true, false, "N",
         "Subpicture stream N (0-31); by default the first stream that has subtitles."},
        {"--forced-only", false, false, "", "Only the forced subtitles."},
        {"--absolute", false, false, "",
         "Keep the VOB's time stamps instead of counting from the start of the first file."},
        kNoProgress}},
      {"sup to-vobsub",
       {"sup to-vobsub FILE -o OUT.idx [--ifo IFO [--pgc N] | --palette-file F] [--language xx]"},
       "Writes the SUP file's subtitles as a VobSub pair, OUT.idx and OUT.sub: the same units "
       "with the same 90 kHz times, the palette in the .idx.",
       "@(sup|SUP)",
       {{"-o", true, false, "OUT.idx",
         "Write OUT.idx and the .sub beside it; both are written beside their names and renamed "
         "into place."},
        {"--ifo", true, false, "IFO",
         "The palette of this IFO file's first title program chain, and the frame size of its "
         "video for the size line (720x576 without --ifo)."},
        kPicturePgc,
        {"--palette-file", true, false, "F",
         "The palette of a palette file (Y Cr Cb lines, an .rgb file or a VobSub .idx file); by "
         "default the IFO tab's default palette."},
        {"--language", true, false, "xx", "The stream's two-letter language code; default en."}}},
      {"vobsub to-sup",
       {"vobsub to-sup FILE.idx -o OUT.sup [--stream N]"},
       "Writes the subtitles of one stream of a VobSub pair as a SUP file: the same units with "
       "the 90 kHz times of the .sub.",
       "@(idx|IDX)",
       {kOutput,
        {"--stream", true, false, "N",
         "The stream with index N (0-31); by default the first that has subtitles."}}},
      {"vobsub show",
       {"vobsub show FILE.idx [--json]"},
       "Reads a VobSub pair and prints its streams (index, language, subtitles, forced), its "
       "size, its palette as the .idx holds it and its custom colors: line.",
       "@(idx|IDX)",
       {kJson}},
      {"vobsub set",
       {"vobsub set FILE.idx -o OUT.idx [--palette H0,...,H15 | --palette-file F] "
        "[--entry I=HEX]... [--dry-run]"},
       "Rewrites the palette: line of the .idx (hex texts Y Cr Cb, written as RGB); every other "
       "line stays. The .sub is not changed; with another OUT it is copied beside OUT.idx.",
       "@(idx|IDX)",
       {{"-o", true, false, "OUT.idx", "Save to OUT.idx, which may name the input file."},
        {"--palette", true, false, "H0,...,H15", "Sixteen hex texts (Y Cr Cb) for all entries."},
        {"--palette-file", true, false, "F",
         "The sixteen entries from a palette file: Y Cr Cb lines, an .rgb file or a VobSub .idx "
         "file's palette: line."},
        {"--entry", true, true, "I=HEX",
         "Entry I (0-15) becomes HEX; may be given more than once."},
        kDryRun}},
      {"vobsub remap",
       {"vobsub remap FILE.idx [-o OUT.idx] [--stream N] --entries A=B[,A=B...] "
        "[--contrast A=K[,A=K...]] [--dry-run]"},
       "Remaps the subtitles in the .sub by palette entry, as vob remap does in VOB files: in "
       "place, or into OUT.idx and the .sub beside it.",
       "@(idx|IDX)",
       {{"-o", true, false, "OUT.idx", "Write OUT.idx and its .sub instead of changing the pair."},
        {"--stream", true, false, "N", "Only the stream with index N (0-31); by default every stream."},
        kEntries,
        kContrast,
        kDryRun}},
      {"colour to-ycrcb",
       {"colour to-ycrcb R,G,B"},
       "Prints the palette hex text (Y Cr Cb) of a screen colour, as the IFO tab converts it.",
       "",
       {}},
      {"colour to-rgb",
       {"colour to-rgb HEX"},
       "Prints the screen colour R,G,B of a palette hex text, as the IFO tab converts it.",
       "",
       {}},
  };
  return table;
}

const std::vector<OptionSpec>& GlobalOptions() {
  static const std::vector<OptionSpec> options = {
      {"--log-level", true, false, "N",
       "Which log lines reach standard error: -1 (none) to 10 (all); default 4, warnings."},
      {"--help", false, false, "", "Print the usage, of the tool or of one command."},
      {"--version", false, false, "", "Print the version."},
      {"-V", false, false, "", "The same as --version."},
      {"--quiet", false, false, "", "Errors only: the same as --log-level 2."},
      {"-q", false, false, "", "The same as --quiet."},
      {"--verbose", false, false, "", "Every detail line too: the same as --log-level 5."},
      {"-v", false, false, "", "The same as --verbose."},
  };
  return options;
}
