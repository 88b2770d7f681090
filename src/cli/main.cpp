// zwillo: the program without a window. The command line is the program's
// own script language; the program ends when its script ends.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/main/main_form.h"
#include "app/main/program.h"
#include "app/options/long_options.h"
#include "app/script/command_line_parser.h"
#include "app/text/text_format.h"
#include "cli/terminal_host.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/process.h"
#include "app/text_ids.h"

namespace {

const char kUsage[] =
    "Usage: zwillo [OPTION]... [RESULTS.zwr] COMMAND...\n"
    "Finds duplicate files. Commands run in order; a scan (-run) finishes before\n"
    "the next command starts. Quote paths that contain blanks.\n"
    "\n"
    "Options (before the first command) set what the option pages set; they\n"
    "change the stored settings for this run, or for good with --save-settings:\n"
    "  --name=complete|chars:N-M|first:N|last:N|before-first:C|after-first:C|\n"
    "         before-last:C|after-last:C\n"
    "                                which part of the file name is compared\n"
    "                                (chars 1 to 260; C one character)\n"
    "  --name-case=ignore|match      compare names ignoring letter case or not\n"
    "  --size-tolerance=exact|N[UNIT]\n"
    "                                sizes may differ by up to N (0: exact)\n"
    "  --date=exact|tolerance:DAYS|parts:time,day,month,year\n"
    "                                complete dates, dates up to DAYS apart, or\n"
    "                                only the listed parts of the date\n"
    "  --content=complete|range:N-M[UNIT]|range-from-end:N-M[UNIT]|first:N[UNIT]|\n"
    "            last:N[UNIT]        which bytes are compared (bytes N to M,\n"
    "                                counted from 0; from the end: the last\n"
    "                                byte is 0)\n"
    "  --content-method=crc|bytes|crc,bytes|middle\n"
    "                                CRC32 fingerprints, byte-per-byte, both, or\n"
    "                                only the pick into the middle\n"
    "  --attributes=ignore|exclude:LETTERS|only:LETTERS\n"
    "                                attribute filter; LETTERS of r (read-only),\n"
    "                                h (hidden), a (archive), s (system)\n"
    "  --size-filter=ignore|exclude:LOW-HIGH|only:LOW-HIGH\n"
    "                                skip files of these sizes, or scan only them\n"
    "                                (both ends included)\n"
    "  --less-status[=yes|no]        less detailed status (slightly faster)\n"
    "  --save-settings[=yes|no]      keep the settings, these options included,\n"
    "                                for the next run\n"
    "  UNIT: B, kB, MB, GB, TB, PB, EB (powers of 1024) or their first letter;\n"
    "  a number without one counts bytes. A size filter bound without a unit\n"
    "  takes the other's. The comparison criteria themselves are chosen with\n"
    "  -setcompare.\n"
    "\n"
    "Commands:\n"
    "  -setcompare [f] [s] [d] [c]   criteria: file name, size, date, content\n"
    "  -addfolder PATH [f|l] [r|s|x|i]\n"
    "                                a folder: fresh or library list; recursive,\n"
    "                                single, excluded or inactive; a .zip archive\n"
    "                                or .zwc catalog file is scanned like a folder\n"
    "  -clearfolders [b|f|l]         remove the rows of the folder lists\n"
    "  -addmask MASK [l|x]           limit to / exclude files matching MASK\n"
    "  -clearmasks [b|l|x]           remove the masks\n"
    "  -scanarchives [y|n]           also scan the *.zip archives in the folders\n"
    "  -execmode d|i|p               questions: answered while a script runs (d),\n"
    "                                asked (i), always answered (p)\n"
    "  -run                          scan\n"
    "  -showlog                      print the scan log\n"
    "  -savelog FILE [a|o]           save the scan log (append or overwrite)\n"
    "  -logfile FILE [a|o]           write the scan log to FILE as it grows\n"
    "  -groupby KEY [a|r]            regroup the results by f(ile name), p(ath),\n"
    "                                s(ize), d(ate), c(rc32), i (duplicate sets),\n"
    "                                l (name length), t (path length)\n"
    "  -sortby KEY [a|r]             sort within the groups\n"
    "  -checkall|-checkfirst|-checklast|-checkselected [y|n]\n"
    "                                check (y) or uncheck (n) files by rule\n"
    "  -checkbycriteria [y|n] [a|s] [filename=\"MASK\"] [path=\"MASK\"]\n"
    "                   [size=\"LOW\" \"HIGH\"] [date=\"FROM\" \"TO\"]\n"
    "  -deletechecked [i|c|p]        delete the checked files\n"
    "  -recyclechecked [i|c|p]       move them to the Trash\n"
    "  -movechecked FOLDER [i|c|p]   move them below FOLDER, keeping their paths\n"
    "  -shortcutchecked [i|c|p]      replace them by links to a remaining copy\n"
    "                                (i: ask, c: countdown, p: take the defaults)\n"
    "  -exportresults FILE [a|t|b]   save the results (.zwr binary, .txt text)\n"
    "  -importresults FILE           load saved results\n"
    "  -createcatfile FILE [a|s|c] [d] [f] [l|n|r=\"BASE\"]\n"
    "                                write a catalog (.zwc) of all, selected or\n"
    "                                checked results, with folder attributes (d)\n"
    "                                and CRC32 checksums (f); paths complete (l),\n"
    "                                as far as needed (n) or relative to BASE\n"
    "  -lang \"CODE\"                 the language: CODE.zwl beside the program\n"
    "                                (\"de\" German), \"en\" the built-in English\n"
    "  -nosavereg                    keep the stored settings as they are\n"
    "  -close                        end\n"
    "  -shutdown                     shut the machine down and power it off\n"
    "  -uninstall                    remove the settings and desktop registrations\n"
    "                                and say where the program's files are\n"
    "\n"
    "Example:\n"
    "  zwillo -setcompare s c -addfolder \"/home/me/Pictures\" -addfolder \"/mnt/backup\" l -run -showlog\n"
    "  zwillo -addfolder \"/data\" -run -checkfirst -deletechecked p -exportresults \"left.txt\"\n"
    "  zwillo --size-tolerance=4kB --content=first:64kB -addfolder \"/data\" -run -showlog\n"
    "  zwillo --name=before-last:. -setcompare n -addfolder \"/data\" -run -showlog\n"
    "\n"
    "Settings are read at the start and, once saved settings are on, written at\n"
    "the end: $XDG_CONFIG_HOME/zwillo/settings.reg (~/.config/zwillo/ by default;\n"
    "on Windows the registry).\n"
    "\n"
    "Help: help/index.html beside the program, or ../share/doc/zwillo/html/index.html\n"
    "beside it when installed (on Windows: Zwillo.chm beside the program).\n"
    "\n"
    "Ctrl+C (SIGINT) or SIGTERM cancels: a scan stops, a file action finishes its\n"
    "current file, no further command runs; a second one ends the program at once.\n"
    "\n"
    "Exit status: 0 when the script ran to its end (or to -close), 1 when it did\n"
    "not parse or a command failed, 130 after SIGINT (Ctrl+C), 143 after SIGTERM.\n";

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0 ||
        std::strcmp(argv[i], "/?") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  zw::platform::UseOneHeap();
  zw::platform::PrepareConsole();
  zw::platform::CatchInterrupts();
  zw::TProgram program;
  auto terminal = std::make_unique<zw::TTerminalHost>(program);
  zw::TTerminalHost& host = *terminal;
  program.Attach(std::move(terminal));
  zw::TMainForm& mainForm = program.Form();
  host.SetForm(&mainForm);
  // Ctrl+C, SIGINT, SIGTERM: asked for between commands, in the event loop
  // and, as the file actions run on this thread, between their files.
  mainForm.interruptRequest = [] { return std::string(zw::platform::InterruptName()); };
  mainForm.FileActions().processMessages = [&mainForm] { mainForm.PollInterrupt(); };

  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  // The long options are taken out of the command line; the rest is the
  // script.
  zw::TSplitCommandLine line;
  if (!zw::SplitCommandLine(argc, argv, zw::platform::RawCommandLine(), line,
                            mainForm.Presenter()))
    return 1;
  int status = 1;
  try {
    if (!program.Start(line.firstArgument, line.commandLine, line.options)) return 1;
    status = program.Finish();
  } catch (...) {
    // Nobody handled it: the log and the terminal get its report, and the
    // script does not go on.
    mainForm.ReportException();
    return 1;
  }
  mainForm.PollInterrupt();  // one that came after the last command still goes to the log
  if (const int interrupted = zw::platform::InterruptStatus()) return interrupted;
  return status;
}
