#include "app/script/keyword_table.h"

#include "app/script/script_commands.h"

namespace zw {

namespace {

template <class T>
std::unique_ptr<TZWScrCommand> Make() {
  return std::make_unique<T>();
}

constexpr TScrKeyword kKeywords[] = {
    {"execmode", "TZWScrCmd_SetExecMode", true, &Make<TZWScrCmd_SetExecMode>},
    {"logfile", "TZWScrCmd_SetLogfile", true, &Make<TZWScrCmd_SetLogfile>},
    {"page", "TZWScrCmd_SetPage", true, &Make<TZWScrCmd_SetPage>},
    {"setcompare", "TZWScrCmd_SetCompOptions", false, &Make<TZWScrCmd_SetCompOptions>},
    {"clearfolders", "TZWScrCmd_ClearFolderBox", false, &Make<TZWScrCmd_ClearFolderBox>},
    {"ignorefolders", "TZWScrCmd_ClearFolderBox", false, &Make<TZWScrCmd_ClearFolderBox>},
    {"addfolder", "TZWScrCmd_AddFolder", true, &Make<TZWScrCmd_AddFolder>},
    {"scanarchives", "TZWScrCmd_ScanArchives", false, &Make<TZWScrCmd_ScanArchives>},
    {"clearmasks", "TZWScrCmd_ClearMaskBox", false, &Make<TZWScrCmd_ClearMaskBox>},
    {"ignoremasks", "TZWScrCmd_ClearMaskBox", false, &Make<TZWScrCmd_ClearMaskBox>},
    {"addmask", "TZWScrCmd_AddMask", true, &Make<TZWScrCmd_AddMask>},
    {"nosavereg", "TZWScrCmd_UncheckSaveReg", false, &Make<TZWScrCmd_UncheckSaveReg>},
    {"dontsavereg", "TZWScrCmd_UncheckSaveReg", false, &Make<TZWScrCmd_UncheckSaveReg>},
    {"run", "TZWScrCmd_Run", false, &Make<TZWScrCmd_Run>},
    {"showlog", "TZWScrCmd_ShowLog", false, &Make<TZWScrCmd_ShowLog>},
    {"savelog", "TZWScrCmd_SaveLog", true, &Make<TZWScrCmd_SaveLog>},
    {"sortby", "TZWScrCmd_SortResults", true, &Make<TZWScrCmd_SortResults>},
    {"groupby", "TZWScrCmd_SortResults", true, &Make<TZWScrCmd_SortResults>},
    {"checkall", "TZWScrCmd_CheckFiles", false, &Make<TZWScrCmd_CheckFiles>},
    {"checkselected", "TZWScrCmd_CheckFiles", false, &Make<TZWScrCmd_CheckFiles>},
    {"checkfirst", "TZWScrCmd_CheckFiles", false, &Make<TZWScrCmd_CheckFiles>},
    {"checklast", "TZWScrCmd_CheckFiles", false, &Make<TZWScrCmd_CheckFiles>},
    {"checkbycriteria", "TZWScrCmd_CheckByCriteria", true, &Make<TZWScrCmd_CheckByCriteria>},
    {"movechecked", "TZWScrCmd_CheckedFilesAction", true, &Make<TZWScrCmd_CheckedFilesAction>},
    {"recyclechecked", "TZWScrCmd_CheckedFilesAction", false, &Make<TZWScrCmd_CheckedFilesAction>},
    {"deletechecked", "TZWScrCmd_CheckedFilesAction", false, &Make<TZWScrCmd_CheckedFilesAction>},
    {"shortcutchecked", "TZWScrCmd_CheckedFilesAction", false, &Make<TZWScrCmd_CheckedFilesAction>},
    {"importresults", "TZWScrCmd_ImportResults", false, &Make<TZWScrCmd_ImportResults>},
    {"exportresults", "TZWScrCmd_ExportResults", true, &Make<TZWScrCmd_ExportResults>},
    {"createcatfile", "TZWScrCmd_CreateCatfile", true, &Make<TZWScrCmd_CreateCatfile>},
    {"close", "TZWScrCmd_Close", false, &Make<TZWScrCmd_Close>},
    {"shutdown", "TZWScrCmd_Shutdown", false, &Make<TZWScrCmd_Shutdown>},
    {"uninstall", "TZWScrCmd_Uninstall", false, &Make<TZWScrCmd_Uninstall>},
};

}  // namespace

std::span<const TScrKeyword> ScriptKeywords() { return kKeywords; }

const TScrKeyword* MatchKeyword(std::string_view command) {
  for (const TScrKeyword& entry : kKeywords) {
    const std::string_view& kw = entry.keyword;
    if (command.size() >= kw.size() && command.compare(0, kw.size(), kw) == 0 &&
        (command.size() == kw.size() || command[kw.size()] == ' '))
      return &entry;
  }
  return nullptr;
}

}  // namespace zw
