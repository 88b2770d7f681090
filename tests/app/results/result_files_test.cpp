// Result list files: the binary layout byte for byte, the text lines, export
// with its extension rules, copy, import with its failure codes, drops and
// the start-up file, on real files in temporary folders.
#include "app/results/result_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>

#include "platform/locale.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"
#include "app/support/test_host.h"
#include "app/text_ids.h"

using zwtest::HostCall;
using zwtest::TempTree;

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return fs::exists(fs::path(path)); }

// Little-endian bytes written out by hand for the expected files.
std::string LE(uint64_t v, int width) {
  std::string out;
  for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return out;
}

zw::TFileInfos* File(const std::string& name, const std::string& path, uint64_t size,
                     zw::platform::FileTime time = 0) {
  auto* f = new zw::TFileInfos;
  f->Name = name;
  f->Path = path;
  f->Size = size;
  f->Time = time;
  return f;
}

zw::TFileInfos* Chain(std::initializer_list<zw::TFileInfos*> files) {
  zw::TFileInfos* head = nullptr;
  zw::TFileInfos** tail = &head;
  for (zw::TFileInfos* f : files) {
    *tail = f;
    tail = &f->Next;
  }
  return head;
}

std::vector<std::string> ChainNames(const zw::TResultList& list, int32_t set) {
  std::vector<std::string> names;
  for (const zw::TResultEntry* e = list.SetHead(set); e; e = e->Next) names.push_back(e->Name);
  return names;
}

std::vector<std::string> ItemNames(const zw::TResultList& list) {
  std::vector<std::string> names;
  for (const zw::TResultEntry* e : list.Items()) names.push_back(e->Name);
  return names;
}

struct Fixture {
  Fixture() : files(host, msgs, model, list) {}

  // Two sets as the duplicate search leaves them: a1 a2 (set 0, shaded),
  // b1 b2 b3 (set 1).
  void FillTwoSets() {
    list.AddSet(Chain({File("a1.txt", "/data/", 100, 0x01D0000000000000),
                       File("a2.txt", "/data/sub/", 100, 0x01D0000000001000)}));
    list.AddSet(Chain({File("b1", "/x/", 7), File("b2", "/y/", 7), File("b3", "/z/", 7)}));
  }
  // What the last msgImportResultsFailed said after the file name.
  std::string ImportReason() const {
    auto m = msgs.With(zw::msgImportResultsFailed);
    return m.empty() ? std::string() : m.back().Str(1);
  }

  zwtest::TestHost host;
  zwtest::RecordingMessenger msgs;
  zw::TWindowModel model;
  zw::TResultList list;
  zw::TResultFiles files;
};

// A version-1 header and records written by hand.
std::string Header(uint16_t version, uint16_t flags, uint32_t entries, uint32_t sets,
                   uint32_t focused, uint8_t grouping) {
  return std::string("ZWReLi") + LE(version, 2) + LE(flags, 2) + LE(entries, 4) + LE(sets, 4) +
         LE(focused, 4) + std::string(1, static_cast<char>(grouping));
}
std::string RecordV1(uint32_t set, const std::string& path, const std::string& name,
                     uint64_t size, uint64_t time, uint32_t attr, uint32_t crc, uint32_t sample,
                     uint8_t flags) {
  return LE(set, 4) + LE(path.size(), 4) + LE(name.size(), 4) + LE(size, 8) + LE(time, 8) +
         LE(attr, 4) + LE(crc, 4) + LE(sample, 4) + std::string(1, static_cast<char>(flags)) +
         path + name;
}
std::string RecordV0(uint32_t set, const std::string& path, const std::string& name,
                     uint64_t size, uint64_t time, uint32_t crc, uint8_t flags) {
  return LE(set, 4) + LE(path.size(), 4) + LE(name.size(), 4) + LE(size, 8) + LE(time, 8) +
         LE(crc, 4) + std::string(1, static_cast<char>(flags)) + path + name;
}

}  // namespace

// ---------------------------------------------------------------------------
// Binary layout

TEST(ResultFileLayout, HeaderIsTwentyThreeLittleEndianBytes) {
  const std::string expected =
      std::string("ZWReLi") + std::string("\x01\x00", 2) + std::string("\x01\x00", 2) +
      std::string("\x03\x00\x00\x00", 4) + std::string("\x02\x00\x00\x00", 4) +
      std::string("\x01\x00\x00\x00", 4) + std::string("\x05", 1);
  const std::string header = zw::ResultFileHeader(1, 3, 2, 1, 5);
  ASSERT_EQ(header.size(), 23u);
  EXPECT_EQ(header, expected);
}

TEST(ResultFileLayout, RecordIsFortyOneBytesThenPathThenName) {
  zw::TResultEntry e;
  e.Set = 0x01020304;
  e.Path = "/p/";
  e.Name = "ab";
  e.Size = 0x1122334455667788ull;
  e.Time = 0x0102030405060708ll;
  e.Attributes = 0x20;
  e.Crc = 0xCAFEBABE;
  e.Sample = 0x0A0B0C0D;
  e.Flags = 0x25;
  const char expected[] =
      "\x04\x03\x02\x01"                   // set
      "\x03\x00\x00\x00"                   // path length
      "\x02\x00\x00\x00"                   // name length
      "\x88\x77\x66\x55\x44\x33\x22\x11"   // size
      "\x08\x07\x06\x05\x04\x03\x02\x01"   // time
      "\x20\x00\x00\x00"                   // attributes
      "\xBE\xBA\xFE\xCA"                   // CRC32
      "\x0D\x0C\x0B\x0A"                   // sample
      "\x25"                               // flags
      "/p/ab";
  std::string out = "x";
  zw::AppendResultRecord(out, e);
  EXPECT_EQ(out, "x" + std::string(expected, sizeof expected - 1));
  EXPECT_EQ(out.size(), 1u + 41u + 5u);
}

TEST(ResultFileLayout, ExportedFileIsHeaderAndRecordsInListOrder) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  f.list.Item(1)->Attributes = 0x21;
  f.list.Item(1)->Crc = 0x12345678;
  f.list.Item(1)->Flags |= zw::reflag::kCrcValid;
  f.list.SetGroupingMode(2);
  f.model.results.focused = 3;
  f.model.results.crcAvailable = true;
  const std::string path = t.PathOf("out.zwr");
  ASSERT_TRUE(f.files.ExportAll(path, zw::efByExtension));

  std::string expected = Header(1, 1, 5, 2, 3, 2);
  expected += RecordV1(0, "/data/", "a1.txt", 100, 0x01D0000000000000, 0, 0, 0, 0x02);
  expected += RecordV1(0, "/data/sub/", "a2.txt", 100, 0x01D0000000001000, 0x21, 0x12345678, 0,
                       0x22);
  expected += RecordV1(1, "/x/", "b1", 7, 0, 0, 0, 0, 0);
  expected += RecordV1(1, "/y/", "b2", 7, 0, 0, 0, 0, 0);
  expected += RecordV1(1, "/z/", "b3", 7, 0, 0, 0, 0, 0);
  // Then the UTC times, one per entry.
  expected += "ZWReUt" + LE(5, 4);
  for (int32_t i = 0; i < 5; ++i) expected += LE(f.list.Item(i)->TimeUtc, 8);
  EXPECT_NE(f.list.Item(0)->TimeUtc, 0u);
  EXPECT_EQ(ReadAll(path), expected);
}

TEST(ResultFileLayout, FocusedIndexFallsBackToFirstSelectedThenZero) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  f.model.results.focused = -1;
  f.list.Item(3)->Flags |= zw::reflag::kSelected;
  f.list.Item(4)->Flags |= zw::reflag::kSelected;
  ASSERT_TRUE(f.files.ExportAll(t.PathOf("sel.zwr"), zw::efBinary));
  EXPECT_EQ(ReadAll(t.PathOf("sel.zwr")).substr(18, 4), LE(3, 4));

  f.list.Item(3)->Flags &= static_cast<uint8_t>(~zw::reflag::kSelected);
  f.list.Item(4)->Flags &= static_cast<uint8_t>(~zw::reflag::kSelected);
  ASSERT_TRUE(f.files.ExportAll(t.PathOf("none.zwr"), zw::efBinary));
  const std::string none = ReadAll(t.PathOf("none.zwr"));
  EXPECT_EQ(none.substr(18, 4), LE(0, 4));
  EXPECT_EQ(none.substr(8, 2), LE(0, 2));  // no CRC32 flag while the option is off
}

// ---------------------------------------------------------------------------
// Text lines

TEST(ResultTextLines, CheckedEntryOfFirstSetStartsWith11UncheckedOfSecondWith00) {
  Fixture f;
  f.FillTwoSets();
  f.list.Check(f.list.Item(0));
  EXPECT_EQ(zw::ResultTextLine(*f.list.Item(0), false).substr(0, 3), "11\t");
  EXPECT_EQ(zw::ResultTextLine(*f.list.Item(1), false).substr(0, 3), "10\t");
  EXPECT_EQ(zw::ResultTextLine(*f.list.Item(2), false).substr(0, 3), "00\t");
}

TEST(ResultTextLines, FieldsAreNamePathSizeAndDateWithSeconds) {
  Fixture f;
  f.FillTwoSets();
  const zw::TResultEntry& e = *f.list.Item(1);
  EXPECT_EQ(zw::ResultTextLine(e, false),
            "10\ta2.txt\t/data/sub/\t100\t" + zw::platform::DateTimeText(e.Time, true));
}

TEST(ResultTextLines, CrcColumnIsEightLowerCaseHexDigitsEvenWithoutValidCrc) {
  zw::TResultEntry e;
  e.Name = "n";
  e.Path = "/p/";
  e.Size = 5000000000ull;
  e.Crc = 0xABC;
  const std::string line = zw::ResultTextLine(e, true);
  EXPECT_EQ(line.substr(0, 20), "00\tn\t/p/\t5000000000\t");
  EXPECT_EQ(line.substr(line.size() - 9), "\t00000abc");
  EXPECT_EQ(zw::ResultTextLine(e, false).find("00000abc"), std::string::npos);
}

TEST(ResultTextLines, TextExportEndsEveryLineWithCrLfAndHasNoHeader) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  f.model.results.crcAvailable = true;
  const std::string path = t.PathOf("list.txt");
  ASSERT_TRUE(f.files.ExportAll(path, zw::efByExtension));
  std::string expected;
  for (const zw::TResultEntry* e : f.list.Items()) expected += zw::ResultTextLine(*e, true) + "\r\n";
  EXPECT_EQ(ReadAll(path), expected);
  EXPECT_EQ(ReadAll(path).substr(0, 10), "10\ta1.txt\t");
}

// ---------------------------------------------------------------------------
// Export all: file names and formats

TEST(ResultExport, EmptyListCreatesNoFileAndSucceeds) {
  TempTree t;
  Fixture f;
  EXPECT_TRUE(f.files.ExportAll(t.PathOf("empty.zwr"), zw::efByExtension));
  EXPECT_TRUE(f.files.ExportAll("", zw::efByExtension));
  EXPECT_FALSE(Exists(t.PathOf("empty.zwr")));
  EXPECT_EQ(f.host.Count(HostCall::PickSaveFile), 0u);
  EXPECT_TRUE(f.msgs.Messages().empty());
}

TEST(ResultExport, NameWithoutExtensionGetsZwrWhenNoSuchFileExists) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  ASSERT_TRUE(f.files.ExportAll(t.PathOf("dupes"), zw::efByExtension));
  EXPECT_FALSE(Exists(t.PathOf("dupes")));
  EXPECT_EQ(ReadAll(t.PathOf("dupes.zwr")).substr(0, 6), "ZWReLi");
}

TEST(ResultExport, NameWithoutExtensionIsUsedAsTypedWhenTheLengthenedNameExists) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  t.File("dupes.zwr", "keep me");
  ASSERT_TRUE(f.files.ExportAll(t.PathOf("dupes"), zw::efByExtension));
  EXPECT_EQ(ReadAll(t.PathOf("dupes.zwr")), "keep me");
  EXPECT_EQ(ReadAll(t.PathOf("dupes")).substr(0, 6), "ZWReLi");
}

TEST(ResultExport, TextModeAppendsTxtOnlyWhenNoSuchFileExists) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  ASSERT_TRUE(f.files.ExportAll(t.PathOf("plain"), zw::efText));
  EXPECT_EQ(ReadAll(t.PathOf("plain.txt")).substr(0, 3), "10\t");
  t.File("other.txt", "old");
  ASSERT_TRUE(f.files.ExportAll(t.PathOf("other"), zw::efText));
  EXPECT_EQ(ReadAll(t.PathOf("other.txt")), "old");
  EXPECT_EQ(ReadAll(t.PathOf("other")).substr(0, 3), "10\t");
}

TEST(ResultExport, ExtensionDecidesCaseInsensitivelyAndBinaryModeAppendsNothing) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  ASSERT_TRUE(f.files.ExportAll(t.PathOf("upper.TXT"), zw::efByExtension));
  EXPECT_EQ(ReadAll(t.PathOf("upper.TXT")).substr(0, 3), "10\t");
  ASSERT_TRUE(f.files.ExportAll(t.PathOf("list.dat"), zw::efByExtension));
  EXPECT_EQ(ReadAll(t.PathOf("list.dat")).substr(0, 6), "ZWReLi");
  ASSERT_TRUE(f.files.ExportAll(t.PathOf("raw"), zw::efBinary));
  EXPECT_EQ(ReadAll(t.PathOf("raw")).substr(0, 6), "ZWReLi");
  EXPECT_FALSE(Exists(t.PathOf("raw.zwr")));
  ASSERT_TRUE(f.files.ExportAll(t.PathOf("forced.txt"), zw::efBinary));
  EXPECT_EQ(ReadAll(t.PathOf("forced.txt")).substr(0, 6), "ZWReLi");
}

TEST(ResultExport, ExistingFileIsReplaced) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  const std::string path = t.File("old.txt", std::string(100000, '#'));
  ASSERT_TRUE(f.files.ExportAll(path, zw::efByExtension));
  const std::string text = ReadAll(path);
  EXPECT_EQ(text.find('#'), std::string::npos);
  EXPECT_EQ(text.substr(0, 3), "10\t");
}

TEST(ResultExport, DialogFilterIndexChoosesTextOrExtension) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  f.host.files = {t.PathOf("viadialog")};
  f.host.saveFilterIndex = 2;
  ASSERT_TRUE(f.files.ExportAll("", zw::efText));
  EXPECT_EQ(ReadAll(t.PathOf("viadialog.zwr")).substr(0, 6), "ZWReLi");
  const auto picks = f.host.CallsOf(HostCall::PickSaveFile);
  ASSERT_EQ(picks.size(), 1u);
  EXPECT_EQ(picks[0].text, "Export results");
  EXPECT_EQ(picks[0].caption,
            "Text file (.txt)|*.txt|Binary file (.zwr), reimportable|*.zwr");

  f.host.files = {t.PathOf("astext.zwr")};
  f.host.saveFilterIndex = 1;
  ASSERT_TRUE(f.files.ExportAll("", zw::efBinary));
  EXPECT_EQ(ReadAll(t.PathOf("astext.zwr")).substr(0, 3), "10\t");
}

TEST(ResultExport, CancelledDialogWritesNothing) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  EXPECT_FALSE(f.files.ExportAll("", zw::efByExtension));
  EXPECT_EQ(f.host.Count(HostCall::PickSaveFile), 1u);
  EXPECT_TRUE(f.msgs.Messages().empty());
}

TEST(ResultExport, FileThatCannotBeCreatedReportsTheErrorCode) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  EXPECT_FALSE(f.files.ExportAll(t.PathOf("missing/dir/out.txt"), zw::efByExtension));
  const auto m = f.msgs.With(zw::msgExportFailed);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_NE(m[0].Int(0), 0);
}

#ifndef _WIN32
TEST(ResultExport, FailedWriteReportsTheErrorCode) {
  if (!Exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  Fixture f;
  for (int i = 0; i < 3000; ++i)  // more than one buffer of records
    f.list.AddSet(Chain({File("a" + std::to_string(i), "/some/longer/path/", 1),
                         File("b" + std::to_string(i), "/some/longer/path/", 1)}));
  EXPECT_FALSE(f.files.ExportAll("/dev/full", zw::efBinary));
  const auto m = f.msgs.With(zw::msgExportFailed);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].Int(0), 28);  // ENOSPC
}
#endif

// ---------------------------------------------------------------------------
// Export selected and copy

TEST(ResultExportSelected, WritesTextOfSelectedEntriesEvenForZwrName) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  f.list.Item(1)->Flags |= zw::reflag::kSelected;
  f.list.Item(4)->Flags |= zw::reflag::kSelected;
  const std::string path = t.PathOf("sel.zwr");
  ASSERT_TRUE(f.files.ExportSelected(path));
  EXPECT_EQ(ReadAll(path), zw::ResultTextLine(*f.list.Item(1), false) + "\r\n" +
                               zw::ResultTextLine(*f.list.Item(4), false) + "\r\n");
}

TEST(ResultExportSelected, DialogOffersOnlyTheTextFilter) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  f.list.Item(0)->Flags |= zw::reflag::kSelected;
  f.host.files = {t.PathOf("picked")};
  f.host.saveFilterIndex = 2;  // whatever the dialog says, it stays text
  ASSERT_TRUE(f.files.ExportSelected(""));
  const auto picks = f.host.CallsOf(HostCall::PickSaveFile);
  ASSERT_EQ(picks.size(), 1u);
  EXPECT_EQ(picks[0].caption, "Text file (.txt)|*.txt");
  EXPECT_EQ(ReadAll(t.PathOf("picked.txt")), zw::ResultTextLine(*f.list.Item(0), false) + "\r\n");
}

TEST(ResultExportSelected, NothingSelectedDoesNothing) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  EXPECT_TRUE(f.files.ExportSelected(t.PathOf("sel.txt")));
  EXPECT_FALSE(Exists(t.PathOf("sel.txt")));
  EXPECT_EQ(f.host.Count(HostCall::PickSaveFile), 0u);
}

TEST(ResultCopySelected, PutsLinesOfSelectedEntriesOnTheClipboard) {
  Fixture f;
  f.FillTwoSets();
  f.model.results.crcAvailable = true;
  f.list.Item(2)->Flags |= zw::reflag::kSelected;
  f.list.Item(3)->Flags |= zw::reflag::kSelected;
  f.files.CopySelected();
  const auto clips = f.host.CallsOf(HostCall::SetClipboardText);
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].text, zw::ResultTextLine(*f.list.Item(2), true) + "\r\n" +
                               zw::ResultTextLine(*f.list.Item(3), true) + "\r\n");
  EXPECT_EQ(clips[0].text.substr(0, 6), "00\tb1\t");
}

TEST(ResultCopySelected, NothingSelectedLeavesTheClipboardAlone) {
  Fixture f;
  f.FillTwoSets();
  f.files.CopySelected();
  EXPECT_EQ(f.host.Count(HostCall::SetClipboardText), 0u);
}

// ---------------------------------------------------------------------------
// Import

TEST(ResultImport, RoundTripRestoresEntriesChecksSelectionGroupingAndFocus) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  f.list.Check(f.list.Item(1));
  f.list.Check(f.list.Item(3));
  f.list.Item(0)->Flags |= zw::reflag::kSelected;
  f.list.Item(4)->Flags |= zw::reflag::kSelected;
  f.list.Item(2)->Attributes = 0x21;
  f.list.Item(2)->Crc = 0xDEADBEEF;
  f.list.Item(2)->Sample = 0x01020304;
  f.list.Item(2)->Flags |= zw::reflag::kCrcValid | zw::reflag::kSampleValid;
  f.list.SetGroupingMode(3);
  f.model.results.focused = 4;
  f.model.results.crcAvailable = true;
  const std::string path = t.PathOf("round.zwr");
  ASSERT_TRUE(f.files.ExportAll(path, zw::efByExtension));

  Fixture g;
  ASSERT_TRUE(g.files.Import(path));
  ASSERT_EQ(g.list.ItemCount(), 5);
  EXPECT_EQ(g.list.SetCount(), 2);
  for (int32_t i = 0; i < 5; ++i) {
    const zw::TResultEntry& a = *f.list.Item(i);
    const zw::TResultEntry& b = *g.list.Item(i);
    EXPECT_EQ(a.Set, b.Set);
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.Path, b.Path);
    EXPECT_EQ(a.Size, b.Size);
    EXPECT_EQ(a.Time, b.Time);
    EXPECT_EQ(a.TimeUtc, b.TimeUtc);
    EXPECT_EQ(a.Attributes, b.Attributes);
    EXPECT_EQ(a.Crc, b.Crc);
    EXPECT_EQ(a.Sample, b.Sample);
    EXPECT_EQ(a.Flags, b.Flags) << i;
  }
  EXPECT_EQ(g.list.GroupingMode(), 3);
  EXPECT_EQ(g.model.results.focused, 4);
  EXPECT_TRUE(g.model.results.crcAvailable);
  EXPECT_EQ(g.list.CheckedCount(), 2);
  EXPECT_EQ(g.list.CheckedSize(), 107u);
  // Set chains as the search builds them: reverse file order.
  EXPECT_EQ(ChainNames(g.list, 0), (std::vector<std::string>{"a2.txt", "a1.txt"}));
  EXPECT_EQ(ChainNames(g.list, 1), (std::vector<std::string>{"b3", "b2", "b1"}));
  const auto redraws = g.host.CallsOf(HostCall::ResultsChanged);
  ASSERT_FALSE(redraws.empty());
  EXPECT_EQ(redraws.back().a, 1);  // scrolled to the focused entry
  EXPECT_TRUE(g.msgs.Messages().empty());
}

TEST(ResultImport, RefusedWhileAScanOrFileActionRuns) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  const std::string path = t.PathOf("busy.zwr");
  ASSERT_TRUE(f.files.ExportAll(path, zw::efBinary));
  Fixture g;
  g.model.busy = true;
  EXPECT_FALSE(g.files.Import(path));
  EXPECT_EQ(g.list.ItemCount(), 0);
  EXPECT_EQ(g.host.Count(HostCall::PickOpenFile), 0u);
}

TEST(ResultImport, HeaderWithoutCrcFlagClearsTheCrcOption) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  const std::string path = t.PathOf("nocrc.zwr");
  ASSERT_TRUE(f.files.ExportAll(path, zw::efBinary));
  Fixture g;
  g.model.results.crcAvailable = true;
  ASSERT_TRUE(g.files.Import(path));
  EXPECT_FALSE(g.model.results.crcAvailable);
}

TEST(ResultImport, AsksBeforeChoosingTheFileAndNoKeepsTheList) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  f.msgs.answers = {zw::ansNo};
  EXPECT_FALSE(f.files.Import(""));
  EXPECT_TRUE(f.msgs.Has(zw::askLoseCurrentList));
  EXPECT_EQ(f.host.Count(HostCall::PickOpenFile), 0u);
  EXPECT_EQ(f.list.ItemCount(), 5);

  // Also asked when the file name is given.
  f.msgs.answers = {zw::ansNo};
  EXPECT_FALSE(f.files.Import(t.File("x.zwr", "whatever")));
  EXPECT_EQ(f.msgs.With(zw::askLoseCurrentList).size(), 2u);
  EXPECT_FALSE(f.msgs.Has(zw::msgImportResultsFailed));
}

TEST(ResultImport, EmptyListIsNotAskedAndDialogIsUsedWithoutName) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  const std::string path = t.PathOf("d.zwr");
  ASSERT_TRUE(f.files.ExportAll(path, zw::efBinary));
  Fixture g;
  g.host.files = {path};
  ASSERT_TRUE(g.files.Import(""));
  EXPECT_FALSE(g.msgs.Has(zw::askLoseCurrentList));
  const auto picks = g.host.CallsOf(HostCall::PickOpenFile);
  ASSERT_EQ(picks.size(), 1u);
  EXPECT_EQ(picks[0].text, "Import result list");
  EXPECT_EQ(picks[0].caption, "Binary file (.zwr), reimportable|*.zwr");
  EXPECT_EQ(g.list.ItemCount(), 5);
}

TEST(ResultImport, CancelledDialogImportsNothing) {
  Fixture f;
  EXPECT_FALSE(f.files.Import(""));
  EXPECT_TRUE(f.msgs.Messages().empty());
}

TEST(ResultImport, VersionTwoIsRefusedAndTheCurrentListStays) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  const std::string path =
      t.File("v2.zwr", Header(2, 0, 1, 1, 0, 5) + RecordV1(0, "/a/", "b", 1, 0, 0, 0, 0, 0));
  EXPECT_FALSE(f.files.Import(path));
  EXPECT_EQ(f.ImportReason(), "version of file format not supported");
  EXPECT_EQ(f.msgs.With(zw::msgImportResultsFailed).back().Str(0), path);
  EXPECT_EQ(f.list.ItemCount(), 5);
  EXPECT_EQ(ItemNames(f.list)[0], "a1.txt");
}

TEST(ResultImport, ShortOrForeignHeaderIsInvalidAndEmptyFileIsEmpty) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  EXPECT_FALSE(f.files.Import(t.File("short.zwr", Header(1, 0, 1, 1, 0, 5).substr(0, 22))));
  EXPECT_EQ(f.ImportReason(), "invalid file header");
  std::string foreign = Header(1, 0, 1, 1, 0, 5) + RecordV1(0, "/a/", "b", 1, 0, 0, 0, 0, 0);
  foreign[5] = 'X';
  EXPECT_FALSE(f.files.Import(t.File("foreign.zwr", foreign)));
  EXPECT_EQ(f.ImportReason(), "invalid file header");
  EXPECT_FALSE(f.files.Import(t.File("empty.zwr", "")));
  EXPECT_EQ(f.ImportReason(), "file was empty");
  EXPECT_EQ(f.list.ItemCount(), 5);
}

TEST(ResultImport, MissingFileReportsTheIoError) {
  TempTree t;
  Fixture f;
  EXPECT_FALSE(f.files.Import(t.PathOf("gone.zwr")));
  const std::string reason = f.ImportReason();
  EXPECT_EQ(reason.rfind("I/O-Error ", 0), 0u) << reason;
  EXPECT_NE(reason, "I/O-Error 0 occured");
}

TEST(ResultImport, ZeroOrInconsistentCountsAreFormatErrorsThatKeepTheList) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  const std::string rec = RecordV1(0, "/a/", "b", 1, 0, 0, 0, 0, 0);
  EXPECT_FALSE(f.files.Import(t.File("zero.zwr", Header(1, 0, 0, 1, 0, 5) + rec)));
  EXPECT_EQ(f.ImportReason(), "problems with file format");
  EXPECT_FALSE(f.files.Import(t.File("nosets.zwr", Header(1, 0, 1, 0, 0, 5) + rec)));
  EXPECT_FALSE(f.files.Import(t.File("more.zwr", Header(1, 0, 1, 2, 0, 5) + rec)));
  EXPECT_FALSE(f.files.Import(t.File("neg.zwr", Header(1, 0, 0x80000000u, 1, 0, 5) + rec)));
  EXPECT_EQ(f.msgs.With(zw::msgImportResultsFailed).size(), 4u);
  EXPECT_EQ(f.list.ItemCount(), 5);
}

TEST(ResultImport, VersionZeroHasNoAttributesNorSampleAndTakesCrcFromHeaderFlag) {
  TempTree t;
  Fixture f;
  const std::string body = RecordV0(0, "/d/", "one", 10, 77, 0xAAAA5555, 0x03) +
                           RecordV0(0, "/e/", "two", 10, 78, 0x12, 0x06);
  ASSERT_TRUE(f.files.Import(t.File("v0.zwr", Header(0, 1, 2, 1, 1, 5) + body)));
  ASSERT_EQ(f.list.ItemCount(), 2);
  const zw::TResultEntry& a = *f.list.Item(0);
  EXPECT_EQ(a.Name, "one");
  EXPECT_EQ(a.Path, "/d/");
  EXPECT_EQ(a.Size, 10u);
  EXPECT_EQ(a.Time, 77);
  EXPECT_EQ(a.Crc, 0xAAAA5555u);
  EXPECT_EQ(a.Attributes, 0u);
  EXPECT_EQ(a.Sample, 0u);
  EXPECT_EQ(a.Flags, 0x03 | zw::reflag::kCrcValid);
  EXPECT_EQ(f.list.Item(1)->Flags, 0x06 | zw::reflag::kCrcValid);
  EXPECT_TRUE(f.model.results.crcAvailable);
  EXPECT_EQ(f.model.results.focused, 1);

  Fixture g;
  ASSERT_TRUE(g.files.Import(t.File("v0nocrc.zwr", Header(0, 0, 2, 1, 0, 5) + body)));
  EXPECT_EQ(g.list.Item(0)->Flags, 0x03);
  EXPECT_FALSE(g.model.results.crcAvailable);
}

TEST(ResultImport, CutLastRecordLeavesAnEmptyList) {
  TempTree t;
  Fixture f;
  f.FillTwoSets();
  std::string file = Header(1, 0, 2, 1, 0, 5) + RecordV1(0, "/a/", "one", 1, 0, 0, 0, 0, 0) +
                     RecordV1(0, "/a/", "two", 1, 0, 0, 0, 0, 0);
  file.pop_back();
  EXPECT_FALSE(f.files.Import(t.File("cut.zwr", file)));
  EXPECT_EQ(f.ImportReason(), "problems with file format");
  EXPECT_EQ(f.list.ItemCount(), 0);
  EXPECT_EQ(f.list.SetCount(), 0);
}

TEST(ResultImport, SetIndexBeyondTheSetCountIsAFormatError) {
  TempTree t;
  Fixture f;
  const std::string file = Header(1, 0, 2, 1, 0, 5) + RecordV1(0, "/a/", "one", 1, 0, 0, 0, 0, 0) +
                           RecordV1(1, "/a/", "two", 1, 0, 0, 0, 0, 0);
  EXPECT_FALSE(f.files.Import(t.File("set.zwr", file)));
  EXPECT_EQ(f.ImportReason(), "problems with file format");
  EXPECT_EQ(f.list.ItemCount(), 0);
}

TEST(ResultImport, StringLengthsBeyondTheFileAreFormatErrors) {
  TempTree t;
  Fixture f;
  std::string huge = Header(1, 0, 1, 1, 0, 5) + RecordV1(0, "/a/", "one", 1, 0, 0, 0, 0, 0);
  const std::string hugeLen = LE(0xFFFFFFF0u, 4);
  huge.replace(23 + 4, 4, hugeLen);  // path length
  EXPECT_FALSE(f.files.Import(t.File("path.zwr", huge)));
  EXPECT_EQ(f.ImportReason(), "problems with file format");

  std::string name = Header(1, 0, 1, 1, 0, 5) + RecordV1(0, "/a/", "one", 1, 0, 0, 0, 0, 0);
  name.replace(23 + 8, 4, LE(4, 4));  // one byte more than is left
  EXPECT_FALSE(f.files.Import(t.File("name.zwr", name)));
  EXPECT_EQ(f.msgs.With(zw::msgImportResultsFailed).size(), 2u);
  EXPECT_EQ(f.list.ItemCount(), 0);
}

TEST(ResultImport, HugeEntryCountInASmallFileIsAFormatError) {
  TempTree t;
  Fixture f;
  const std::string file =
      Header(1, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0, 5) + RecordV1(0, "/a/", "one", 1, 0, 0, 0, 0, 0);
  int errorCode = -1;
  EXPECT_EQ(zw::LoadResultList(f.list, t.File("huge.zwr", file), nullptr, nullptr, errorCode),
            zw::rlFormatError);
  EXPECT_EQ(f.list.ItemCount(), 0);
  EXPECT_EQ(f.list.SetSlots(), 0);
}

TEST(ResultLoad, ReturnsTheCodesAndHandsOutFlagsAndFocus) {
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
  const std::string file = Header(1, 0x0001, 1, 1, 9, 7) + RecordV1(0, "/a/", "n", 1, 0, 0, 0, 0, 0);
  EXPECT_EQ(zw::LoadResultList(list, t.File("ok", file), &flags, &focused, errorCode),
            zw::rlLoaded);
  EXPECT_EQ(flags, 1);
  EXPECT_EQ(focused, 9);  // not checked against the count
  EXPECT_EQ(list.GroupingMode(), 7);
  EXPECT_EQ(list.ItemCount(), 1);
}

TEST(ResultImport, FocusOutOfRangeFocusesNothing) {
  TempTree t;
  Fixture f;
  const std::string file = Header(1, 0, 1, 1, 9, 5) + RecordV1(0, "/a/", "n", 1, 0, 0, 0, 0, 0);
  ASSERT_TRUE(f.files.Import(t.File("f.zwr", file)));
  EXPECT_EQ(f.model.results.focused, -1);
}

// ---------------------------------------------------------------------------
// Drops and the start-up file

TEST(ResultDrop, OneResultListFileIsAcceptedWhateverTheCaseOfItsExtension) {
  TempTree t;
  Fixture f;
  const std::string file = t.File("List.ZWR", "x");
  std::string accepted;
  EXPECT_TRUE(f.files.AcceptDrop({file}, accepted));
  EXPECT_EQ(accepted, file);
  EXPECT_FALSE(f.msgs.Has(zw::msgOnlyDropResultLists));
}

TEST(ResultDrop, TwoFilesAFolderOrAnotherExtensionAreRefused) {
  TempTree t;
  Fixture f;
  const std::string a = t.File("a.zwr", "x");
  const std::string b = t.File("b.zwr", "x");
  std::string accepted;
  EXPECT_FALSE(f.files.AcceptDrop({a, b}, accepted));
  EXPECT_FALSE(f.files.AcceptDrop({zw::platform::ExcludeTrailingSep(t.Dir("folder.zwr"))},
                                  accepted));
  EXPECT_FALSE(f.files.AcceptDrop({t.File("c.txt", "x")}, accepted));
  EXPECT_FALSE(f.files.AcceptDrop({}, accepted));
  EXPECT_TRUE(accepted.empty());
  EXPECT_EQ(f.msgs.With(zw::msgOnlyDropResultLists).size(), 4u);
}

TEST(ResultDrop, ShortcutCountsAsItsTarget) {
  TempTree t;
  Fixture f;
  const std::string target = t.File("real.zwr", "x");
  std::string link;
  zw::platform::OsError err;
  ASSERT_TRUE(zw::platform::ReplaceByShortcut(t.File("link", "y"), target, link, err)) << err.code;
  std::string accepted;
  EXPECT_TRUE(f.files.AcceptDrop({link}, accepted));
  EXPECT_TRUE(zw::platform::SamePath(accepted, target)) << accepted;

  const std::string folder = zw::platform::ExcludeTrailingSep(t.Dir("d.zwr"));
  ASSERT_TRUE(zw::platform::ReplaceByShortcut(t.File("dirlink.zwr", "y"), folder, link, err));
  EXPECT_FALSE(f.files.AcceptDrop({link}, accepted));
  EXPECT_EQ(f.msgs.With(zw::msgOnlyDropResultLists).size(), 1u);
}

#ifndef _WIN32
TEST(ResultDrop, BrokenShortcutIsRefused) {
  TempTree t;
  Fixture f;
  fs::create_symlink(t.PathOf("nowhere.zwr"), t.PathOf("broken.zwr"));
  std::string accepted;
  EXPECT_FALSE(f.files.AcceptDrop({t.PathOf("broken.zwr")}, accepted));
  EXPECT_TRUE(f.msgs.Has(zw::msgOnlyDropResultLists));
}
#endif

TEST(ResultDrop, AcceptedDropImports) {
  TempTree t;
  Fixture f;
  const std::string file = t.File("drop.zwr", Header(1, 0, 1, 1, 0, 5) +
                                                  RecordV1(0, "/a/", "dropped", 1, 0, 0, 0, 0, 0));
  EXPECT_TRUE(f.files.ImportDropped({file}));
  ASSERT_EQ(f.list.ItemCount(), 1);
  EXPECT_EQ(f.list.Item(0)->Name, "dropped");
}

TEST(ResultStartFile, ExistingZwrFileThatIsNoCommand) {
  TempTree t;
  const std::string file = t.File("start.zwr", "x");
  EXPECT_TRUE(zw::TResultFiles::IsStartFile(file));
  EXPECT_TRUE(zw::TResultFiles::IsStartFile(t.File("START.Zwr", "x")));
  EXPECT_FALSE(zw::TResultFiles::IsStartFile(t.PathOf("absent.zwr")));
  EXPECT_FALSE(zw::TResultFiles::IsStartFile(t.File("start.txt", "x")));
  EXPECT_FALSE(zw::TResultFiles::IsStartFile(
      zw::platform::ExcludeTrailingSep(t.Dir("dir.zwr"))));
  EXPECT_FALSE(zw::TResultFiles::IsStartFile("-run"));
  EXPECT_FALSE(zw::TResultFiles::IsStartFile(""));
#ifdef _WIN32
  EXPECT_FALSE(zw::TResultFiles::IsStartFile("/run"));
#endif
}
