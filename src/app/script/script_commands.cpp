#include "app/script/script_commands.h"

#include "platform/files.h"

namespace zw {

namespace {

// Options are told apart by their first character.
char First(std::string_view token) { return token.empty() ? '\0' : token.front(); }

constexpr int kPageCount = static_cast<int>(TPage::About) + 1;

}  // namespace

// --- execmode ---

bool TZWScrCmd_SetExecMode::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'd': mode = emDefault; break;
    case 'i': mode = emInteractive; break;
    case 'p': mode = emUnattended; break;
    default: return false;
  }
  hasParam = true;
  return true;
}

TScrResult TZWScrCmd_SetExecMode::Execute(IScriptEnvironment& env) {
  env.SetExecMode(mode);
  return srDone;
}

// --- logfile ---

bool TZWScrCmd_SetLogfile::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'a': overwrite = false; return true;
    case 'o': overwrite = true; return true;
    default: return false;
  }
}

bool TZWScrCmd_SetLogfile::ParseQuoted(std::string_view text) { return TakeQuoted(path, text); }

TScrResult TZWScrCmd_SetLogfile::Execute(IScriptEnvironment& env) {
  return env.SetLogFile(path, overwrite) ? srDone : srFailed;
}

// --- page ---

bool TZWScrCmd_SetPage::ParseOption(std::string_view token) {
  char c = First(token);
  if (c < '1' || c > '9') return false;
  index = static_cast<uint8_t>(c - '1');
  hasParam = true;
  return true;
}

TScrResult TZWScrCmd_SetPage::Execute(IScriptEnvironment& env) {
  // Only the pages between the result page and the last one are reachable:
  // the digits 2 to 5. Other digits change nothing.
  if (index > 0 && index < kPageCount - 1) env.ShowPage(static_cast<TPage>(index));
  return srDone;
}

// --- setcompare ---

bool TZWScrCmd_SetCompOptions::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'f':
    case 'n': criteria |= 0x01; return true;
    case 's': criteria |= 0x02; return true;
    case 'd': criteria |= 0x04; return true;
    case 'c': criteria |= 0x08; return true;
    default: return false;
  }
}

TScrResult TZWScrCmd_SetCompOptions::Execute(IScriptEnvironment& env) {
  TWindowModel& model = env.Model();
  model.compare.checked = criteria & (ccFilename | ccSize | ccDate | ccContent);
  env.ModelChanged();
  return srDone;
}

// --- clearfolders / ignorefolders ---

void TZWScrCmd_ClearFolderBox::Init(std::string_view keyword) {
  clear = !keyword.empty() && keyword.front() == 'c';
}

bool TZWScrCmd_ClearFolderBox::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'b': lists = lsBoth; return true;
    case 'f': lists = lsFirst; return true;
    case 'l': lists = lsSecond; return true;
    default: return false;
  }
}

TScrResult TZWScrCmd_ClearFolderBox::Execute(IScriptEnvironment& env) {
  TWindowModel& model = env.Model();
  for (TFolderList which : {TFolderList::Fresh, TFolderList::Library}) {
    if (!(lists & (which == TFolderList::Fresh ? lsFirst : lsSecond))) continue;
    TFolderListModel& box = model.Folders(which);
    if (clear) {
      box.rows.clear();
      box.selected = -1;
    } else {
      // An archive or catalog row becomes an inactive archive row, so that it
      // stays what it is when its state is cycled or stored.
      for (TDirRow& row : box.rows)
        row.state = IsFolderState(row.state) ? dsInactive : dsArchiveInactive;
    }
  }
  env.ModelChanged();
  return srDone;
}

// --- addfolder ---

bool TZWScrCmd_AddFolder::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'f': list = TFolderList::Fresh; return true;
    case 'l': list = TFolderList::Library; return true;
    case 'r': state = dsRecursive; return true;
    case 's': state = dsSingle; return true;
    case 'e':
    case 'x': state = dsExclude; return true;
    case 'i': state = dsInactive; return true;
    default: return false;
  }
}

bool TZWScrCmd_AddFolder::ParseQuoted(std::string_view text) { return TakeQuoted(path, text); }

TScrResult TZWScrCmd_AddFolder::Execute(IScriptEnvironment& env) {
  // A path that does not exist counts as a folder (adding it reports that);
  // an existing file is an archive or catalog file.
  if (!platform::FileExists(path)) {
    env.AddFolder(list, path, state);
  } else {
    bool active = state == dsSingle || state == dsRecursive;
    env.AddArchiveOrCatalog(list, path, active ? dsArchive : dsArchiveInactive);
  }
  // The list operations report their refusals themselves; the script goes on.
  return srDone;
}

// --- scanarchives ---

TScrResult TZWScrCmd_ScanArchives::Execute(IScriptEnvironment& env) {
  env.Model().scanArchives = flag;
  env.ModelChanged();
  return srDone;
}

// --- clearmasks / ignoremasks ---

void TZWScrCmd_ClearMaskBox::Init(std::string_view keyword) {
  clear = !keyword.empty() && keyword.front() == 'c';
}

bool TZWScrCmd_ClearMaskBox::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'b': lists = lsBoth; return true;
    case 'l': lists = lsFirst; return true;
    case 'e':
    case 'x': lists = lsSecond; return true;
    default: return false;
  }
}

TScrResult TZWScrCmd_ClearMaskBox::Execute(IScriptEnvironment& env) {
  TWindowModel& model = env.Model();
  for (TMaskListModel* box : {&model.limitMasks, &model.excludeMasks}) {
    if (!(lists & (box == &model.limitMasks ? lsFirst : lsSecond))) continue;
    if (clear) {
      box->rows.clear();
      box->selected = -1;
    } else {
      for (TMaskRow& row : box->rows) row.checked = false;
    }
  }
  env.ModelChanged();
  return srDone;
}

// --- addmask ---

bool TZWScrCmd_AddMask::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'l': list = TMaskListKind::Limit; return true;
    case 'e':
    case 'x': list = TMaskListKind::Exclude; return true;
    default: return false;
  }
}

bool TZWScrCmd_AddMask::ParseQuoted(std::string_view text) { return TakeQuoted(mask, text); }

TScrResult TZWScrCmd_AddMask::Execute(IScriptEnvironment& env) {
  return env.AddMask(list, mask, checked) ? srDone : srFailed;
}

// --- nosavereg / dontsavereg ---

TScrResult TZWScrCmd_UncheckSaveReg::Execute(IScriptEnvironment& env) {
  env.Model().saveSettings = false;
  env.ModelChanged();
  return srDone;
}

// --- run ---

TScrResult TZWScrCmd_Run::Execute(IScriptEnvironment& env) {
  return env.Run() ? srDoneWait : srFailed;
}

// --- showlog ---

TScrResult TZWScrCmd_ShowLog::Execute(IScriptEnvironment& env) {
  env.ShowLog();
  return srDone;
}

// --- savelog ---

bool TZWScrCmd_SaveLog::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'a': overwrite = false; return true;
    case 'o': overwrite = true; return true;
    default: return false;
  }
}

bool TZWScrCmd_SaveLog::ParseQuoted(std::string_view text) { return TakeQuoted(path, text); }

TScrResult TZWScrCmd_SaveLog::Execute(IScriptEnvironment& env) {
  return env.SaveLog(path, overwrite) ? srDone : srFailed;
}

// --- close ---

TScrResult TZWScrCmd_Close::Execute(IScriptEnvironment& env) {
  // Closing the window ends the program: no later command may run.
  env.Close();
  return srEndScript;
}

// --- shutdown / uninstall ---

TScrResult TZWScrCmd_Shutdown::Execute(IScriptEnvironment& env) {
  if (!env.Shutdown()) return srFailed;
  env.Close();
  return srEndScript;
}

TScrResult TZWScrCmd_Uninstall::Execute(IScriptEnvironment& env) {
  // Declined, or the uninstaller could not take over: the program goes on.
  if (!env.Uninstall()) return srDone;
  env.Close();
  return srEndScript;
}

// --- sortby / groupby ---

void TZWScrCmd_SortResults::Init(std::string_view keyword) { regroup = keyword != "sortby"; }

bool TZWScrCmd_SortResults::ParseOption(std::string_view token) {
  static constexpr std::string_view kKeys = "fnpsdcilt";
  static constexpr uint8_t kKeyValues[] = {0, 0, 1, 2, 3, 4, 5, 6, 7};
  const char c = First(token);
  if (c == 'a') {
    key &= static_cast<uint8_t>(~0x80);
    return true;
  }
  if (c == 'b' || c == 'r') {
    key |= 0x80;
    return true;
  }
  const size_t at = kKeys.find(c);
  if (c == '\0' || at == std::string_view::npos) return false;
  key = static_cast<uint8_t>((key & 0x80) | kKeyValues[at]);
  hasParam = true;
  return true;
}

TScrResult TZWScrCmd_SortResults::Execute(IScriptEnvironment& env) {
  env.SortResults(key, regroup);
  return srDone;
}

// --- checkall / checkselected / checkfirst / checklast ---

void TZWScrCmd_CheckFiles::Init(std::string_view keyword) {
  // The sixth character tells the rule: checkAll, checkSelected, ...
  switch (keyword.size() > 5 ? keyword[5] : 'a') {
    case 's': rule = TCheckRule::Selected; break;
    case 'f': rule = TCheckRule::First; break;
    case 'l': rule = TCheckRule::Last; break;
    default: rule = TCheckRule::All; break;
  }
}

TScrResult TZWScrCmd_CheckFiles::Execute(IScriptEnvironment& env) {
  env.CheckFiles(rule, check);
  return srDone;
}

// --- checkbycriteria ---

namespace {

// The quoted text of a name="text" token; false without both quotes right
// after the "=".
bool QuotedValue(std::string_view token, std::string_view name, std::string& value) {
  if (token.substr(0, name.size()) != name) return false;
  std::string_view rest = token.substr(name.size());
  if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') return false;
  rest = rest.substr(1, rest.size() - 2);
  if (rest.find('"') != std::string_view::npos) return false;  // a quoted text holds none
  value = std::string(rest);
  return true;
}

bool StartsWith(std::string_view token, std::string_view name) {
  return token.substr(0, name.size()) == name;
}

}  // namespace

bool TZWScrCmd_CheckByCriteria::ParseOption(std::string_view token) {
  malformed_ = false;
  pending_ = Pending::None;
  if (token == "a" || token == "all") {
    params.selectedOnly = false;
    return true;
  }
  if (First(token) == 's' && token.find('=') == std::string_view::npos) {
    params.selectedOnly = true;
    return true;
  }
  std::string value;
  for (std::string_view name : {"filename=", "path=", "size=", "date="}) {
    if (!StartsWith(token, name)) continue;
    if (!QuotedValue(token, name, value)) {
      malformed_ = true;
      return false;
    }
    if (name == "filename=") {
      params.filenameMask = value;
    } else if (name == "path=") {
      params.pathMask = value;
    } else if (name == "size=") {
      params.sizeLow = value;
      params.sizeHigh.reset();
      pending_ = Pending::Size;
    } else {
      params.dateFrom = value;
      params.dateTo.reset();
      pending_ = Pending::Date;
    }
    hasParam = true;
    return true;
  }
  return false;
}

bool TZWScrCmd_CheckByCriteria::ParseQuoted(std::string_view text) {
  // Only the high end of size= or date=, right after the low one.
  const Pending pending = std::exchange(pending_, Pending::None);
  if (pending == Pending::Size) params.sizeHigh = std::string(text);
  if (pending == Pending::Date) params.dateTo = std::string(text);
  return pending != Pending::None;
}

TScrResult TZWScrCmd_CheckByCriteria::Execute(IScriptEnvironment& env) {
  return env.CheckByCriteria(check, params) ? srDone : srFailed;
}

// --- movechecked / recyclechecked / deletechecked / shortcutchecked ---

void TZWScrCmd_CheckedFilesAction::Init(std::string_view keyword) {
  // The keyword's first letter: movechecked, recyclechecked, deletechecked,
  // shortcutchecked.
  switch (keyword.empty() ? 'd' : keyword.front()) {
    case 'm': action = TFileAction::Move; break;
    case 'r': action = TFileAction::Recycle; break;
    case 's': action = TFileAction::Link; break;
    default: action = TFileAction::Delete; break;
  }
  needsParam = action == TFileAction::Move;
}

bool TZWScrCmd_CheckedFilesAction::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'i': mode = 0; return true;
    case 'c': mode = 1; return true;
    case 'p': mode = 2; return true;
    default: return false;
  }
}

bool TZWScrCmd_CheckedFilesAction::ParseQuoted(std::string_view text) {
  // Only a move has a destination; the others ignore quoted texts.
  return action != TFileAction::Move || TakeQuoted(destination, text);
}

TScrResult TZWScrCmd_CheckedFilesAction::Execute(IScriptEnvironment& env) {
  return env.CheckedFilesAction(action, mode, destination) ? srDone : srFailed;
}

std::string TZWScrCmd_CheckedFilesAction::GetName() const {
  switch (action) {
    case TFileAction::Move: return "MoveCheckedFiles";
    case TFileAction::Recycle: return "RecycleCheckedFiles";
    case TFileAction::Link: return "ShortcutCheckedFiles";
    case TFileAction::Delete: break;
  }
  return "DeleteCheckedFiles";
}

// --- importresults / exportresults ---

bool TZWScrCmd_ImportResults::ParseQuoted(std::string_view text) {
  return TakeQuoted(path, text);
}

TScrResult TZWScrCmd_ImportResults::Execute(IScriptEnvironment& env) {
  return env.ImportResults(path) ? srDone : srFailed;
}

bool TZWScrCmd_ExportResults::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'a': format = 0; return true;
    case 't': format = 1; return true;
    case 'b': format = 2; return true;
    default: return false;
  }
}

bool TZWScrCmd_ExportResults::ParseQuoted(std::string_view text) {
  return TakeQuoted(path, text);
}

TScrResult TZWScrCmd_ExportResults::Execute(IScriptEnvironment& env) {
  return env.ExportResults(path, format) ? srDone : srFailed;
}

// --- createcatfile ---

TZWScrCmd_CreateCatfile::TZWScrCmd_CreateCatfile() {
  needsParam = true;
  options.Entries = catentries::kAll;
  options.Data = 0;
  options.Paths = catpaths::kAsNeeded;
}

bool TZWScrCmd_CreateCatfile::ParseOption(std::string_view token) {
  switch (First(token)) {
    case 'a': options.Entries = catentries::kAll; return true;
    case 's': options.Entries = catentries::kSelected; return true;
    case 'c': options.Entries = catentries::kChecked; return true;
    case 'd': options.Data |= catdata::kDirAttributes; return true;
    case 'f': options.Data |= catdata::kChecksums; return true;
    case 'l': options.Paths = catpaths::kComplete; return true;
    case 'n': options.Paths = catpaths::kAsNeeded; return true;
    case 'r': {
      // r="base": relative to that folder. A bare "r" (or any word starting
      // with it) leaves the base empty, which stores paths as far as needed;
      // r= without a quoted folder is refused rather than guessed at.
      if (token.find('=') == std::string_view::npos) {
        options.Paths = catpaths::kRelative;
        options.BasePath.clear();
        return true;
      }
      std::string value;
      if (!QuotedValue(token, "r=", value)) return false;
      options.Paths = catpaths::kRelative;
      options.BasePath = value;
      return true;
    }
    default: return false;
  }
}

bool TZWScrCmd_CreateCatfile::ParseQuoted(std::string_view text) {
  return TakeQuoted(options.FileName, text);
}

TScrResult TZWScrCmd_CreateCatfile::Execute(IScriptEnvironment& env) {
  return env.CreateCatfile(options) ? srDone : srFailed;
}

}  // namespace zw
