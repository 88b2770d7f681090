// Result list files: the binary layout byte for byte, the text lines, the
// names and formats an export writes (one table), copy, import with its
// failures (another table), drops and the start-up file, on real files.
#include "app/results/result_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/support/result_sets.h"
#include "app/support/test_host.h"
#include "app/text_ids.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "support/files.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"

using zwtest::HostCall;
using zwtest::ReadAll;
using zwtest::TempTree;

namespace {

namespace fs = std::filesystem;

// Little-endian bytes written out by hand for the expected files.
std::string LE(uint64_t v, int width) {
  std::string out;
  for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return out;
}
std::string Header(uint16_t version, uint16_t flags, uint32_t entries, uint32_t sets,
                   uint32_t focused, uint8_t grouping) {
  return "ZWReLi" + LE(version, 2) + LE(flags, 2) + LE(entries, 4) + LE(sets, 4) +
         LE(focused, 4) + LE(grouping, 1);
}
std::string RecordV1(uint32_t set, const std::string& path, const std::string& name,
                     uint64_t size = 1, uint64_t time = 0, uint32_t attr = 0, uint32_t crc = 0,
                     uint32_t sample = 0, uint8_t flags = 0) {
  return LE(set, 4) + LE(path.size(), 4) + LE(name.size(), 4) + LE(size, 8) + LE(time, 8) +
         LE(attr, 4) + LE(crc, 4) + LE(sample, 4) + LE(flags, 1) + path + name;
}
std::string RecordV0(uint32_t set, const std::string& path, const std::string& name,
                     uint64_t size, uint64_t time, uint32_t crc, uint8_t flags) {
  return LE(set, 4) + LE(path.size(), 4) + LE(name.size(), 4) + LE(size, 8) + LE(time, 8) +
         LE(crc, 4) + LE(flags, 1) + path + name;
}
// Everything a record holds, for comparing entries.
std::string Fields(const zw::TResultEntry& e) {
  std::string out;
  for (uint64_t v : {uint64_t{e.Set}, e.Size, uint64_t(e.Time), uint64_t(e.TimeUtc()),
                     uint64_t{e.Attributes}, uint64_t{e.Crc}, uint64_t{e.Sample},
                     uint64_t{e.Flags}})
    out += std::to_string(v) + " ";
  return out + e.Path.str() + e.Name;
}

// A temporary folder and a result list; unless `empty`, two sets as the
// search hands them over: a1.txt a2.txt (set 0, shaded) | b1 b2 b3 (set 1).
struct Fixture {
  explicit Fixture(bool empty = false) : files(host, msgs, model, list) {
    if (!empty)
      zwtest::AddSets(list, {{{"a1.txt", 100, "/data/", 0, 0x01D0000000000000},
                              {"a2.txt", 100, "/data/sub/", 0, 0x01D0000000001000}},
                             {{"b1", 7, "/x/"}, {"b2", 7, "/y/"}, {"b3", 7, "/z/"}}});
  }
  // What the last msgImportResultsFailed said after the file name.
  std::string ImportReason() const {
    auto m = msgs.With(zw::msgImportResultsFailed);
    return m.empty() ? std::string() : m.back().Str(1);
  }
  std::string Line(int32_t row, bool crc = false) const {
    return zw::ResultTextLine(*list.Item(row), crc) + "\r\n";
  }

  TempTree t;
  zwtest::TestHost host;
  zwtest::RecordingMessenger msgs;
  zw::TWindowModel model;
  zw::TResultList list;
  zw::TResultFiles files;
};

// ---------------------------------------------------------------------------
// Binary layout and text lines

TEST(ResultFileLayout, ExportedFileIsHeaderRecordsInListOrderAndUtcTimes) {
  Fixture f;
  zw::TResultEntry& a2 = *f.list.Item(1);  // every byte of its numbers its own
  a2.Size = 0x1122334455667788ull;
  a2.Time = 0x0102030405060708ll;
  a2.Attributes = 0x21;
  a2.Crc = 0xCAFEBABE;
  a2.Sample = 0x0A0B0C0D;
  a2.Flags |= zw::reflag::kCrcValid;
  f.list.SetGroupingMode(2);
  f.model.results.focused = 3;
  f.model.results.crcAvailable = true;
  ASSERT_TRUE(f.files.ExportAll(f.t.PathOf("out.zwr"), zw::efByExtension));
  std::string expected = Header(1, 1, 5, 2, 3, 2) +
                         RecordV1(0, "/data/", "a1.txt", 100, 0x01D0000000000000, 0, 0, 0, 0x02) +
                         RecordV1(0, "/data/sub/", "a2.txt", 0x1122334455667788ull,
                                  0x0102030405060708ll, 0x21, 0xCAFEBABE, 0x0A0B0C0D, 0x22) +
                         RecordV1(1, "/x/", "b1", 7) + RecordV1(1, "/y/", "b2", 7) +
                         RecordV1(1, "/z/", "b3", 7) + "ZWReUt" + LE(5, 4);
  for (int32_t i = 0; i < 5; ++i) expected += LE(f.list.Item(i)->TimeUtc(), 8);
  EXPECT_NE(f.list.Item(0)->TimeUtc(), 0u);
  EXPECT_EQ(ReadAll(f.t.PathOf("out.zwr")), expected);

  // Without a focused row the first selected one goes into the header, else 0; no
  // CRC32 flag while the option is off.
  f.model.results.focused = -1;
  f.model.results.crcAvailable = false;
  zwtest::Select(f.list, {3, 4});
  ASSERT_TRUE(f.files.ExportAll(f.t.PathOf("sel.zwr"), zw::efBinary));
  EXPECT_EQ(ReadAll(f.t.PathOf("sel.zwr")).substr(8, 14),
            LE(0, 2) + LE(5, 4) + LE(2, 4) + LE(3, 4));
  for (int32_t row : {3, 4})
    f.list.Item(row)->Flags &= static_cast<uint8_t>(~zw::reflag::kSelected);
  ASSERT_TRUE(f.files.ExportAll(f.t.PathOf("none.zwr"), zw::efBinary));
  EXPECT_EQ(ReadAll(f.t.PathOf("none.zwr")).substr(18, 4), LE(0, 4));
}

TEST(ResultFileLayout, TextLinesAreShadeCheckNamePathSizeDateAndCrc) {
  Fixture f;
  f.list.Check(f.list.Item(0));
  const zw::TResultEntry& a2 = *f.list.Item(1);
  EXPECT_EQ(zw::ResultTextLine(*f.list.Item(0), false).substr(0, 3), "11\t");
  EXPECT_EQ(zw::ResultTextLine(a2, false),
            "10\ta2.txt\t/data/sub/\t100\t" + zw::platform::DateTimeText(a2.Time, true));
  EXPECT_EQ(zw::ResultTextLine(*f.list.Item(2), false).substr(0, 3), "00\t");
  zw::TResultEntry e;  // CRC32 column: eight lower-case digits, valid or not
  e.Name = "n";
  e.Path = "/p/";
  e.Size = 5000000000ull;
  e.Crc = 0xABC;
  const std::string line = zw::ResultTextLine(e, true);
  EXPECT_EQ(line.substr(0, 20), "00\tn\t/p/\t5000000000\t");
  EXPECT_EQ(line.substr(line.size() - 9), "\t00000abc");
  EXPECT_EQ(zw::ResultTextLine(e, false).find("00000abc"), std::string::npos);

  f.model.results.crcAvailable = true;  // a text file: every line with CR LF, no header
  ASSERT_TRUE(f.files.ExportAll(f.t.PathOf("list.txt"), zw::efByExtension));
  EXPECT_EQ(ReadAll(f.t.PathOf("list.txt")),
            f.Line(0, true) + f.Line(1, true) + f.Line(2, true) + f.Line(3, true) +
                f.Line(4, true));
}

// ---------------------------------------------------------------------------
// Export: names and formats

TEST(ResultExport, TheNameAndTheModeDecideTheFileAndItsFormat) {
  const struct {
    const char* typed;  // "": the dialog, which answers `picked` with `filterIndex`
    uint8_t mode;
    const char* existing;  // a file there before ("old.txt" is replaced)
    const char* written;   // "": none
    bool text;
    const char* picked = "";
    int filterIndex = 0;
  } cases[] = {
      {"dupes", zw::efByExtension, "", "dupes.zwr", false},
      {"dupes", zw::efByExtension, "dupes.zwr", "dupes", false},  // not lengthened onto a file
      {"plain", zw::efText, "", "plain.txt", true},
      {"other", zw::efText, "other.txt", "other", true},
      {"upper.TXT", zw::efByExtension, "", "upper.TXT", true},
      {"list.dat", zw::efByExtension, "", "list.dat", false},
      {"raw", zw::efBinary, "", "raw", false},
      {"forced.txt", zw::efBinary, "", "forced.txt", false},
      {"old.txt", zw::efByExtension, "old.txt", "old.txt", true},
      {"", zw::efText, "", "viadialog.zwr", false, "viadialog", 2},
      {"", zw::efBinary, "", "astext.zwr", true, "astext.zwr", 1},
      {"", zw::efByExtension, "", "", false},  // cancelled
      {"missing/dir/out.txt", zw::efByExtension, "", "", false},  // cannot be created
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " -> " + c.written);
    Fixture f;
    if (*c.existing) f.t.File(c.existing, std::string(100000, '#'));
    if (*c.picked) f.host.files = {f.t.PathOf(c.picked)};
    f.host.saveFilterIndex = c.filterIndex;
    EXPECT_EQ(f.files.ExportAll(*c.typed ? f.t.PathOf(c.typed) : "", c.mode), *c.written != 0);
    std::set<std::string> expected;  // nothing else in the folder
    for (const char* name : {c.existing, c.written})
      if (*name) expected.insert(name);
    EXPECT_EQ(zwtest::NamesIn(f.t.Root()), expected);
    const std::string got = *c.written ? ReadAll(f.t.PathOf(c.written)) : "";
    EXPECT_EQ(c.text ? got : got.substr(0, 6),
              !*c.written ? "" : c.text ? f.Line(0) + f.Line(1) + f.Line(2) + f.Line(3) + f.Line(4)
                                        : "ZWReLi");
    EXPECT_TRUE(!*c.existing || std::string(c.existing) == c.written ||
                ReadAll(f.t.PathOf(c.existing)) == std::string(100000, '#'));
    EXPECT_EQ(f.host.Count(HostCall::PickSaveFile), *c.typed ? 0u : 1u);
    EXPECT_EQ(f.msgs.Messages().size(), *c.typed && !*c.written ? 1u : 0u);
    for (const auto& m : f.msgs.With(zw::msgExportFailed)) EXPECT_NE(m.Int(0), 0);
  }
  Fixture f;  // the dialog's title and filters
  f.files.ExportAll("", zw::efText);
  EXPECT_EQ(f.host.CallsOf(HostCall::PickSaveFile)[0].text, "Export results");
  EXPECT_EQ(f.host.CallsOf(HostCall::PickSaveFile)[0].caption,
            "Text file (.txt)|*.txt|Binary file (.zwr), reimportable|*.zwr");
}

TEST(ResultExport, AnEmptyListWritesNothingAndSucceeds) {
  Fixture f(true);
  EXPECT_TRUE(f.files.ExportAll(f.t.PathOf("empty.zwr"), zw::efByExtension));
  EXPECT_TRUE(f.files.ExportAll("", zw::efByExtension));
  EXPECT_FALSE(fs::exists(f.t.PathOf("empty.zwr")));
  EXPECT_EQ(f.host.Count(HostCall::PickSaveFile), 0u);
}

#ifndef _WIN32
TEST(ResultExport, FailedWriteReportsTheErrorCode) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  Fixture f(true);
  std::vector<std::vector<zwtest::F>> sets;
  for (int i = 0; i < 3000; ++i)  // more than one buffer of records
    sets.push_back({{"a" + std::to_string(i), 1, "/some/longer/path/"}, {"b", 1}});
  zwtest::AddSets(f.list, sets);
  EXPECT_FALSE(f.files.ExportAll("/dev/full", zw::efBinary));
  const auto m = f.msgs.With(zw::msgExportFailed);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].Int(0), 28);  // ENOSPC
}
#endif

TEST(ResultExport, SelectedEntriesAsTextToAFileOrTheClipboard) {
  Fixture f;
  EXPECT_TRUE(f.files.ExportSelected(f.t.PathOf("none.txt")));  // nothing selected
  f.files.CopySelected();
  EXPECT_FALSE(fs::exists(f.t.PathOf("none.txt")));
  EXPECT_EQ(f.host.Count(HostCall::PickSaveFile) + f.host.Count(HostCall::SetClipboardText), 0u);

  zwtest::Select(f.list, {1, 4});
  ASSERT_TRUE(f.files.ExportSelected(f.t.PathOf("sel.zwr")));  // text even so
  EXPECT_EQ(ReadAll(f.t.PathOf("sel.zwr")), f.Line(1) + f.Line(4));
  f.host.files = {f.t.PathOf("picked")};
  f.host.saveFilterIndex = 2;  // whatever the dialog says, it stays text
  ASSERT_TRUE(f.files.ExportSelected(""));
  EXPECT_EQ(f.host.CallsOf(HostCall::PickSaveFile)[0].caption, "Text file (.txt)|*.txt");
  EXPECT_EQ(ReadAll(f.t.PathOf("picked.txt")), f.Line(1) + f.Line(4));

  f.model.results.crcAvailable = true;
  f.files.CopySelected();
  const auto clips = f.host.CallsOf(HostCall::SetClipboardText);
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].text, f.Line(1, true) + f.Line(4, true));
}

// ---------------------------------------------------------------------------
// Import

TEST(ResultImport, RoundTripRestoresEntriesChecksSelectionGroupingAndFocus) {
  Fixture f;
  zwtest::SetChecked(f.list, {1, 3});
  zwtest::Select(f.list, {0, 4});
  zw::TResultEntry& b1 = *f.list.Item(2);
  b1.Attributes = 0x21;
  b1.Crc = 0xDEADBEEF;
  b1.Sample = 0x01020304;
  b1.Flags |= zw::reflag::kCrcValid | zw::reflag::kSampleValid;
  f.list.SetGroupingMode(3);
  f.model.results.focused = 4;
  f.model.results.crcAvailable = true;
  const std::string path = f.t.PathOf("round.zwr");
  ASSERT_TRUE(f.files.ExportAll(path, zw::efByExtension));

  Fixture g(true);
  g.host.files = {path};
  ASSERT_TRUE(g.files.Import(""));  // an empty list is not asked about; the dialog
  const auto picks = g.host.CallsOf(HostCall::PickOpenFile);
  ASSERT_EQ(picks.size(), 1u);
  EXPECT_EQ(picks[0].text, "Import result list");
  EXPECT_EQ(picks[0].caption, "Binary file (.zwr), reimportable|*.zwr");
  ASSERT_EQ(g.list.ItemCount(), 5);
  EXPECT_EQ(g.list.SetCount(), 2);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(Fields(*g.list.Item(i)), Fields(*f.list.Item(i)));
  EXPECT_EQ(g.list.GroupingMode(), 3);
  EXPECT_EQ(g.model.results.focused, 4);
  EXPECT_TRUE(g.model.results.crcAvailable);
  EXPECT_TRUE(zwtest::CountsHold(g.list));
  EXPECT_EQ(g.list.CheckedSize(), 107u);
  // Set chains as the search builds them: reverse file order.
  EXPECT_EQ(g.list.SetHead(0)->Name + g.list.SetHead(0)->Next->Name, "a2.txta1.txt");
  EXPECT_EQ(g.list.SetHead(1)->Name + g.list.SetHead(1)->Next->Next->Name, "b3b1");
  const auto redraws = g.host.CallsOf(HostCall::ResultsChanged);
  ASSERT_FALSE(redraws.empty());
  EXPECT_EQ(redraws.back().a, 1);  // scrolled to the focused entry
  EXPECT_TRUE(g.msgs.Messages().empty());

  f.model.results.crcAvailable = false;  // a header without the CRC32 flag clears the option
  ASSERT_TRUE(f.files.ExportAll(path, zw::efBinary));
  g.msgs.answers = {zw::ansYes};
  ASSERT_TRUE(g.files.Import(path));
  EXPECT_FALSE(g.model.results.crcAvailable);
}

TEST(ResultImport, AsksBeforeReplacingAListAndNotWhileBusy) {
  Fixture f;
  const std::string path = f.t.File("x.zwr", Header(1, 0, 1, 1, 0, 5) + RecordV1(0, "/a/", "b"));
  f.msgs.answers = {zw::ansNo, zw::ansNo};
  EXPECT_FALSE(f.files.Import(""));  // asked before the dialog
  EXPECT_FALSE(f.files.Import(path));
  EXPECT_EQ(f.msgs.With(zw::askLoseCurrentList).size(), 2u);
  EXPECT_EQ(f.host.Count(HostCall::PickOpenFile), 0u);
  EXPECT_EQ(f.list.ItemCount(), 5);
  EXPECT_FALSE(f.msgs.Has(zw::msgImportResultsFailed));

  f.model.busy = true;  // a scan or file action runs
  EXPECT_FALSE(f.files.Import(path));
  EXPECT_EQ(f.list.ItemCount(), 5);
  EXPECT_EQ(f.msgs.Messages().size(), 2u);

  Fixture g(true);
  EXPECT_FALSE(g.files.Import(""));  // the dialog cancelled
  EXPECT_TRUE(g.msgs.Messages().empty());
}

TEST(ResultImport, DamagedFilesFailWithTheirReason) {
  const std::string rec = RecordV1(0, "/a/", "one");
  std::string foreign = Header(1, 0, 1, 1, 0, 5) + rec, hugePath = foreign, longName = foreign,
              cut = Header(1, 0, 2, 1, 0, 5) + rec + RecordV1(0, "/a/", "two");
  foreign[5] = 'X';
  hugePath.replace(23 + 4, 4, LE(0xFFFFFFF0u, 4));
  longName.replace(23 + 8, 4, LE(4, 4));  // one byte more than is left
  cut.pop_back();
  const std::string kHeader = "invalid file header", kFormat = "problems with file format";
  const struct {
    std::string bytes;
    std::string reason;
    bool listKept;  // else the list is empty afterwards
  } cases[] = {
      {Header(2, 0, 1, 1, 0, 5) + rec, "version of file format not supported", true},
      {Header(1, 0, 1, 1, 0, 5).substr(0, 22), kHeader, true},
      {foreign, kHeader, true},
      {"", "file was empty", true},
      {Header(1, 0, 0, 1, 0, 5) + rec, kFormat, true},  // no entries
      {Header(1, 0, 1, 0, 0, 5) + rec, kFormat, true},  // no sets
      {Header(1, 0, 1, 2, 0, 5) + rec, kFormat, true},  // more sets than entries
      {Header(1, 0, 0x80000000u, 1, 0, 5) + rec, kFormat, true},
      {cut, kFormat, false},
      {Header(1, 0, 2, 1, 0, 5) + rec + RecordV1(1, "/a/", "two"), kFormat, false},  // set 1 of 1
      {hugePath, kFormat, false},
      {longName, kFormat, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason + " " + std::to_string(c.bytes.size()));
    Fixture f;
      const std::string path = f.t.File("bad.zwr", c.bytes);
    f.msgs.answers = {zw::ansYes};
    EXPECT_FALSE(f.files.Import(path));
    EXPECT_EQ(f.ImportReason(), c.reason);
    EXPECT_EQ(f.msgs.With(zw::msgImportResultsFailed).back().Str(0), path);
    EXPECT_EQ(zwtest::Names(f.list), c.listKept ? "a1.txt a2.txt | b1 b2 b3" : "");
    EXPECT_EQ(f.list.SetCount(), c.listKept ? 2 : 0);
  }
}

TEST(ResultImport, LoadCodesAndAMissingFilesError) {
  TempTree t;
  zw::TResultList list;
  int errorCode = 0;
  uint16_t flags = 0;
  int32_t focused = 0;
  EXPECT_EQ(zw::LoadResultList(list, t.PathOf("none"), &flags, &focused, errorCode),
            zw::rlOpenFailed);
  EXPECT_NE(errorCode, 0);
  EXPECT_EQ(zw::LoadResultList(list, t.File("e", ""), &flags, &focused, errorCode), zw::rlEmpty);
  EXPECT_EQ(errorCode, 0);
  const std::string ok = Header(1, 0x0001, 1, 1, 9, 7) + RecordV1(0, "/a/", "n");
  EXPECT_EQ(zw::LoadResultList(list, t.File("ok", ok), &flags, &focused, errorCode), zw::rlLoaded);
  EXPECT_EQ(flags, 1);
  EXPECT_EQ(focused, 9);  // not checked against the count
  EXPECT_EQ(list.GroupingMode(), 7);
  EXPECT_EQ(list.ItemCount(), 1);
  const std::string huge = Header(1, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0, 5) + RecordV1(0, "/a/", "n");
  EXPECT_EQ(zw::LoadResultList(list, t.File("huge", huge), nullptr, nullptr, errorCode),
            zw::rlFormatError);
  EXPECT_EQ(list.ItemCount(), 0);
  EXPECT_EQ(list.SetSlots(), 0) << "no room made for a count the file cannot hold";

  Fixture f(true);
  EXPECT_FALSE(f.files.Import(t.PathOf("gone.zwr")));
  EXPECT_EQ(f.ImportReason().rfind("I/O-Error ", 0), 0u) << f.ImportReason();
  EXPECT_NE(f.ImportReason(), "I/O-Error 0 occured");
  ASSERT_TRUE(f.files.Import(t.File("f.zwr", ok)));
  EXPECT_EQ(f.model.results.focused, -1) << "a focus out of range focuses nothing";
}

TEST(ResultImport, VersionZeroHasNoAttributesNorSampleAndTakesCrcFromHeaderFlag) {
  const std::string body = RecordV0(0, "/d/", "one", 10, 77, 0xAAAA5555, 0x03) +
                           RecordV0(0, "/e/", "two", 10, 78, 0x12, 0x06);
  for (const uint16_t crcFlag : {1, 0}) {
    Fixture f(true);
    ASSERT_TRUE(f.files.Import(f.t.File("v0.zwr", Header(0, crcFlag, 2, 1, 1, 5) + body)));
    ASSERT_EQ(f.list.ItemCount(), 2);
    const uint8_t crc = crcFlag ? zw::reflag::kCrcValid : 0;
    EXPECT_EQ(Fields(*f.list.Item(0)),
              "0 10 77 0 0 " + std::to_string(0xAAAA5555u) + " 0 " + std::to_string(0x03 | crc) +
                  " /d/one");
    EXPECT_EQ(f.list.Item(1)->Flags, 0x06 | crc);
    EXPECT_EQ(f.model.results.crcAvailable, crcFlag != 0);
    EXPECT_EQ(f.model.results.focused, 1);
  }
}

// ---------------------------------------------------------------------------
// Drops and the start-up file

TEST(ResultDrop, OnlyOneResultListFileOrAShortcutToOne) {
  Fixture f(true);
  TempTree& t = f.t;
  std::string accepted, link, folderLink;
  const auto Drop = [&](const std::vector<std::string>& files) {
    accepted = "refused";
    f.files.AcceptDrop(files, accepted);
    return accepted;
  };
  const std::string file = t.File("List.ZWR", "x");
  EXPECT_EQ(Drop({file}), file);
  zw::platform::OsError err;
  ASSERT_TRUE(zw::platform::ReplaceByShortcut(t.File("link", "y"), file, link, err)) << err.code;
  EXPECT_TRUE(zw::platform::SamePath(Drop({link}), file));
  const std::string folder = zw::platform::ExcludeTrailingSep(t.Dir("d.zwr"));
  ASSERT_TRUE(zw::platform::ReplaceByShortcut(t.File("dir.zwr", "y"), folder, folderLink, err));
  EXPECT_FALSE(f.msgs.Has(zw::msgOnlyDropResultLists));
  const std::vector<std::vector<std::string>> refused = {
      {file, t.File("b.zwr", "x")}, {folder}, {t.File("c.txt", "x")}, {}, {folderLink}};
  for (const auto& files : refused) EXPECT_EQ(Drop(files), "refused");
  EXPECT_EQ(f.msgs.With(zw::msgOnlyDropResultLists).size(), 5u);
#ifndef _WIN32
  fs::create_symlink(t.PathOf("nowhere.zwr"), t.PathOf("broken.zwr"));
  EXPECT_EQ(Drop({t.PathOf("broken.zwr")}), "refused");
#endif

  const std::string list =
      t.File("drop.zwr", Header(1, 0, 1, 1, 0, 5) + RecordV1(0, "/a/", "dropped"));
  EXPECT_TRUE(f.files.ImportDropped({list}));
  EXPECT_EQ(zwtest::Names(f.list), "dropped");
}

TEST(ResultStartFile, AnExistingZwrFileThatIsNoCommand) {
  TempTree t;
  EXPECT_TRUE(zw::TResultFiles::IsStartFile(t.File("start.zwr", "x")));
  EXPECT_TRUE(zw::TResultFiles::IsStartFile(t.File("START.Zwr", "x")));
  for (const std::string& no : {t.PathOf("absent.zwr"), t.File("start.txt", "x"),
                                zw::platform::ExcludeTrailingSep(t.Dir("dir.zwr")),
                                std::string("-run"), std::string()})
    EXPECT_FALSE(zw::TResultFiles::IsStartFile(no)) << no;
#ifdef _WIN32
  EXPECT_FALSE(zw::TResultFiles::IsStartFile("/run"));
#endif
}

}  // namespace
