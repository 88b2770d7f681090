// The script commands. Each class serves the keywords the keyword table
// gives it; its fields hold what the parser read, with the defaults set by
// the constructor.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "app/results/check_by_criteria.h"
#include "app/script/script_objects.h"
#include "engine/dupes/catalog_writer.h"

namespace zw {

// Which lists a clear or ignore command works on (bit set).
enum : uint8_t {
  lsFirst = 0x01,   // fresh folders / limit masks
  lsSecond = 0x02,  // library folders / exclude masks
  lsBoth = lsFirst | lsSecond,
};

// execmode d|i|p
class TZWScrCmd_SetExecMode : public TZWScrCommand {
 public:
  TZWScrCmd_SetExecMode() { needsParam = true; }
  bool ParseOption(std::string_view token) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "SetExecMode"; }

  uint8_t mode = emDefault;
};

// logfile [a|o] "path"
class TZWScrCmd_SetLogfile : public TZWScrCommand {
 public:
  TZWScrCmd_SetLogfile() { needsParam = true; }
  bool ParseOption(std::string_view token) override;
  bool ParseQuoted(std::string_view text) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "SetLogfile"; }

  std::string path;
  bool overwrite = false;
};

// page 1..9
class TZWScrCmd_SetPage : public TZWScrCommand {
 public:
  TZWScrCmd_SetPage() { needsParam = true; }
  bool ParseOption(std::string_view token) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "SetPage"; }

  uint8_t index = 0;  // digit - 1
};

// setcompare [f|n] [s] [d] [c]
class TZWScrCmd_SetCompOptions : public TZWScrCommand {
 public:
  bool ParseOption(std::string_view token) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "SetCompOptions"; }

  uint8_t criteria = 0;  // 0x01 file name, 0x02 size, 0x04 date, 0x08 content
};

// clearfolders | ignorefolders [b|f|l]
class TZWScrCmd_ClearFolderBox : public TZWScrCommand {
 public:
  void Init(std::string_view keyword) override;
  bool ParseOption(std::string_view token) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "ClearFolderBox"; }

  uint8_t lists = lsBoth;  // lsFirst fresh, lsSecond library
  bool clear = true;       // clearfolders; false: ignorefolders
};

// addfolder [f|l] [r|s|e|x|i] "path"
class TZWScrCmd_AddFolder : public TZWScrCommand {
 public:
  TZWScrCmd_AddFolder() { needsParam = true; }
  bool ParseOption(std::string_view token) override;
  bool ParseQuoted(std::string_view text) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "AddFolder"; }

  TFolderList list = TFolderList::Fresh;
  uint8_t state = dsRecursive;
  std::string path;
};

// scanarchives [flag]
class TZWScrCmd_ScanArchives : public TZWScrCommand {
 public:
  bool SetFlag(bool value) override {
    flag = value;
    return true;
  }
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "ScanArchives"; }

  bool flag = true;
};

// clearmasks | ignoremasks [b|l|e|x]
class TZWScrCmd_ClearMaskBox : public TZWScrCommand {
 public:
  void Init(std::string_view keyword) override;
  bool ParseOption(std::string_view token) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "ClearMaskBox"; }

  uint8_t lists = lsBoth;  // lsFirst limit, lsSecond exclude
  bool clear = true;       // clearmasks; false: ignoremasks
};

// addmask [l|e|x] [flag] "mask"
class TZWScrCmd_AddMask : public TZWScrCommand {
 public:
  TZWScrCmd_AddMask() { needsParam = true; }
  bool ParseOption(std::string_view token) override;
  bool SetFlag(bool value) override {
    checked = value;
    return true;
  }
  bool ParseQuoted(std::string_view text) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "AddMask"; }

  TMaskListKind list = TMaskListKind::Limit;
  bool checked = true;
  std::string mask;
};

// nosavereg | dontsavereg
class TZWScrCmd_UncheckSaveReg : public TZWScrCommand {
 public:
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "UncheckSaveReg"; }
};

// run
class TZWScrCmd_Run : public TZWScrCommand {
 public:
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "Run"; }
};

// showlog
class TZWScrCmd_ShowLog : public TZWScrCommand {
 public:
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "ShowLog"; }
};

// savelog [a|o] "path"
class TZWScrCmd_SaveLog : public TZWScrCommand {
 public:
  TZWScrCmd_SaveLog() { needsParam = true; }
  bool ParseOption(std::string_view token) override;
  bool ParseQuoted(std::string_view text) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "SaveLog"; }

  std::string path;
  bool overwrite = false;
};

// close
class TZWScrCmd_Close : public TZWScrCommand {
 public:
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "Close"; }
};

// shutdown
class TZWScrCmd_Shutdown : public TZWScrCommand {
 public:
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "Shutdown"; }
};

// uninstall
class TZWScrCmd_Uninstall : public TZWScrCommand {
 public:
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "Uninstall"; }
};

// sortby | groupby f|n|p|s|d|c|i|l|t [a|b|r]
class TZWScrCmd_SortResults : public TZWScrCommand {
 public:
  TZWScrCmd_SortResults() { needsParam = true; }
  void Init(std::string_view keyword) override;
  bool ParseOption(std::string_view token) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "SortResults"; }

  uint8_t key = 0;  // with 0x80 for descending
  bool regroup = true;
};

// checkall | checkselected | checkfirst | checklast [flag]
class TZWScrCmd_CheckFiles : public TZWScrCommand {
 public:
  void Init(std::string_view keyword) override;
  bool SetFlag(bool value) override {
    check = value;
    return true;
  }
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "CheckFiles"; }

  TCheckRule rule = TCheckRule::All;
  bool check = true;
};

// checkbycriteria [flag] [a|s] [filename="mask"] [path="mask"]
//                 [size="low" "high"] [date="from" "to"]
class TZWScrCmd_CheckByCriteria : public TZWScrCommand {
 public:
  TZWScrCmd_CheckByCriteria() { needsParam = true; }
  bool ParseOption(std::string_view token) override;
  bool SetFlag(bool value) override {
    // A malformed filename=... must not pass as the flag its first letter is.
    if (std::exchange(malformed_, false)) return false;
    check = value;
    return true;
  }
  bool ParseQuoted(std::string_view text) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "CheckByCriteria"; }

  bool check = true;
  TScriptCriteriaParams params;

 private:
  // The high value of size= or date= is the quoted text after the low one.
  enum class Pending : uint8_t { None, Size, Date } pending_ = Pending::None;
  bool malformed_ = false;  // the token just refused was a name= without its quoted value
};

// movechecked [i|c|p] "folder" | recyclechecked | deletechecked | shortcutchecked [i|c|p]
class TZWScrCmd_CheckedFilesAction : public TZWScrCommand {
 public:
  void Init(std::string_view keyword) override;
  bool ParseOption(std::string_view token) override;
  bool ParseQuoted(std::string_view text) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override;

  TFileAction action = TFileAction::Delete;
  uint8_t mode = 0;   // 0 interactive, 1 countdown, 2 unattended
  std::string destination;
};

// importresults "file"
class TZWScrCmd_ImportResults : public TZWScrCommand {
 public:
  bool ParseQuoted(std::string_view text) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "ImportResults"; }

  std::string path;
};

// exportresults [a|t|b] "file"
class TZWScrCmd_ExportResults : public TZWScrCommand {
 public:
  TZWScrCmd_ExportResults() { needsParam = true; }
  bool ParseOption(std::string_view token) override;
  bool ParseQuoted(std::string_view text) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "ExportResults"; }

  std::string path;
  uint8_t format = 0;  // 0 by extension, 1 text, 2 binary
};

// createcatfile [a|s|c] [d] [f] [l|n|r="base"] "file"
class TZWScrCmd_CreateCatfile : public TZWScrCommand {
 public:
  TZWScrCmd_CreateCatfile();
  bool ParseOption(std::string_view token) override;
  bool ParseQuoted(std::string_view text) override;
  TScrResult Execute(IScriptEnvironment& env) override;
  std::string GetName() const override { return "CreateCatfile"; }

  // Without "d" and "f" the catalog holds neither folder attributes nor
  // checksums (the dialog's defaults differ).
  TCatFileOptions options;
};

}  // namespace zw
