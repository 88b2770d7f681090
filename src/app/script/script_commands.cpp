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

void TZWScrCmd_SetLogfile::ParseQuoted(std::string_view text) {
  path = std::string(text);
  hasParam = true;
}

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
  model.cbFilename = (criteria & 0x01) != 0;
  model.cbSize = (criteria & 0x02) != 0;
  model.cbDate = (criteria & 0x04) != 0;
  model.cbContent = (criteria & 0x08) != 0;
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

void TZWScrCmd_AddFolder::ParseQuoted(std::string_view text) {
  path = std::string(text);
  hasParam = true;
}

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

void TZWScrCmd_AddMask::ParseQuoted(std::string_view text) {
  mask = std::string(text);
  hasParam = true;
}

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

void TZWScrCmd_SaveLog::ParseQuoted(std::string_view text) {
  path = std::string(text);
  hasParam = true;
}

TScrResult TZWScrCmd_SaveLog::Execute(IScriptEnvironment& env) {
  return env.SaveLog(path, overwrite) ? srDone : srFailed;
}

// --- close ---

TScrResult TZWScrCmd_Close::Execute(IScriptEnvironment& env) {
  env.Close();
  return srDone;
}

}  // namespace zw
