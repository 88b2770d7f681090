#include "app/results/catalog_dialog.h"

#include "platform/paths.h"
#include "app/text/string_table.h"
#include "app/text_ids.h"

namespace zw {

void TCatalogDialogModel::Prepare(TResultList& list) {
  bool selected = false;
  {
    TResultList::TGuard guard(list);
    for (const TResultEntry* entry : list.Items())
      if (entry && (entry->Flags & reflag::kSelected)) {
        selected = true;
        break;
      }
  }
  selectedEnabled = selected;
  checkedEnabled = list.CheckedCount() > 0;
  if ((entries == catentries::kSelected && !selectedEnabled) ||
      (entries == catentries::kChecked && !checkedEnabled) || entries > catentries::kChecked)
    entries = catentries::kAll;
}

bool TCatalogDialogModel::Browse(IHost& host) {
  int filterIndex = 1;
  const auto picked = host.PickSaveFile(Str(strCatfileSaveTitle), Str(strCatfileFilter), filterIndex);
  if (!picked || picked->empty()) return false;
  destination = *picked;
  if (platform::ExtractFileExt(destination).empty()) destination += ".zwc";
  return true;
}

bool TCatalogDialogModel::Accept(IHost& host, TCatFileOptions& out) {
  if (destination.empty() && !Browse(host)) return false;
  out = TCatFileOptions{};
  out.FileName = destination;
  out.Entries = entries;
  out.Data = static_cast<uint8_t>((dirAttributes ? catdata::kDirAttributes : 0) |
                                  (checksums ? catdata::kChecksums : 0));
  out.Paths = paths;
  out.BasePath = paths == catpaths::kRelative ? basePath : std::string();
  return true;
}

}  // namespace zw
