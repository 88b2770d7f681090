// zwillo: the program without a window. The command line is the program's
// own script language; the program ends when its script ends.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/main/main_form.h"
#include "app/main/program.h"
#include "app/script/command_line_parser.h"
#include "app/text/text_format.h"
#include "cli/terminal_host.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "app/text_ids.h"

namespace {

const char kUsage[] =
    "Usage: zwillo [RESULTS.zwr] COMMAND...\n"
    "Finds duplicate files. Commands run in order; a scan (-run) finishes before\n"
    "the next command starts. Quote paths that contain blanks.\n"
    "\n"
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
    "  -close                        end\n"
    "  -shutdown                     shut the machine down and power it off\n"
    "  -uninstall                    remove the settings and desktop registrations\n"
    "                                and say where the program's files are\n"
    "\n"
    "Example:\n"
    "  zwillo -setcompare s c -addfolder \"/home/me/Pictures\" -addfolder \"/mnt/backup\" l -run -showlog\n"
    "  zwillo -addfolder \"/data\" -run -checkfirst -deletechecked p -exportresults \"left.txt\"\n"
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
  std::string commandLine;
  if (auto raw = zw::platform::RawCommandLine()) {
    commandLine = *raw;
  } else if (std::string refused; !zw::RebuildCommandLine(argc, argv, commandLine, refused)) {
    // A quote left open is what the parser reports for a whole line.
    if (std::count(refused.begin(), refused.end(), '"') % 2 != 0)
      mainForm.Presenter().ShowMsg(zw::msgParseMissingQuoteC);
    else
      mainForm.Presenter().ShowMsg(zw::msgQuoteInArgument, {refused});
    return 1;
  }
  if (!program.Start(argv[1], commandLine)) return 1;
  const int status = program.Finish();
  mainForm.PollInterrupt();  // one that came after the last command still goes to the log
  if (const int interrupted = zw::platform::InterruptStatus()) return interrupted;
  return status;
}
