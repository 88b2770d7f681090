#include "app/options/common_options.h"

#include <algorithm>

#include "app/shell/file_types.h"

namespace zw {

TStoreGroupState StoreGroupState(const TWindowModel& model, bool isAdmin) {
  TStoreGroupState state;
  state.saveWindowPos = model.saveSettings;
  state.saveResultListColumns = model.saveSettings;
  state.regFiletypes = model.saveSettings && isAdmin;
  state.regFiletypesButton = state.regFiletypes;
  state.deleteSettings = model.store.delRegEnabled;
  return state;
}

void SetRegFiletypes(TStoreOptions& store, bool on) {
  store.regFiletypes = on;
  if (on)
    store.fileTypesWanted |= ftOn;
  else
    store.fileTypesWanted &= static_cast<uint8_t>(~ftOn);
}

TRegFiletypesChoice RegFiletypesPreset(const TStoreOptions& store) {
  TRegFiletypesChoice choice;
  if (!(store.fileTypesWanted & ftOn)) return choice;
  choice.resultLists = (store.fileTypesWanted & ftResultLists) != 0;
  choice.catalogs = (store.fileTypesWanted & ftCatalogs) != 0;
  choice.folders = (store.fileTypesWanted & ftFolders) != 0;
  return choice;
}

void ApplyRegFiletypesChoice(TStoreOptions& store, const TRegFiletypesChoice& choice) {
  uint8_t types = 0;
  if (choice.resultLists) types |= ftResultLists;
  if (choice.catalogs) types |= ftCatalogs;
  if (choice.folders) types |= ftFolders;
  if (types)
    store.fileTypesWanted = static_cast<uint8_t>(types | ftOn);
  else
    store.fileTypesWanted &= static_cast<uint8_t>(~ftOn);
  store.regFiletypes = (store.fileTypesWanted & ftOn) != 0;
}

TScreenPoint PlaceBelow(const TScreenRect& button, int32_t width, int32_t height,
                        const TScreenRect& screen) {
  TScreenPoint at{button.left, button.bottom};
  at.x = std::max(std::min(at.x, screen.right - width), screen.left);
  at.y = std::max(std::min(at.y, screen.bottom - height), screen.top);
  return at;
}

}  // namespace zw
