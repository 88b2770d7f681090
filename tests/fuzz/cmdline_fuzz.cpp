// Fuzz target of the command-line parser. The input is parsed as a whole
// command line with both command introductions, against an environment that
// does nothing (commands are parsed, never carried out; an on-error script
// that runs after a failed command finds every operation refused). Then the
// input is split at its zero bytes into the arguments of a POSIX program, its
// command line rebuilt and parsed again.
//
// What a caller relies on: a parse succeeds exactly when it showed no
// message; arguments are refused only for a quote they hold, and a command
// line rebuilt from accepted ones never leaves a quote open.
#include <string>
#include <vector>

#include "app/script/command_line_parser.h"
#include "fuzz_driver.h"
#include "app/text_ids.h"

namespace {

class TQuietMessenger : public zw::IMessenger {
 public:
  int shown = 0;
  bool missingQuote = false;

  int ShowMsg(zw::TMsgID id, const zw::TFmtArgs&) override {
    ++shown;
    if (id == zw::msgParseMissingQuoteC) missingQuote = true;
    return 0;
  }
  int AskMsg(zw::TMsgID, int defaultAnswer, const zw::TFmtArgs&) override {
    return defaultAnswer;
  }
  void LogMsg(zw::TMsgID, const zw::TFmtArgs&) override {}
  void LogMsgExcept(zw::TMsgID, const zw::TFmtArgs&,
                    std::shared_ptr<zw::TZWExceptInfo>) override {}
};

// Parses only: every operation is refused and changes nothing.
class TParseOnlyEnvironment : public zw::IScriptEnvironment {
 public:
  zw::TWindowModel model;
  TQuietMessenger messenger;

  zw::TWindowModel& Model() override { return model; }
  void ModelChanged() override {}
  zw::IMessenger& Messenger() override { return messenger; }
  void SetExecMode(uint8_t) override {}
  void ShowPage(zw::TPage) override {}
  bool AddFolder(zw::TFolderList, const std::string&, uint8_t) override { return false; }
  bool AddArchiveOrCatalog(zw::TFolderList, const std::string&, uint8_t) override {
    return false;
  }
  bool AddMask(zw::TMaskListKind, const std::string&, bool) override { return false; }
  bool Run() override { return false; }
  bool SetLogFile(const std::string&, bool) override { return false; }
  void ShowLog() override {}
  bool SaveLog(const std::string&, bool) override { return false; }
  void Close() override {}
  void SortResults(uint8_t, bool) override {}
  void CheckFiles(zw::TCheckRule, bool) override {}
  bool CheckByCriteria(bool, const zw::TScriptCriteriaParams&) override { return false; }
  bool CheckedFilesAction(zw::TFileAction, uint8_t, const std::string&) override {
    return false;
  }
  bool ImportResults(const std::string&) override { return false; }
  bool ExportResults(const std::string&, uint8_t) override { return false; }
  bool CreateCatfile(const zw::TCatFileOptions&) override { return false; }
  bool Shutdown() override { return false; }
  bool Uninstall() override { return false; }
};

// Parses `text`; traps when the outcome and the messages disagree. Returns
// whether a missing quote was reported.
bool ParseChecked(const std::string& text, zw::TCommandIntro intro) {
  TParseOnlyEnvironment env;
  zw::TZWCommandLine script;
  const bool ok = zw::ParseCommandLine(script, text, env, intro);
  if (ok != (env.messenger.shown == 0)) __builtin_trap();
  return env.messenger.missingQuote;
}

}  // namespace

int ZwFuzzOne(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ParseChecked(text, zw::TCommandIntro::DashOrSlash);
  ParseChecked(text, zw::TCommandIntro::DashOnly);

  // The arguments as the shell hands them over: no zero bytes inside.
  std::vector<std::string> args;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\0', start);
    args.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::string line, refused;
  if (zw::RebuildCommandLine(static_cast<int>(argv.size()), argv.data(), line, refused)) {
    // Arguments that were accepted never leave a quote open.
    if (ParseChecked(line, zw::TCommandIntro::DashOnly)) __builtin_trap();
  } else if (refused.find('"') == std::string::npos) {
    __builtin_trap();  // only an argument with a quote is refused
  }
  return 0;
}

#ifdef ZW_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return ZwFuzzOne(data, size);
}
#endif
