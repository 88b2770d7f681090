#include "app/settings/settings.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "app/size_edit.h"
#include "app/text_ids.h"
#include "engine/common/le_bytes.h"
#include "engine/dupes/criteria.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace zw {

namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RegRoot;
using Bytes = std::vector<uint8_t>;

constexpr RegRoot kUser = RegRoot::CurrentUser;
constexpr const char* kDefaultMasks[] = {"*.dll", "*.sys", "*.vxd", "*.inf"};
constexpr uint8_t kMaxUnit = 6;  // EB

// Reads values of one open key. Integers and flags read without a presence
// test must be there with their type; strings and binaries may be missing
// (a string then reads as empty, a binary leaves its buffer alone), but one
// of another type, or a binary longer than its buffer, stops the reading
// like a missing integer.
class TValueReader {
 public:
  explicit TValueReader(const RegKey& key) : key_(key) {}

  bool Has(const std::string& name) const { return key_.ValueExists(name); }

  uint32_t Int(const std::string& name) {
    const std::optional<uint32_t> v = key_.ReadDword(name);
    if (!v) Stop(name);
    return *v;
  }
  bool Flag(const std::string& name) { return Int(name) != 0; }
  // A value that may be missing or mistyped without harm.
  std::optional<uint32_t> IntIfValid(const std::string& name) const { return key_.ReadDword(name); }

  std::string Str(const std::string& name) {
    if (!Has(name)) return {};
    std::optional<std::string> v = key_.ReadString(name);
    if (!v) Stop(name);
    return *v;
  }

  // Fills the first bytes of `buffer` with the value, when there is one.
  void Bin(const std::string& name, uint8_t* buffer, size_t size) {
    if (!Has(name)) return;
    const std::optional<Bytes> v = key_.ReadBinary(name);
    if (!v || v->size() > size) Stop(name);
    if (!v->empty()) std::memcpy(buffer, v->data(), v->size());
  }
  // An advanced criteria record from its byte image.
  template <class T>
  void Record(const std::string& name, T& record) {
    Bytes image = ToBytes(record);
    Bin(name, image.data(), image.size());
    FromBytes(image, record);
  }

 private:
  [[noreturn]] static void Stop(const std::string& name) { throw ESettingsValue(name); }

  const RegKey& key_;
};

// Lines separated (or each ended) by CR LF; a last empty piece is no line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, bool afterEach) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  if (afterEach && !lines.empty()) text += "\r\n";
  return text;
}

// A folder list from its states digits and its paths.
void ReadFolderList(TFolderListModel& list, const std::string& states, const std::string& paths) {
  list = TFolderListModel{};
  const std::vector<std::string> lines = SplitLines(paths);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    uint8_t state = dsSingle;
    if (i < states.size() && states[i] >= '0' && states[i] <= '5')
      state = static_cast<uint8_t>(states[i] - '0');
    list.rows.push_back(TDirRow{lines[i], state});
  }
}

void ReadMaskList(TMaskListModel& list, const std::string& states, const std::string& masks) {
  list.rows.clear();
  list.selected = -1;
  const std::vector<std::string> lines = SplitLines(masks);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    list.rows.push_back(TMaskRow{lines[i], i < states.size() && states[i] == '1'});
  }
}

void WriteFolderList(RegKey& key, const char* statesName, const char* pathsName,
                     const TFolderListModel& list) {
  std::string states;
  std::vector<std::string> paths;
  for (const TDirRow& row : list.rows) {
    states += static_cast<char>('0' + std::min<uint8_t>(row.state, 9));
    paths.push_back(row.caption);
  }
  key.WriteString(statesName, states);
  key.WriteString(pathsName, JoinLines(paths, false));
}

void WriteMaskList(RegKey& key, const char* statesName, const char* masksName,
                   const TMaskListModel& list) {
  std::string states;
  std::vector<std::string> masks;
  for (const TMaskRow& row : list.rows) {
    states += row.checked ? '1' : '0';
    masks.push_back(row.text);
  }
  key.WriteString(statesName, states);
  key.WriteString(masksName, JoinLines(masks, true));
}

// A size edit from its number in its unit (the old edition's form).
void SetSizeNumber(TSizeEditModel& edit, int64_t number, uint8_t unit) {
  edit.unit = std::min(unit, kMaxUnit);
  number = std::clamp<int64_t>(number, 0, SizeEditLimit(edit.unit));
  edit.text = std::to_string(number);
  edit.bytes = static_cast<uint64_t>(number) << (10 * edit.unit);
}

// A size edit from its stored bytes and unit.
void SetSizeBytes(TSizeEditModel& edit, int64_t bytes, uint32_t unit) {
  edit.unit = static_cast<uint8_t>(std::min<uint32_t>(unit, kMaxUnit));
  edit.bytes = bytes < 0 ? 0 : static_cast<uint64_t>(bytes);
  edit.text = std::to_string(edit.bytes >> (10 * edit.unit));
}

Bytes FontStyleBytes(const TFontModel& font) {
  const int32_t size = std::clamp<int32_t>(font.size, -128, 127);
  return {font.style, static_cast<uint8_t>(static_cast<int8_t>(size))};
}

Bytes ColorBytes(const TResultViewModel& view) {
  Bytes b;
  for (uint32_t c : view.colors) le::Put32(b, c);
  return b;
}

// Comm_ResListCols as if the columns were stored.
Bytes StoredColumnsBytes(const TColumnsModel& columns) {
  Bytes b{5};
  for (uint8_t i : columns.order) b.push_back(i);
  for (int16_t w : columns.widths) le::Put16(b, static_cast<uint16_t>(w));
  return b;
}

void ReadCurrentKey(TValueReader& r, TWindowModel& model, const TSettingsSystem& sys,
                    bool readLanguage) {
  TCompareSettings& cmp = model.compare;
  cmp.Set(ccFilename, r.Flag("Comp_Filename"));
  cmp.Set(ccSize, r.Flag("Comp_Size"));
  cmp.Set(ccDate, r.Flag("Comp_Date"));
  cmp.Set(ccContent, r.Flag("Comp_Content"));
  r.Record("Comp_FilenameAdv", cmp.filename);
  r.Record("Comp_SizeAdv", cmp.size);
  r.Record("Comp_DateAdv", cmp.date);
  r.Record("Comp_ContentAdv", cmp.content);

  if (const uint32_t mode = r.Int("Scan_AttribMode"); mode <= fmLimitTo)
    model.attribMode = static_cast<uint8_t>(mode);
  model.attrReadOnly = r.Flag("Scan_AttribReadOnly");
  model.attrHidden = r.Flag("Scan_AttribHidden");
  model.attrArchive = r.Flag("Scan_AttribArchive");
  model.attrSystem = r.Flag("Scan_AttribSystem");
  if (const uint32_t mode = r.Int("Scan_SizeMode"); mode <= fmLimitTo)
    model.sizeMode = static_cast<uint8_t>(mode);
  for (auto [bytesName, unitName, edit] :
       {std::tuple{"Scan_Size1", "Scan_Size1Unit", &model.sizeLow},
        std::tuple{"Scan_Size2", "Scan_Size2Unit", &model.sizeHigh}}) {
    Bytes bytes;
    le::Put64(bytes, edit->bytes);
    r.Bin(bytesName, bytes.data(), bytes.size());
    const uint32_t unit = r.Int(unitName);
    SetSizeBytes(*edit, static_cast<int64_t>(le::Get64(bytes.data())), unit);
  }
  if (r.Has("Scan_InsideArchives")) model.scanArchives = r.Flag("Scan_InsideArchives");
  ReadFolderList(model.fresh, r.Str("Scan_DirsNStates"), r.Str("Scan_DirsN"));
  ReadFolderList(model.library, r.Str("Scan_DirsSStates"), r.Str("Scan_DirsS"));
  ReadMaskList(model.limitMasks, r.Str("Scan_MaskLiStates"), r.Str("Scan_MaskLi"));
  ReadMaskList(model.excludeMasks, r.Str("Scan_MaskExStates"), r.Str("Scan_MaskEx"));

  if (readLanguage) model.language = static_cast<int32_t>(r.Int("Comm_Language"));
  model.lessStatus = r.Flag("Comm_NoStatusFilenames");
  model.findEmptyDirs = r.Flag("Comm_FindEmptyDirs");
  if (r.Has("Comm_ResultFontFace")) {
    const std::string face = r.Str("Comm_ResultFontFace");
    if (!face.empty()) model.resultFont.face = face;
    Bytes style = FontStyleBytes(model.resultFont);
    r.Bin("Comm_ResultFontStyle", style.data(), style.size());
    model.resultFont.style = style[0];
    model.resultFont.size = static_cast<int8_t>(style[1]);
  }

  Bytes colors = ColorBytes(model.results);
  r.Bin("Comm_ColorsResultListBg", colors.data(), colors.size());
  for (int i = 0; i < 4; ++i) model.results.colors[i] = le::Get32(colors.data() + 4 * i);
  if (const uint32_t unit = r.Int("Comm_FilesizeDisplayUnit"); unit <= 7)
    model.results.sizeUnit = static_cast<uint8_t>(unit);
  model.results.displaySecs = r.Flag("Comm_DisplaySecs");
  model.results.altPathShortening = r.Flag("Comm_PathShortening");

  // Values that later versions added come only together.
  if (r.Has("Comm_HideExtensions")) {
    model.results.hideExtensions = r.Flag("Comm_HideExtensions");
    if (r.Has("MRU_CbC-Files")) {
      model.mruFiles = SplitLines(r.Str("MRU_CbC-Files"));
      model.mruPaths = SplitLines(r.Str("MRU_CbC-Paths"));
    }
    if (r.Has("Comm_RegFiletypes")) {
      const uint8_t flags = static_cast<uint8_t>(r.Int("Comm_RegFiletypes") & 0xFF);
      model.store.fileTypesRegistered = flags;
      model.store.fileTypesWanted = flags;
      // The box shows what the stored flags want, ticked or not.
      model.store.regFiletypes = (flags & 0x01) != 0;
    }
  }

  if (r.Has("Comm_WindowPos")) {
    uint8_t pos[17] = {};
    r.Bin("Comm_WindowPos", pos, sizeof pos);
    if (pos[0] & 0x01) {
      TWindowPlacement& p = model.placement;
      model.store.saveWindowPos = true;
      p.restored = true;
      const uint8_t state = pos[0] >> 1;
      p.state = state <= 2 ? state : 0;
      p.width = static_cast<int32_t>(le::Get32(pos + 1));
      p.height = static_cast<int32_t>(le::Get32(pos + 5));
      p.top = static_cast<int32_t>(le::Get32(pos + 9));
      p.left = static_cast<int32_t>(le::Get32(pos + 13));
      if (sys.desktop) ClampWindowPlacement(p, *sys.desktop, sys.windowWidth, sys.windowHeight);
    }
  }

  if (r.Has("Comm_ResListCols")) {
    Bytes cols = StoredColumnsBytes(model.columns);
    r.Bin("Comm_ResListCols", cols.data(), cols.size());
    if (cols[0] != 0xFF) {
      model.store.saveResultListColumns = true;
      for (int i = 0; i < 5; ++i)
        model.columns.widths[i] = static_cast<int16_t>(le::Get16(cols.data() + 6 + 2 * i));
      // An order that does not show every column once would hide columns.
      uint8_t seen = 0;
      for (int i = 0; i < 5; ++i) seen |= cols[1 + i] < 5 ? 1 << cols[1 + i] : 0x80;
      if (seen == 0x1F) std::copy(cols.begin() + 1, cols.begin() + 6, model.columns.order);
    }
  }
}

}  // namespace

TSettingsSystem CurrentSettingsSystem() {
  TSettingsSystem sys;
  sys.isAdmin = platform::IsAdministrator();
  sys.defaultFolders = platform::DefaultExcludeFolders();
  sys.fileExists = [](const std::string& path) { return platform::FileExists(path); };
  sys.programFile = platform::ExecutablePath();
  return sys;
}

TSettingsLoad LoadSettings(TWindowModel& model, const TSettingsSystem& sys, bool readLanguage,
                           const TSettingsKeys& keys) {
  TSettingsLoad result;
  model.store.regFiletypes = sys.isAdmin;
  model.placement.restored = false;
  model.store.fileTypesRegistered = 0;
  model.store.fileTypesWanted = 7;
  try {
    // The maker key first: without it there is nothing to read or import.
    if (!platform::RegKeyExists(kUser, keys.maker)) {
      result.storeProblem = platform::RegStoreProblem();
      return result;
    }
    RegKey key;
    if (!key.Open(kUser, keys.Current(), RegAccess::Read)) {
      result.storeProblem = platform::RegStoreProblem();
      result.imported = platform::RegKeyExists(kUser, keys.Old());
      ImportOldSettings(model, result.firstStart, keys);
      return result;
    }
    result.storeProblem = platform::RegStoreProblem();
    result.found = true;
    result.firstStart = 0;
    model.saveSettings = true;
    model.store.delRegEnabled = true;
    TValueReader reader(key);
    ReadCurrentKey(reader, model, sys, readLanguage);
  } catch (const ESettingsValue& e) {
    result.stoppedAt = e.valueName;
    result.report = TZWExceptInfo::FromCurrent("reading the settings");
  }
  return result;
}

void ImportOldSettings(TWindowModel& model, uint8_t& firstStart, const TSettingsKeys& keys) {
  RegKey old;
  if (!old.Open(kUser, keys.Old(), RegAccess::Read)) return;
  model.saveSettings = true;
  model.store.delRegEnabled = true;
  TValueReader r(old);
  model.compare.Set(ccFilename, r.Flag("NamesIdentical"));
  model.compare.Set(ccSize, r.Flag("SizesIdentical"));
  model.compare.Set(ccDate, r.Flag("DatesIdentical"));
  model.compare.Set(ccContent, r.Flag("CRC32Identical"));
  firstStart &= static_cast<uint8_t>(~(fsdExcludeMasks | fsdCheckDll | fsdCheckOthers));
  if (r.Has("LeaveOutDll")) {
    // The oldest layout: two boxes instead of the exclude masks.
    firstStart |= fsdExcludeMasks;
    if (r.IntIfValid("LeaveOutDll").value_or(0)) firstStart |= fsdCheckDll;
    if (r.IntIfValid("LeaveOutSys").value_or(0)) firstStart |= fsdCheckOthers;
  } else {
    ReadMaskList(model.limitMasks, r.Str("MaskLimitChecked"), r.Str("MaskLimit"));
    ReadMaskList(model.excludeMasks, r.Str("MaskExcludeChecked"), r.Str("MaskExclude"));
    if (const auto hide = r.IntIfValid("HideStatus")) model.lessStatus = *hide != 0;
  }
  model.attrReadOnly = r.Flag("LeaveOutReadOnly");
  model.attrHidden = r.Flag("LeaveOutHidden");
  model.attrArchive = r.Flag("LeaveOutArchive");
  model.attrSystem = r.Flag("LeaveOutSystem");
  if (r.Flag("LeaveOutSizeLimitActivated")) model.sizeMode = fmExclude;

  // The old edition kept numbers in their unit.
  int64_t lowNumber = r.Int("LeaveOutSizeLimit");
  uint8_t lowUnit = model.sizeLow.unit;
  std::optional<std::pair<int64_t, uint8_t>> high;
  if (const auto unit = r.IntIfValid("LeaveOutSizeUnit")) {
    lowUnit = static_cast<uint8_t>(std::min<uint32_t>(*unit, kMaxUnit));
    if (model.sizeMode != fmIgnore) {
      switch (r.Int("LeaveOutBiggerSmaller")) {
        case 0:  // bigger than the limit: from there up to 7 EB
          model.sizeMode = fmLimitTo;
          high = {7, kMaxUnit};
          break;
        case 1:  // smaller than the limit
          model.sizeMode = fmLimitTo;
          high = {lowNumber, lowUnit};
          lowNumber = 0;
          break;
        case 2:
          model.sizeMode = fmExclude;
          high = {lowNumber, lowUnit};
          break;
        default:
          break;
      }
    }
  }
  SetSizeNumber(model.sizeLow, lowNumber, lowUnit);
  if (high) SetSizeNumber(model.sizeHigh, high->first, high->second);

  ReadFolderList(model.fresh, r.Str("FoldersRecursively"), r.Str("Folders"));
}

void ApplyFirstStartDefaults(TWindowModel& model, uint8_t firstStart,
                             const std::vector<std::string>& defaultFolders) {
  if (firstStart & fsdExcludeMasks) {
    for (const char* mask : kDefaultMasks) {
      const bool dll = std::strcmp(mask, "*.dll") == 0;
      const bool checked = (firstStart & (dll ? fsdCheckDll : fsdCheckOthers)) != 0;
      model.excludeMasks.rows.push_back(TMaskRow{mask, checked});
    }
  }
  if (firstStart & fsdFolders) {
    for (const std::string& folder : defaultFolders) {
      if (folder.empty()) continue;
      const bool listed = std::any_of(
          model.fresh.rows.begin(), model.fresh.rows.end(), [&](const TDirRow& row) {
            return platform::SamePath(platform::ExcludeTrailingSep(row.caption),
                                      platform::ExcludeTrailingSep(folder));
          });
      if (!listed) model.fresh.rows.push_back(TDirRow{folder, dsExclude});
    }
  }
}

void ClampWindowPlacement(TWindowPlacement& p, const platform::DesktopMetrics& d,
                          int32_t currentWidth, int32_t currentHeight) {
  const int32_t w0 = currentWidth;  // the width before the stored one applies
  if (p.width < d.minWidth) p.width = currentWidth;
  if (p.height < d.minHeight) p.height = currentHeight;
  if (p.top < d.top)
    p.top = d.top;
  else if (p.top > d.bottom - d.captionHeight)
    p.top = d.bottom - d.captionHeight;
  if (d.left + 4 * d.captionButtonWidth > p.left + w0)
    p.left = d.left + 4 * d.captionButtonWidth - w0;
  else if (d.right - 4 * d.smallIconWidth < p.left)
    p.left = d.right - 4 * d.smallIconWidth;
}

void CentreWindow(TWindowPlacement& p, const platform::DesktopMetrics& d, int32_t currentWidth,
                  int32_t currentHeight) {
  if (p.width <= 0) p.width = currentWidth;
  if (p.height <= 0) p.height = currentHeight;
  p.left = (d.screenWidth - p.width) / 2;
  p.top = (d.screenHeight - p.height) / 2;
}

Bytes WindowPosBytes(const TWindowModel& model) {
  Bytes b;
  if (!model.store.saveWindowPos) return Bytes(17, 0);
  const TWindowPlacement& p = model.placement;
  b.push_back(static_cast<uint8_t>(0x01 | (p.state << 1)));
  for (int32_t v : {p.width, p.height, p.top, p.left}) le::Put32(b, static_cast<uint32_t>(v));
  return b;
}

Bytes ResListColsBytes(const TWindowModel& model) {
  if (!model.store.saveResultListColumns) {
    Bytes b(16, 0);
    b[0] = 0xFF;
    return b;
  }
  return StoredColumnsBytes(model.columns);
}

bool SaveSettings(TWindowModel& model, const TSettingsSystem& sys, const TSettingsHooks& hooks,
                  const TSettingsKeys& keys) {
  if (!model.saveSettings) return false;
  RegKey key;
  const bool opened = key.Open(kUser, keys.Current(), RegAccess::Create);
  if (opened) {
    const auto flag = [&key](const char* name, bool on) { key.WriteDword(name, on ? 1 : 0); };
    const TCompareSettings& cmp = model.compare;
    key.WriteString("ProgPath", sys.programFile);
    key.WriteString("Version", sys.version);
    flag("Comp_Filename", cmp.On(ccFilename));
    flag("Comp_Size", cmp.On(ccSize));
    flag("Comp_Date", cmp.On(ccDate));
    flag("Comp_Content", cmp.On(ccContent));
    key.WriteBinary("Comp_FilenameAdv", ToBytes(cmp.filename));
    key.WriteBinary("Comp_SizeAdv", ToBytes(cmp.size));
    key.WriteBinary("Comp_DateAdv", ToBytes(cmp.date));
    key.WriteBinary("Comp_ContentAdv", ToBytes(cmp.content));
    key.WriteDword("Scan_AttribMode", model.attribMode);
    flag("Scan_AttribReadOnly", model.attrReadOnly);
    flag("Scan_AttribHidden", model.attrHidden);
    flag("Scan_AttribArchive", model.attrArchive);
    flag("Scan_AttribSystem", model.attrSystem);
    key.WriteDword("Scan_SizeMode", model.sizeMode);
    key.WriteDword("Scan_Size1Unit", model.sizeLow.unit);
    key.WriteDword("Scan_Size2Unit", model.sizeHigh.unit);
    Bytes size;
    le::Put64(size, model.sizeLow.bytes);
    key.WriteBinary("Scan_Size1", size);
    size.clear();
    le::Put64(size, model.sizeHigh.bytes);
    key.WriteBinary("Scan_Size2", size);
    flag("Scan_InsideArchives", model.scanArchives);
    WriteFolderList(key, "Scan_DirsNStates", "Scan_DirsN", model.fresh);
    WriteFolderList(key, "Scan_DirsSStates", "Scan_DirsS", model.library);
    WriteMaskList(key, "Scan_MaskLiStates", "Scan_MaskLi", model.limitMasks);
    WriteMaskList(key, "Scan_MaskExStates", "Scan_MaskEx", model.excludeMasks);
    key.WriteDword("Comm_Language", static_cast<uint32_t>(model.language));
    flag("Comm_NoStatusFilenames", model.lessStatus);
    flag("Comm_FindEmptyDirs", model.findEmptyDirs);
    flag("Comm_HideExtensions", model.results.hideExtensions);
    key.WriteString("Comm_ResultFontFace",
                    model.resultFont.face == TFontModel::kDefaultFace ? "" : model.resultFont.face);
    key.WriteBinary("Comm_ResultFontStyle", FontStyleBytes(model.resultFont));
    key.WriteBinary("Comm_ColorsResultListBg", ColorBytes(model.results));
    key.WriteDword("Comm_FilesizeDisplayUnit", model.results.sizeUnit);
    flag("Comm_DisplaySecs", model.results.displaySecs);
    flag("Comm_PathShortening", model.results.altPathShortening);
    if (model.mruUsed) {
      key.WriteString("MRU_CbC-Files", JoinLines(model.mruFiles, false));
      key.WriteString("MRU_CbC-Paths", JoinLines(model.mruPaths, false));
    }
    key.WriteBinary("Comm_WindowPos", WindowPosBytes(model));
    key.WriteBinary("Comm_ResListCols", ResListColsBytes(model));
    key.WriteDword("Comm_RegFiletypes", model.store.fileTypesWanted);
    key.Close();
    if (hooks.applyFileTypes) hooks.applyFileTypes(model);
  }
  model.store.delRegEnabled = true;
  if (hooks.updateUninstallEntry) hooks.updateUninstallEntry();
  return opened;
}

void DeleteSettings(TWindowModel& model, IMessenger& msgr, const TSettingsSystem& sys,
                    const TSettingsHooks& hooks, const TSettingsKeys& keys) {
  platform::RegDeleteKeyTree(kUser, keys.Current());
  bool oldDeleted = false;
  if (platform::RegKeyExists(kUser, keys.Old())) {
    std::string progPath;
    {
      RegKey old;
      if (old.Open(kUser, keys.Old(), RegAccess::Read))
        progPath = old.ReadString("ProgPath").value_or("");
    }
    // The older edition still installed keeps its settings without a word.
    const bool installed = !progPath.empty() && sys.fileExists && sys.fileExists(progPath);
    if (!installed && msgr.AskMsg(askDelReg, ansNo) == ansYes)
      oldDeleted = platform::RegDeleteKeyTree(kUser, keys.Old());
  }
  {
    RegKey maker;
    if (maker.Open(kUser, keys.maker, RegAccess::Read) && !maker.HasSubKeys()) {
      maker.Close();
      platform::RegDeleteKeyTree(kUser, keys.maker);
    }
  }
  if (hooks.deleteUninstallEntries) hooks.deleteUninstallEntries(oldDeleted);
  if (hooks.unregisterFileTypes) hooks.unregisterFileTypes(model.store.fileTypesRegistered);
  model.store.delRegEnabled = false;
  model.saveSettings = false;
}

}  // namespace zw
