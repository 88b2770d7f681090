// The script commands. Each class serves the keywords the keyword table
// gives it; its fields hold what the parser read, with the defaults set by
// the constructor.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "app/script/script_objects.h"

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
  void ParseQuoted(std::string_view text) override;
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
  void ParseQuoted(std::string_view text) override;
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
  void ParseQuoted(std::string_view text) override;
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
  void ParseQuoted(std::string_view text) override;
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

}  // namespace zw
