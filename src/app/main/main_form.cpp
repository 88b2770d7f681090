#include "app/main/main_form.h"

#include <cmath>
#include <cstdio>

#include "app/results/check_by_criteria.h"
#include "app/shell/file_types.h"
#include "app/results/checked_status.h"
#include "app/run/folder_lists.h"
#include "app/shell/product.h"
#include "app/shell/uninstall.h"
#include "app/text/string_table.h"
#include "app/text/text_format.h"
#include "engine/dupes/catalog_writer.h"
#include "platform/files.h"
#include "platform/filetime.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "app/text_ids.h"

namespace zw {

TMainForm::TMainForm(IHost& host, IStatusTarget& events, TZWLog& log)
    : settingsSystem(CurrentSettingsSystem()),
      host_(host),
      log_(log),
      status_(&events),
      presenter_(&host, log),
      driver_(model_, host, presenter_, log, results_, status_, events),
      script_(*this),
      view_(results_, model_.results, &host),
      actions_(host, presenter_, log, model_, results_),
      files_(host, presenter_, model_, results_) {
  driver_.isAutomatic = [this] { return Automatic(); };
  driver_.abortScript = [this] {
    if (script_.IsRunning()) script_.Abort();
  };
  driver_.scanEnded = [this] { script_.Resume(); };
  // What saving and deleting the settings bring in line with them: the
  // file-type registration and the uninstall entry.
  settingsHooks.applyFileTypes = [](TWindowModel& m) {
    ApplyFileTypeFlags(m.store.fileTypesRegistered, m.store.fileTypesWanted,
                       platform::ExecutablePath());
  };
  settingsHooks.updateUninstallEntry = [] {
    const platform::SystemTime t =
        platform::SplitFileTime(platform::UtcToLocal(platform::NowUtc()));
    char today[16];
    std::snprintf(today, sizeof today, "%04u%02u%02u", unsigned{t.year}, unsigned{t.month},
                  unsigned{t.day});
    UpdateUninstallEntry(platform::ExecutablePath(), Str(strWebsiteLang), today);
  };
  settingsHooks.deleteUninstallEntries = [](bool alsoOld) { DeleteUninstallEntries(alsoOld); };
  settingsHooks.unregisterFileTypes = [](uint8_t flags) { UnregisterAll(flags); };
  // uninstall: the settings go as the delete button takes them; the
  // uninstaller removes the language files of the list.
  deleteSettings = [this] { DeleteStoredSettings(); };
  languageFiles = [this] {
    std::vector<std::string> files;
    for (const TLanguageEntry& entry : languages_)
      if (entry.file.ID != 0) files.push_back(entry.Path());
    return files;
  };
}

TMainForm::~TMainForm() = default;

bool TMainForm::Automatic() const {
  return IsAutomaticMode(execMode_, script_.IsRunning());
}

bool TMainForm::RunCommandLine(const std::string& commandLine) {
  return script_.RunCommandLine(commandLine);
}

void TMainForm::LoadStartupSettings() {
  // The language list is built before this point (PrepareLanguages). A
  // stored language is one the read reached.
  const bool readLanguage = !CommandLineNamedLanguage();
  model_.language = -1;
  settingsLoad_ = LoadSettings(model_, settingsSystem, readLanguage);
  std::optional<int32_t> storedLanguage;
  if (readLanguage && model_.language != -1) storedLanguage = model_.language;
  if (!settingsLoad_.storeProblem.empty()) {
    presenter_.LogMsg(logSettingsDamaged, {settingsLoad_.storeProblem});
  }
  if (settingsLoad_.report) {
    presenter_.LogMsgExcept(logUnhandledException, {settingsLoad_.report->Message},
                            settingsLoad_.report);
  }
  // The language is applied before the defaults, whose texts and folders
  // come after it.
  ChooseStartLanguage(storedLanguage);
  if (!model_.placement.restored && settingsSystem.desktop) {
    CentreWindow(model_.placement, *settingsSystem.desktop, settingsSystem.windowWidth,
                 settingsSystem.windowHeight);
  }
  ApplyFirstStartDefaults(model_, settingsLoad_.firstStart, settingsSystem.defaultFolders);
  host_.ModelChanged();
}

void TMainForm::SaveSettingsOnClose() { SaveSettings(model_, settingsSystem, settingsHooks); }

void TMainForm::DeleteStoredSettings() {
  DeleteSettings(model_, presenter_, settingsSystem, settingsHooks);
  host_.ModelChanged();
}

bool TMainForm::Run() {
  lastPosition_ = -1;
  lastPercent_ = -1;
  const bool started = driver_.Run();
  if (started) {
    // What the new list will carry: CRC32 values when contents are compared
    // by CRC32, and sets of a real comparison (tidy-up offers to remove the
    // single leftovers only then).
    const TCompCriteria criteria = model_.compare.Criteria();
    model_.results.crcAvailable = (criteria & ccContentCRC) != 0;
    actions_.SetListFromCriteriaScan((criteria & (ccFilename | ccSize | ccDate | ccContent)) != 0);
    crcOfPartsOnly_ = model_.compare.On(ccContent) && model_.compare.content.range != acComplete;
  }
  return started;
}

void TMainForm::PrepareLanguages(const std::string& commandLine,
                                 const std::vector<std::string>& folders) {
  languages_ = FillLanguageList(folders);
  selectedLanguage_ = 0;
  commandLineLanguage_ = LanguageFromCommandLine(languages_, commandLine);
}

void TMainForm::ChooseStartLanguage(std::optional<int32_t> stored) {
  if (languages_.empty()) languages_ = FillLanguageList({});
  int32_t wanted = commandLineLanguage_;
  if (wanted == -1 && stored) wanted = *stored;
  if (wanted == -1) wanted = platform::UserDefaultLanguageId();
  selectedLanguage_ = SelectLanguage(languages_, wanted);
  const TLanguageEntry& entry = languages_[selectedLanguage_];
  int32_t current = entry.file.ID;
  if (current != 0) {
    TApplyOptions options;
    options.host = &host_;
    options.unattended = execMode_ == emUnattended;
    if (ApplyLanguageFile(entry.Path(), options) == TApplyResult::Applied) {
      host_.SetStatusText(Str(strIdle));
    } else {
      // Nothing of the file was applied: the built-in English stays.
      current = 0;
      selectedLanguage_ = 0;
    }
  }
  SetCurrentLanguage(current);
  model_.language = current;
}

bool TMainForm::CanLoadLanguage(size_t index) const {
  return index < languages_.size() && languages_[index].file.ID != CurrentLanguage();
}

TMainForm::TLanguageLoad TMainForm::LoadLanguage(size_t index) {
  if (!CanLoadLanguage(index)) return TLanguageLoad::Nothing;
  const TLanguageEntry& entry = languages_[index];
  if (entry.file.ID == 0) {
    // Not translatable: the user may be reading a language they cannot.
    static const char kRestart[] =
        "English is built into the program. To load it, Zwillo\r\nhas to be restarted. Make sure "
        "the settings are saved in\r\nthe registry (Common Options tab), otherwise the "
        "default\r\nsettings will be restored after the restart.\r\nRestart Zwillo now?";
    if (host_.QuestionBox(kRestart, "Information", mbYesNo | mbIconInformation, 0, 0) != ansYes)
      return TLanguageLoad::Nothing;
    SetCurrentLanguage(0);
    model_.language = 0;
    return TLanguageLoad::RestartForEnglish;
  }
  TApplyOptions options;
  options.host = &host_;
  options.unattended = execMode_ == emUnattended;
  if (ApplyLanguageFile(entry.Path(), options) != TApplyResult::Applied)
    return TLanguageLoad::Aborted;
  selectedLanguage_ = index;
  SetCurrentLanguage(entry.file.ID);
  model_.language = entry.file.ID;
  if (!model_.busy) host_.SetStatusText(Str(strIdle));
  host_.ModelChanged();
  host_.ResultsChanged();
  return TLanguageLoad::Applied;
}

std::string TMainForm::LanguageRestartParameters(int visiblePage) {
  return "-lang \"en\" -page " + std::to_string(visiblePage);
}

void TMainForm::HandleStatusEvent(TStatusEvent& ev) {
  switch (ev.kind) {
    case TStatusMsg::StatusText: {
      // Texts that arrive while the search is paused (the Cancel question is
      // open) or over are dropped.
      if (driver_.SearchManager().State() != TZWThreadManager::tsRunning) return;
      const TStrID id = static_cast<TStrID>(ev.value);
      if (ev.path)
        host_.SetStatusPath(
            id == strCreatingFileList ? Str(strCreatingFileList) + "\t" + Str(strPath) : Str(id),
            *ev.path);
      else
        host_.SetStatusText(Str(id));
      return;
    }
    case TStatusMsg::Task:
      return;  // the busy animation is the window's own affair
    case TStatusMsg::ProgressMax:
      lastPosition_ = -1;
      lastPercent_ = -1;
      host_.SetProgress(0, ev.value, 0);
      return;
    case TStatusMsg::DebugRecord:
      if (ev.debug) *ev.debug = DebugRecord();
      return;
    case TStatusMsg::ExceptionReport:
      // Already in the scan log with its details; the user is told too.
      if (ev.report) host_.ShowExceptionReport(*ev.report);
      return;
    case TStatusMsg::ThreadEnded:
      if (ev.value == 1)
        driver_.BrowseFinished();
      else
        driver_.SearchFinished();
      return;
  }
}

TDebugRecord TMainForm::DebugRecord() const {
  TDebugRecord record;
  record.position = lastPosition_ < 0 ? 0 : lastPosition_;
  record.maximum = status_.Maximum();
  record.build = 0x1A0;
  // Note the order: date 2, size 4 (unlike the criteria set).
  record.criteria = "a";
  if (model_.compare.On(ccFilename)) record.criteria += '1';
  if (model_.compare.On(ccDate)) record.criteria += '2';
  if (model_.compare.On(ccSize)) record.criteria += '4';
  if (model_.compare.On(ccContent)) record.criteria += '8';
  return record;
}

void TMainForm::ReportException() {
  const TDebugRecord record = DebugRecord();
  char state[200];
  std::snprintf(state, sizeof state, "thr 0, prgr %d/%d, ver %x, set %s", record.position,
                record.maximum, record.build, record.criteria.c_str());
  auto report = TZWExceptInfo::FromCurrent(state);
  presenter_.LogMsgExcept(logUnhandledException, {report->Message}, report);
  presenter_.LogMsg(logPleaseMailLog);
  host_.ShowExceptionReport(*report);
}

void TMainForm::UpdateProgress() {
  const int32_t position = status_.Position();
  const int32_t maximum = status_.Maximum();
  if (position == lastPosition_) return;
  lastPosition_ = position;
  const int percent =
      maximum > 0 ? static_cast<int>(std::lround(static_cast<double>(position) * 100 / maximum)) : 0;
  host_.SetProgress(position, maximum, percent);
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  std::string title = std::to_string(percent) + "%";
  if (status_.Current() == strCreatingFileList) title += Str(strTaskBrowse);
  if (status_.Current() == strCompNoDetails) title += Str(strTaskCompare);
  host_.SetTitle(title + " - Zwillo Pro");
}

void TMainForm::PollInterrupt() {
  if (interrupted_ || !interruptRequest) return;
  const std::string cause = interruptRequest();
  if (cause.empty()) return;
  interrupted_ = true;
  // Whoever interrupted is not waiting for questions or the log window: what
  // is still asked takes its default answer, as in execution mode p.
  SetExecMode(emUnattended);
  presenter_.LogMsg(logInterrupted, {cause});
  driver_.Cancel(false);     // a scan, when one runs
  actions_.RequestCancel();  // a file action, when one runs
  if (script_.IsRunning()) script_.Abort();
}

void TMainForm::SetExecMode(uint8_t mode) {
  execMode_ = mode;
  presenter_.SetExecMode(mode == emInteractive  ? TExecMode::Interactive
                         : mode == emUnattended ? TExecMode::Unattended
                                                : TExecMode::Default);
}

void TMainForm::ShowPage(TPage page) {
  model_.page = page;
  host_.ShowPage(page);
}

bool TMainForm::AddFolder(TFolderList list, const std::string& path, uint8_t state) {
  return zw::AddFolder(model_, host_, presenter_, list, path, kAppendRow, true, state);
}

bool TMainForm::AddArchiveOrCatalog(TFolderList list, const std::string& path, uint8_t state) {
  return zw::AddArchiveOrCatalog(model_, host_, presenter_, list, path, kAppendRow, true, state);
}

bool TMainForm::AddMask(TMaskListKind list, const std::string& mask, bool checked) {
  return zw::AddMask(model_, host_, presenter_, list, mask, checked);
}

bool TMainForm::SetLogFile(const std::string& path, bool overwrite) {
  return log_.SetLogFile(path, overwrite);
}

void TMainForm::ShowLog() { host_.ShowLog(false); }

bool TMainForm::SaveLog(const std::string& path, bool overwrite) {
  return presenter_.SaveLog(path, overwrite);  // a failure says why
}

void TMainForm::Close() {
  closeRequested_ = true;
  host_.Close();
}

bool TMainForm::Shutdown() {
  if (shutdownSystem) return shutdownSystem();
  platform::OsError err;
  return platform::ShutdownSystem(err);
}

bool TMainForm::Uninstall() {
  TUninstall uninstall;
  uninstall.exePath = platform::ExecutablePath();
  uninstall.setTitle = [this](const std::string& title) { host_.SetTitle(title); };
  uninstall.ask = [this](TMsgID id, int defaultAnswer, const TFmtArgs& args) {
    return presenter_.AskMsg(id, defaultAnswer, args);
  };
  uninstall.deleteSettings = deleteSettings;
  uninstall.openFolder = [this](const std::string& folder) { host_.ShellOpen(folder, ""); };
  std::string said;
  uninstall.report = [&said](const std::string& line) { said += line + "\r\n"; };
  uninstall.languageInForce = model_.language != 0;
  uninstall.languageFiles = languageFiles;
  const bool ends = uninstall.Run();
  if (!said.empty()) host_.MessageBox(said, kProductName, 0x40, 0);
  return ends;
}

// --- the result list ---

void TMainForm::ShowCheckedStatus() {
  if (model_.busy) return;
  model_.statusText = CheckedStatusText(results_.CheckedCount(), results_.CheckedSize());
  host_.SetStatusText(model_.statusText);
}

void TMainForm::SortResults(uint8_t key, bool regroup) {
  if (results_.ItemCount() < 2) return;
  // The CRC32 key needs CRC32 values, whichever direction is asked for.
  if ((key & 0x7F) == 4 && !model_.results.crcAvailable) return;
  if (regroup)
    view_.Regroup(key);
  else
    view_.SortWithinGroups(key);
}

void TMainForm::CheckFiles(TCheckRule rule, bool check) {
  RunCheckRule(results_, rule, check, presenter_);
  host_.ResultsChanged();
  ShowCheckedStatus();
}

bool TMainForm::CheckByCriteria(bool check, const TScriptCriteriaParams& params) {
  TCheckCriteria criteria;
  if (!BuildScriptCriteria(params, criteria, presenter_)) return false;
  zw::CheckByCriteria(results_, check, criteria);
  host_.ResultsChanged();
  ShowCheckedStatus();
  return true;
}

bool TMainForm::CheckedFilesAction(TFileAction action, uint8_t mode,
                                   const std::string& destination) {
  const bool ok = actions_.Run(action, mode, destination);
  host_.ResultsChanged();
  ShowCheckedStatus();
  return ok;
}

bool TMainForm::ImportResults(const std::string& path) {
  if (!files_.Import(path)) return false;
  // A list from a file: no scan stands behind its sets.
  actions_.SetListFromCriteriaScan(false);
  crcOfPartsOnly_ = true;
  ShowCheckedStatus();
  return true;
}

bool TMainForm::ExportResults(const std::string& path, uint8_t format) {
  return files_.ExportAll(path, format);
}

bool TMainForm::CreateCatfile(const TCatFileOptions& given) {
  if (model_.busy) return false;
  TCatFileOptions options = given;
  // The save dialog's default extension: a catalog is only read back as a
  // list row by its ".zwc".
  if (platform::ExtractFileExt(options.FileName).empty()) options.FileName += ".zwc";

  const int32_t total = CatalogEntryCount(results_, options.Entries);
  int32_t done = 0;
  TZWCatWriter writer(results_, presenter_);
  writer.SetPartialContent(crcOfPartsOnly_);
  writer.SetOnStep([&] {
    ++done;
    host_.SetProgress(done, total, total > 0 ? static_cast<int>(int64_t{done} * 100 / total) : 0);
  });

  model_.busy = true;
  model_.listLocked = true;
  host_.SetBusy(true, true);
  model_.statusText = Str(strCreatingCatfile);
  host_.SetStatusText(model_.statusText);
  host_.SetProgress(0, total, 0);
  const bool written = writer.Write(options, true);
  host_.SetProgress(0, 0, 0);
  model_.statusText = Str(strIdle);
  host_.SetStatusText(model_.statusText);
  model_.busy = false;
  model_.listLocked = false;
  host_.SetBusy(false, false);
  return written && writer.EntriesLeftOut() == 0;
}

bool TMainForm::ImportStartFile(const std::string& firstArgument) {
  if (!TResultFiles::IsStartFile(firstArgument)) return false;
  return ImportResults(firstArgument);
}

}  // namespace zw
