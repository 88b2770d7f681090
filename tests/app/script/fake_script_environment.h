// A script environment for tests: a real window model, a recording
// messenger, and a trace of every call in the words of the script language
// ("AddFolder l s /x", "SetLogFile o a.log"). A call whose text starts with
// `refuse` fails. Trace() parses a command line, runs the script to its end
// and gives the calls, then after " | " the messages.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/script/command_line_parser.h"
#include "app/script/script_environment.h"
#include "app/text/message_table.h"
#include "engine/dupes/catalog_writer.h"
#include "support/recording_messenger.h"

namespace zwtest {

class FakeScriptEnvironment : public zw::IScriptEnvironment {
 public:
  zw::TWindowModel model;
  RecordingMessenger messenger;
  std::vector<std::string> calls;
  std::string refuse;            // calls starting with it fail (empty: none)
  std::function<void()> onRun;  // runs inside Run() after it is recorded

  // As after a start that found stored settings: "save settings" is on.
  FakeScriptEnvironment() { model.saveSettings = true; }

  zw::TWindowModel& Model() override { return model; }
  // Records what differs from a new window's model; the folder lists as
  // their state letters, the mask lists as check marks, "@n" the selection.
  void ModelChanged() override {
    zw::TWindowModel fresh;
    fresh.saveSettings = true;
    std::string s = "Model";
    if (model.compare.checked != fresh.compare.checked) s += " compare=" + N(model.compare.checked);
    if (model.scanArchives != fresh.scanArchives) s += " archives=" + N(model.scanArchives);
    if (model.saveSettings != fresh.saveSettings) s += " save=" + N(model.saveSettings);
    std::string folders, masks;
    for (int i = 0; i < 2; ++i) {
      const auto& box = model.Folders(zw::TFolderList(i));
      const auto& maskBox = i == 0 ? model.limitMasks : model.excludeMasks;
      folders += i == 0 ? "" : "|";
      masks += i == 0 ? "" : "|";
      for (const auto& row : box.rows) folders += kStates[row.state];
      if (box.selected >= 0) folders += "@" + N(box.selected);
      for (const auto& row : maskBox.rows) masks += row.checked ? "1" : "0";
      if (maskBox.selected >= 0) masks += "@" + N(maskBox.selected);
    }
    if (folders != "|") s += " folders=" + folders;
    if (masks != "|") s += " masks=" + masks;
    calls.push_back(s);
  }
  zw::IMessenger& Messenger() override { return messenger; }

  void SetExecMode(uint8_t mode) override { Rec(std::string("SetExecMode ") + "dip"[mode]); }
  void ShowPage(zw::TPage page) override { Rec("ShowPage " + N(page)); }
  bool AddFolder(zw::TFolderList list, const std::string& path, uint8_t state) override {
    return Rec("AddFolder " + L(list) + " " + kStates[state] + " " + path);
  }
  bool AddArchiveOrCatalog(zw::TFolderList list, const std::string& path,
                           uint8_t state) override {
    return Rec("AddArchiveOrCatalog " + L(list) + " " + kStates[state] + " " + path);
  }
  bool AddMask(zw::TMaskListKind list, const std::string& mask, bool checked) override {
    return Rec(std::string("AddMask ") + "lx"[int(list)] + " " + N(checked) + " " + mask);
  }
  bool Run() override {
    const bool ok = Rec("Run");
    if (onRun) onRun();
    return ok;
  }
  bool SetLogFile(const std::string& path, bool overwrite) override {
    return Rec(std::string("SetLogFile ") + "ao"[overwrite] + " " + path);
  }
  void ShowLog() override { Rec("ShowLog"); }
  bool SaveLog(const std::string& path, bool overwrite) override {
    return Rec(std::string("SaveLog ") + "ao"[overwrite] + " " + path);
  }
  void Close() override { Rec("Close"); }
  bool Shutdown() override { return Rec("Shutdown"); }
  bool Uninstall() override { return Rec("Uninstall"); }
  void SortResults(uint8_t key, bool regroup) override {
    Rec((regroup ? "GroupBy " : "SortBy ") + N(key));
  }
  void CheckFiles(zw::TCheckRule rule, bool check) override {
    Rec(std::string("CheckFiles ") + "asfl"[int(rule)] + " " + N(check));
  }
  bool CheckByCriteria(bool check, const zw::TScriptCriteriaParams& p) override {
    auto opt = [](const std::optional<std::string>& v) { return v ? *v : "?"; };
    std::string s = "CheckByCriteria " + N(check) + (p.selectedOnly ? " s" : " a");
    if (p.filenameMask) s += " filename=" + *p.filenameMask;
    if (p.pathMask) s += " path=" + *p.pathMask;
    if (p.sizeLow) s += " size=" + *p.sizeLow + ".." + opt(p.sizeHigh);
    if (p.dateFrom) s += " date=" + *p.dateFrom + ".." + opt(p.dateTo);
    return Rec(s);
  }
  bool CheckedFilesAction(zw::TFileAction action, uint8_t mode,
                          const std::string& destination) override {
    // The keyword's letter: delete, recycle, move, shortcut.
    return Rec(std::string("Action ") + "drms"[int(action)] + " " + N(mode) +
               (destination.empty() ? "" : " " + destination));
  }
  bool ImportResults(const std::string& path) override { return Rec("Import " + path); }
  bool ExportResults(const std::string& path, uint8_t format) override {
    return Rec(std::string("Export ") + "atb"[format] + " " + path);
  }
  bool CreateCatfile(const zw::TCatFileOptions& o) override {
    std::string data = std::string(1, "asc"[o.Entries]) +
                       (o.Data & zw::catdata::kDirAttributes ? "d" : "") +
                       (o.Data & zw::catdata::kChecksums ? "f" : "");
    const bool relative = o.Paths == zw::catpaths::kRelative;
    return Rec("CreateCatfile " + data + " " + "lnr"[o.Paths] +
               (relative ? "=" + o.BasePath : "") + " " + o.FileName);
  }

  // The calls so far, then " | " and the messages with their arguments.
  std::string Said() const {
    std::string out;
    for (const auto& c : calls) out += (out.empty() ? "" : "; ") + c;
    std::string msgs;
    for (const auto& m : messenger.Messages()) {
      msgs += (msgs.empty() ? " | " : "; ") + std::string(zw::TMessageTable::NameOf(m.id));
      for (size_t i = 0; i < m.args.size(); ++i)
        msgs += " " + (std::holds_alternative<std::string>(m.args[i]) ? m.Str(i) : N(m.Int(i)));
    }
    return out + msgs;
  }

  static constexpr char kStates[] = "srxiaA";  // single, recursive, exclude, inactive, archive, off

 private:
  template <class T>
  static std::string N(T v) {
    return std::to_string(static_cast<int64_t>(v));
  }
  static std::string L(zw::TFolderList list) { return list == zw::TFolderList::Fresh ? "f" : "l"; }
  bool Rec(const std::string& call) {
    calls.push_back(call);
    return refuse.empty() || call.rfind(refuse, 0) != 0;
  }
};

// Parses `line`; when it parses, runs the script to its end, resuming it
// after each scan. Returns env.Said().
inline std::string Trace(FakeScriptEnvironment& env, const std::string& line,
                         zw::TCommandIntro intro = zw::TCommandIntro::DashOnly) {
  zw::TZWCommandLine script;
  if (zw::ParseCommandLine(script, line, env, intro))
    while (script.Execute(env) == zw::srAgainWait) {
    }
  return env.Said();
}

inline std::string Trace(const std::string& line,
                         zw::TCommandIntro intro = zw::TCommandIntro::DashOnly) {
  FakeScriptEnvironment env;
  return Trace(env, line, intro);
}

}  // namespace zwtest
