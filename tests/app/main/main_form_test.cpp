// The run driver and the main window's behaviour, through a scripted host:
// the checks of Run in their order with their questions, scans from start to
// end, scripts that wait for a scan, and Cancel.
#include "app/main/main_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <fstream>

#include "app/text/message_table.h"
#include "app/text/text_format.h"
#include "engine/dupes/catalog_writer.h"
#include "support/temp_tree.h"
#include "app/support/test_host.h"
#include "app/text_ids.h"

using zwtest::HostCall;
using zwtest::TempTree;

namespace {

class Form {
 public:
  Form()
      : events([this](zw::TStatusEvent& ev) { form.HandleStatusEvent(ev); }),
        form(host, events, log) {
    host.onRunUntil = [this] { events.DispatchPending(); };
    // Questions reach the host unless a test says otherwise.
    form.SetExecMode(zw::emInteractive);
  }

  // Runs the driver and waits for the end of the scan it started.
  bool RunAndWait() {
    if (!form.Run()) return false;
    host.RunUntil([this] { return !form.Busy(); });
    return true;
  }

  // The texts of the boxes shown so far.
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> out;
    for (const auto& c : host.Boxes()) out.push_back(c.text);
    return out;
  }
  bool Shown(zw::TMsgID id, const zw::TFmtArgs& args = {}) const {
    const std::string text = zw::Format(zw::MsgText(id), args);
    for (const auto& t : BoxTexts())
      if (t == text) return true;
    return false;
  }
  bool Logged(const std::string& part) const { return log.Text().find(part) != std::string::npos; }

  zwtest::TestHost host;
  zw::TZWLog log;
  zw::TEventQueue events;
  zw::TMainForm form;
};

TEST(RunChecks, NoCriterionAskedFirstAndNoStopsEverything) {
  TempTree t;
  Form f;
  auto& m = f.form.Model();
  m.compare.checked = 0;
  m.fresh.rows.push_back({t.Dir("a"), zw::dsRecursive});
  f.host.answers = {zw::ansNo};
  EXPECT_FALSE(f.form.Run());
  EXPECT_TRUE(f.Shown(zw::askNoCriterionSelected));
  EXPECT_EQ(f.host.Boxes().size(), 1u);
  EXPECT_FALSE(f.form.Busy());
  EXPECT_EQ(f.log.Count(), 0u);
}

TEST(RunChecks, NoCriterionAnsweredYesListsEveryFileAndReportsNoDuplicateCount) {
  TempTree t;
  t.File("a/x", "same");
  t.File("a/y", "same");
  Form f;
  auto& m = f.form.Model();
  m.compare.checked = 0;
  m.fresh.rows.push_back({t.Dir("a"), zw::dsSingle});
  f.host.answers = {zw::ansYes};
  ASSERT_TRUE(f.RunAndWait());
  EXPECT_EQ(f.form.Results().ItemCount(), 2);
  EXPECT_EQ(f.form.Results().SetCount(), 2);
  EXPECT_FALSE(f.Logged("duplicate files in"));
  EXPECT_FALSE(f.Logged("No duplicate files found."));
}

TEST(RunChecks, OnlyLibraryRowsActiveAsksForAFolderAndStartsNothing) {
  TempTree t;
  Form f;
  auto& m = f.form.Model();
  m.fresh.rows.push_back({t.Dir("a"), zw::dsInactive});
  m.fresh.rows.push_back({t.Dir("b"), zw::dsExclude});
  m.library.rows.push_back({t.Dir("c"), zw::dsRecursive});
  f.host.answers = {zw::ansNo};
  EXPECT_FALSE(f.form.Run());
  EXPECT_TRUE(f.Shown(zw::askNoFolderSelected));
  EXPECT_FALSE(f.form.Busy());
}

TEST(RunChecks, MissingFolderOkRemovesTheRowAndGoesOnCancelStops) {
  TempTree t;
  t.File("a/x", "1");
  const std::string gone = t.Dir("gone");
  std::filesystem::remove(std::filesystem::path(zw::platform::ExcludeTrailingSep(gone)));
  {
    Form f;
    auto& m = f.form.Model();
    m.fresh.rows.push_back({gone, zw::dsRecursive});
    m.fresh.rows.push_back({t.Dir("a"), zw::dsRecursive});
    f.host.answers = {zw::ansCancel};
    EXPECT_FALSE(f.form.Run());
    EXPECT_TRUE(f.Shown(zw::askDirNotFound, {gone}));
    EXPECT_EQ(m.fresh.rows.size(), 2u);
  }
  {
    Form f;
    auto& m = f.form.Model();
    m.fresh.rows.push_back({gone, zw::dsRecursive});
    m.fresh.rows.push_back({t.Dir("a"), zw::dsRecursive});
    f.host.answers = {zw::ansOK};
    EXPECT_TRUE(f.RunAndWait());
    ASSERT_EQ(m.fresh.rows.size(), 1u);
    EXPECT_EQ(m.fresh.rows[0].caption, t.Dir("a"));
  }
}

TEST(RunChecks, FolderOverlapsAreRefusedUnlessAnExcludeRowCoversThem) {
  TempTree t;
  const std::string top = t.Dir("top"), sub = t.Dir("top/sub");
  {
    Form f;  // the same folder twice in one list
    f.form.Model().fresh.rows = {{top, zw::dsSingle}, {top, zw::dsRecursive}};
    EXPECT_FALSE(f.form.Run());
    EXPECT_TRUE(f.Shown(zw::msgDuplicateFolderSameList, {top}));
  }
  {
    Form f;  // a folder inside a recursive one: row i is named by its number
    f.form.Model().fresh.rows = {{sub, zw::dsSingle}, {top, zw::dsRecursive}};
    EXPECT_FALSE(f.form.Run());
    EXPECT_TRUE(f.Shown(zw::msgFolderIsSubdirOfAnother, {sub, top, int64_t{2}}));
  }
  {
    Form f;  // the same, but an exclude row of that list covers the inner folder
    f.form.Model().fresh.rows = {{top, zw::dsRecursive}, {sub, zw::dsExclude}};
    f.form.Model().library.rows = {{sub, zw::dsRecursive}};
    EXPECT_TRUE(f.RunAndWait());
  }
  {
    Form f;  // fresh recursive, and the same folder excluded in the library list
    f.form.Model().fresh.rows = {{top, zw::dsRecursive}};
    f.form.Model().library.rows = {{top, zw::dsExclude}};
    EXPECT_TRUE(f.RunAndWait());
  }
  {
    Form f;  // the same folder in both lists, neither excluded
    f.form.Model().fresh.rows = {{top, zw::dsSingle}};
    f.form.Model().library.rows = {{top, zw::dsSingle}};
    EXPECT_FALSE(f.form.Run());
    EXPECT_TRUE(f.Shown(zw::msgDuplicateFolder, {top}));
  }
}

TEST(RunChecks, SizeBoundsThatAreTheWrongWayRoundAreSwappedAfterAsking) {
  TempTree t;
  t.SizedFile("a/x", 1500);
  t.SizedFile("a/y", 1500);
  for (int answer : {zw::ansCancel, zw::ansOK}) {
    Form f;
    auto& m = f.form.Model();
    m.fresh.rows = {{t.Dir("a"), zw::dsSingle}};
    m.sizeMode = zw::fmLimitTo;
    m.sizeLow = {"2", 1, 0};
    m.sizeHigh = {"1", 1, 0};
    f.host.answers = {answer};
    const bool started = answer == zw::ansOK ? f.RunAndWait() : f.form.Run();
    EXPECT_EQ(started, answer == zw::ansOK);
    EXPECT_TRUE(f.Shown(zw::askSwapRangeValues, {std::string("2 kB"), std::string("1 kB")}));
    if (answer == zw::ansOK) {
      EXPECT_EQ(m.sizeLow.bytes, 1024u);
      EXPECT_EQ(m.sizeHigh.bytes, 2048u);
      EXPECT_EQ(f.form.Results().ItemCount(), 2);  // 1500 bytes lie inside
    }
  }
}

TEST(RunChecks, ContentRestrictionsOfArchivesAndTheExactSizeQuestion) {
  TempTree t;
  t.File("a/x", "1");
  {
    Form f;
    auto& m = f.form.Model();
    m.fresh.rows = {{t.Dir("a"), zw::dsSingle}};
    m.scanArchives = true;
    m.compare.content.methods = zw::acmByteByByte;
    EXPECT_FALSE(f.form.Run());
    EXPECT_TRUE(f.Shown(zw::msgZipFileRestrictions));
  }
  {
    Form f;
    auto& m = f.form.Model();
    m.fresh.rows = {{t.Dir("a"), zw::dsSingle}};
    m.compare.Set(zw::ccSize, false);
    f.host.answers = {zw::ansCancel};
    EXPECT_FALSE(f.form.Run());
    EXPECT_TRUE(f.Shown(zw::askUseExactSizeComp));
  }
}

TEST(RunChecks, ArchiveAndCatalogRowsAreCheckedBeforeTheScan) {
  TempTree t;
  t.File("a/x", "1");
  {
    // A damaged archive: the question to leave it out; Cancel stops.
    const std::string zip = t.File("pack.zip", "PK");
    Form f;
    auto& m = f.form.Model();
    m.fresh.rows = {{t.Dir("a"), zw::dsSingle}, {zip, zw::dsArchive}};
    f.host.answers = {zw::ansCancel};
    EXPECT_FALSE(f.form.Run());
    EXPECT_TRUE(f.Shown(zw::msgFileNotScanned, {zip}));
    EXPECT_EQ(m.fresh.rows[1].state, zw::dsArchive);
  }
  {
    // A file that is no catalog: the reason is named.
    const std::string cat = t.File("old.zwc", "not a catalog at all, just text");
    Form f;
    auto& m = f.form.Model();
    m.fresh.rows = {{t.Dir("a"), zw::dsSingle}, {cat, zw::dsArchive}};
    f.host.answers = {zw::ansCancel};
    EXPECT_FALSE(f.form.Run());
    bool asked = false;
    for (const auto& call : f.host.Calls())
      asked = asked || (call.text.find("will not be scanned") != std::string::npos &&
                        call.text.find(cat) != std::string::npos);
    EXPECT_TRUE(asked);
  }
  {
    // Other file types are not supported.
    const std::string rar = t.File("pack.rar", "Rar!");
    Form f;
    auto& m = f.form.Model();
    m.fresh.rows = {{t.Dir("a"), zw::dsSingle}, {rar, zw::dsArchive}};
    EXPECT_FALSE(f.form.Run());
    EXPECT_TRUE(f.Shown(zw::msgFileTypeNotSupported, {std::string("*.rar")}));
  }
}

TEST(RunChecks, UnattendedModeAnswersWithTheDefaultAndLogsTheAnswer) {
  TempTree t;
  t.File("a/x", "1");
  Form f;
  f.form.SetExecMode(zw::emUnattended);
  auto& m = f.form.Model();
  m.fresh.rows = {{t.Dir("a"), zw::dsSingle}};
  m.compare.Set(zw::ccSize, false);  // complete content: the exact size question, default OK
  ASSERT_TRUE(f.RunAndWait());
  EXPECT_TRUE(f.host.Boxes().empty());
  const std::string question = zw::TZWLog::FlattenLineBreaks(zw::MsgText(zw::askUseExactSizeComp));
  EXPECT_TRUE(f.Logged(question + " [OK]")) << f.log.Text();
  EXPECT_EQ(f.host.Count(HostCall::ShowLog), 0u);  // automatic: no log window
}

TEST(Scan, FindsTheSetsLogsTheCountsAndShowsTheLogWhenAttended) {
  TempTree t;
  t.File("a/x1", "same content");
  t.File("a/sub/x2", "same content");
  t.File("a/y", "other content");
  Form f;
  f.form.Model().fresh.rows = {{t.Dir("a"), zw::dsRecursive}};
  ASSERT_TRUE(f.RunAndWait());
  EXPECT_EQ(f.form.Results().ItemCount(), 2);
  EXPECT_EQ(f.form.Results().SetCount(), 1);
  EXPECT_TRUE(f.Logged("Found 2 duplicate files in 1 sets.")) << f.log.Text();
  EXPECT_TRUE(f.Logged("Starting the scan (on "));
  EXPECT_TRUE(f.Logged("Scan finished, search took 00:"));
  const auto showLog = f.host.CallsOf(HostCall::ShowLog);
  ASSERT_EQ(showLog.size(), 1u);
  EXPECT_EQ(showLog[0].a, 1);  // modal
  // A second scan separates its lines from the first one's by an empty line.
  const size_t before = f.log.Count();
  ASSERT_TRUE(f.RunAndWait());
  EXPECT_EQ(f.log.Line(before), "");
}

TEST(Scan, NoDuplicatesIsSaid) {
  TempTree t;
  t.File("a/x", "one");
  t.File("a/y", "two!");
  Form f;
  f.form.Model().fresh.rows = {{t.Dir("a"), zw::dsRecursive}};
  ASSERT_TRUE(f.RunAndWait());
  EXPECT_EQ(f.form.Results().ItemCount(), 0);
  EXPECT_TRUE(f.Logged("No duplicate files found."));
}

TEST(Scan, CancelAnsweredYesStopsTheScanNoLetsItGoOn) {
  TempTree t;
  for (int i = 0; i < 50; ++i) t.File("a/f" + std::to_string(i), "x");
  {
    Form f;
    f.form.Model().fresh.rows = {{t.Dir("a"), zw::dsRecursive}};
    ASSERT_TRUE(f.form.Run());
    f.host.answers = {zw::ansNo};
    f.form.Cancel();
    f.host.RunUntil([&] { return !f.form.Busy(); });
    EXPECT_FALSE(f.form.Driver().Canceled());
    EXPECT_EQ(f.form.Results().ItemCount(), 50);
  }
  {
    Form f;
    f.form.Model().fresh.rows = {{t.Dir("a"), zw::dsRecursive}};
    ASSERT_TRUE(f.form.Run());
    f.host.answers = {zw::ansYes};
    f.form.Cancel();
    f.host.RunUntil([&] { return !f.form.Busy(); });
    EXPECT_TRUE(f.form.Driver().Canceled());
    EXPECT_TRUE(f.Logged("Current progress aborted by user"));
    EXPECT_FALSE(f.host.runUntilGaveUp);
  }
}

TEST(Script, WaitsForTheScanAndResumesWithTheNextCommand) {
  TempTree t;
  t.File("a/x1", "same");
  t.File("a/x2", "same");
  const std::string saved = t.PathOf("saved.log");
  Form f;
  f.form.SetExecMode(zw::emDefault);
  const std::string line = "zwillo -addfolder \"" + zw::platform::ExcludeTrailingSep(t.Dir("a")) +
                           "\" -run -savelog \"" + saved + "\"";
  ASSERT_TRUE(f.form.RunCommandLine(line));
  EXPECT_TRUE(f.form.ScriptRunning());  // waiting for the scan
  EXPECT_FALSE(std::filesystem::exists(saved));
  f.host.RunUntil([&] { return !f.form.ScriptRunning() && !f.form.Busy(); });
  EXPECT_EQ(f.form.ScriptOutcome(), zw::TZWScriptRunner::TOutcome::Completed);
  ASSERT_TRUE(std::filesystem::exists(saved));
  std::ifstream in(saved);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(content.find("Found 2 duplicate files in 1 sets."), std::string::npos);
  EXPECT_EQ(f.host.Count(HostCall::ShowLog), 0u);  // automatic while the script runs
}

// --- interrupted from outside (Ctrl+C, SIGINT, SIGTERM) ---

TEST(Interrupt, DuringAScanCancelsItWithoutAskingAndNoLaterCommandRuns) {
  TempTree t;
  for (int i = 0; i < 20; ++i) t.File("a/f" + std::to_string(i), "same");
  const std::string saved = t.PathOf("saved.log");
  Form f;
  f.form.SetExecMode(zw::emDefault);
  std::string cause;
  f.form.interruptRequest = [&] { return cause; };
  ASSERT_TRUE(f.form.RunCommandLine("zwillo -addfolder \"" + t.Dir("a") + "\" -run -savelog \"" +
                                    saved + "\""));
  ASSERT_TRUE(f.form.Driver().Scanning());
  cause = "SIGTERM";
  f.form.PollInterrupt();
  f.host.RunUntil([&] { return !f.form.ScriptRunning() && !f.form.Busy(); });
  EXPECT_TRUE(f.form.Driver().Canceled());
  EXPECT_TRUE(f.host.Boxes().empty());  // nobody was asked
  EXPECT_EQ(f.host.Count(HostCall::ShowLog), 0u);
  EXPECT_TRUE(f.Logged("Cancelled by SIGTERM"));
  EXPECT_TRUE(f.Logged("Current progress aborted by user"));
  EXPECT_FALSE(std::filesystem::exists(saved));
  EXPECT_EQ(f.form.ScriptOutcome(), zw::TZWScriptRunner::TOutcome::Aborted);
}

TEST(Interrupt, DuringAFileActionStopsBeforeTheNextFile) {
  TempTree t;
  for (int i = 0; i < 3; ++i) {
    t.File("a/x" + std::to_string(i), "content " + std::to_string(i));
    t.File("b/x" + std::to_string(i), "content " + std::to_string(i));
  }
  const std::string saved = t.PathOf("saved.log");
  Form f;
  f.form.SetExecMode(zw::emDefault);
  bool oneFileDone = false;
  f.form.interruptRequest = [&] { return oneFileDone ? "SIGINT" : ""; };
  f.form.FileActions().processMessages = [&] {
    oneFileDone = true;
    f.form.PollInterrupt();
  };
  const std::string root = zw::platform::ExcludeTrailingSep(t.Root());
  ASSERT_TRUE(f.form.RunCommandLine("zwillo -addfolder \"" + root +
                                    "\" -run -checkfirst -deletechecked p -savelog \"" + saved +
                                    "\""));
  f.host.RunUntil([&] { return !f.form.ScriptRunning() && !f.form.Busy(); });
  size_t left = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(t.Root()))
    left += e.is_regular_file();
  EXPECT_EQ(left, 5u);  // one of the three checked files, then it stopped
  EXPECT_TRUE(f.Logged("Cancelled by SIGINT"));
  EXPECT_FALSE(std::filesystem::exists(saved));
  EXPECT_EQ(f.form.ScriptOutcome(), zw::TZWScriptRunner::TOutcome::Aborted);
}

// --- catalog files written from the results ---

// The sets of the result list as sorted lists of "name size", sorted.
std::vector<std::vector<std::string>> SetsOf(zw::TResultList& list) {
  std::map<uint32_t, std::vector<std::string>> bySet;
  for (const zw::TResultEntry* e : list.Items())
    bySet[e->Set].push_back(e->Name + " " + std::to_string(e->Size));
  std::vector<std::vector<std::string>> sets;
  for (auto& [set, names] : bySet) {
    std::sort(names.begin(), names.end());
    sets.push_back(names);
  }
  std::sort(sets.begin(), sets.end());
  return sets;
}

const zw::TResultEntry* EntryNamed(zw::TResultList& list, const std::string& name) {
  for (const zw::TResultEntry* e : list.Items())
    if (e->Name == name) return e;
  return nullptr;
}

// A backup, catalogued by a scan that lists every file, and a fresh folder
// with copies of some of its files.
struct CatalogTree {
  CatalogTree() {
    t.File("backup/photos/a.jpg", "alpha content");
    t.File("backup/photos/2004/b.jpg", "beta content!");
    t.File("backup/music/c.mp3", "gamma gamma");
    t.File("backup/music/d.mp3", "delta");
    t.File("fresh/a-new.jpg", "alpha content");
    t.File("fresh/x/b-new.jpg", "beta content!");
    t.File("fresh/b-also.jpg", "beta content!");
    t.File("fresh/c-new.mp3", "gamma gamma");
    t.File("fresh/same-size.jpg", "alphA content");  // size of a.jpg, other bytes
    t.File("fresh/e.txt", "epsilon");
  }
  // Scans `library` as the library row against the fresh folder by size and
  // content; returns its sets.
  std::vector<std::vector<std::string>> ScanAgainst(const std::string& library, uint8_t state,
                                                    zw::TResultList** list = nullptr) {
    forms.push_back(std::make_unique<Form>());
    Form& f = *forms.back();
    f.form.Model().fresh.rows = {{t.Dir("fresh"), zw::dsRecursive}};
    f.form.Model().library.rows = {{library, state}};
    EXPECT_TRUE(f.RunAndWait());
    if (list) *list = &f.form.Results();
    return SetsOf(f.form.Results());
  }
  TempTree t;
  std::vector<std::unique_ptr<Form>> forms;
};

TEST(Catalog, AScanAgainstTheCatalogFindsWhatTheFilesThemselvesGive) {
  CatalogTree c;
  Form writer;
  auto& m = writer.form.Model();
  m.compare.checked = 0;  // no criterion: every file is listed
  m.fresh.rows = {{c.t.Dir("backup"), zw::dsRecursive}};
  writer.host.answers = {zw::ansYes};
  ASSERT_TRUE(writer.RunAndWait());
  ASSERT_EQ(writer.form.Results().ItemCount(), 4);

  zw::TCatFileOptions options;
  options.FileName = c.t.PathOf("backup-disk");  // the extension is added
  options.Data = zw::catdata::kChecksums | zw::catdata::kDirAttributes;
  options.Paths = zw::catpaths::kAsNeeded;
  ASSERT_TRUE(writer.form.CreateCatfile(options));
  const std::string catalog = c.t.PathOf("backup-disk.zwc");
  ASSERT_TRUE(std::filesystem::exists(catalog));
  EXPECT_FALSE(writer.form.Busy());
  EXPECT_TRUE(writer.host.Count(HostCall::SetProgress) > 0);

  zw::TResultList* fromCatalog = nullptr;
  zw::TResultList* fromFiles = nullptr;
  const auto catalogSets = c.ScanAgainst(catalog, zw::dsArchive, &fromCatalog);
  const auto fileSets = c.ScanAgainst(c.t.Dir("backup"), zw::dsRecursive, &fromFiles);
  EXPECT_EQ(catalogSets, fileSets);
  EXPECT_EQ(catalogSets.size(), 3u);  // alpha, beta, gamma; not the same-size file

  // Catalog entries carry the catalog's name and the folders below the
  // common one, and the files' own dates.
  const zw::TResultEntry* b = EntryNamed(*fromCatalog, "b.jpg");
  const zw::TResultEntry* bFile = EntryNamed(*fromFiles, "b.jpg");
  ASSERT_TRUE(b && bFile);
  const char sep = zw::platform::kPathSep;
  EXPECT_EQ(b->Path, std::string("backup-disk.zwc>") + sep + "photos" + sep + "2004" + sep);
  EXPECT_TRUE(b->InArchive());
  EXPECT_EQ(b->Time, bFile->Time);
  EXPECT_EQ(b->Crc, bFile->Crc);
}

TEST(Catalog, AnImportedListIsChecksummedAnewAndFailuresAreReported) {
  CatalogTree c;
  const std::string saved = c.t.PathOf("backup.zwr");
  {
    // Duplicates within the backup, with their CRC32 values, saved.
    c.t.File("backup/photos/b-copy.jpg", "beta content!");
    Form f;
    f.form.Model().fresh.rows = {{c.t.Dir("backup"), zw::dsRecursive}};
    ASSERT_TRUE(f.RunAndWait());
    ASSERT_EQ(f.form.Results().ItemCount(), 2);
    ASSERT_TRUE(f.form.ExportResults(saved, 2));
  }
  // One of them changes after the list was saved; the list's value is stale.
  c.t.File("backup/photos/2004/b.jpg", "BETA CONTENT!");

  Form f;
  ASSERT_TRUE(f.form.ImportResults(saved));
  zw::TCatFileOptions options;
  options.FileName = c.t.PathOf("imported.zwc");
  options.Data = zw::catdata::kChecksums;
  ASSERT_TRUE(f.form.CreateCatfile(options));
  const auto sets = c.ScanAgainst(options.FileName, zw::dsArchive);
  // The changed file's copy in the fresh folder is no duplicate of it.
  for (const auto& set : sets)
    for (const auto& name : set) EXPECT_NE(name, "b.jpg 13");

  // A listed file that is gone: the catalog is written without it, and the
  // command reports the failure.
  std::filesystem::remove(c.t.PathOf("backup/photos/b-copy.jpg"));
  options.FileName = c.t.PathOf("partial.zwc");
  EXPECT_FALSE(f.form.CreateCatfile(options));
  EXPECT_TRUE(std::filesystem::exists(options.FileName));
  EXPECT_TRUE(f.Logged("b-copy.jpg"));
  EXPECT_FALSE(f.form.Busy());

  // A catalog that cannot be created.
  options.FileName = c.t.PathOf("no such folder/x.zwc");
  EXPECT_FALSE(f.form.CreateCatfile(options));
  bool told = false;
  for (const auto& text : f.BoxTexts())
    told = told || (text.find("Could not create file \"" + options.FileName + "\"") == 0);
  EXPECT_TRUE(told);
}

// Writes a catalog of the files below `dir` (a scan without criteria lists
// them all) with the given data; returns its path.
std::string WriteCatalog(TempTree& t, const std::string& dir, const std::string& name,
                         uint8_t data) {
  Form writer;
  auto& m = writer.form.Model();
  m.compare.checked = 0;
  m.fresh.rows = {{t.Dir(dir), zw::dsRecursive}};
  writer.host.answers = {zw::ansYes};
  EXPECT_TRUE(writer.RunAndWait());
  zw::TCatFileOptions options;
  options.FileName = t.PathOf(name);
  options.Data = data;
  EXPECT_TRUE(writer.form.CreateCatfile(options));
  return options.FileName;
}

TEST(Catalog, RowsAreCheckedForContentLimitsMissingFilesAndDoubles) {
  CatalogTree c;
  const std::string full = WriteCatalog(c.t, "backup", "full.zwc", zw::catdata::kChecksums);
  const std::string bare = WriteCatalog(c.t, "backup", "bare.zwc", 0);
  const std::string fresh = c.t.Dir("fresh");
  auto form = [&](std::vector<zw::TDirRow> library) {
    auto f = std::make_unique<Form>();
    f->form.Model().fresh.rows = {{fresh, zw::dsRecursive}};
    f->form.Model().library.rows = std::move(library);
    return f;
  };
  {
    // Content comparison needs checksums, the whole content and no byte-per-byte.
    auto f = form({{bare, zw::dsArchive}});
    EXPECT_FALSE(f->form.Run());
    EXPECT_TRUE(f->Shown(zw::msgCatFileNoChecksums, {bare}));
    auto g = form({{full, zw::dsArchive}});
    g->form.Model().compare.content.methods = zw::acmCRC32 | zw::acmByteByByte;
    EXPECT_FALSE(g->form.Run());
    EXPECT_TRUE(g->Shown(zw::msgCatFileRestrictions));
    auto h = form({{full, zw::dsArchive}});
    h->form.Model().compare.content.range = zw::acFirstN;
    EXPECT_FALSE(h->form.Run());
    EXPECT_TRUE(h->Shown(zw::msgCatFileRestrictions));
    // Without content comparison a catalog without checksums serves.
    auto k = form({{bare, zw::dsArchive}});
    k->form.Model().compare.Set(zw::ccContent, false);
    EXPECT_TRUE(k->RunAndWait());
    EXPECT_GT(k->form.Results().ItemCount(), 0);
  }
  {
    // A catalog that is gone: OK takes the row out and scans, Cancel stops.
    const std::string gone = c.t.PathOf("gone.zwc");
    auto f = form({{gone, zw::dsArchive}, {full, zw::dsArchive}});
    f->host.answers = {zw::ansCancel};
    EXPECT_FALSE(f->form.Run());
    EXPECT_TRUE(f->Shown(zw::askCatNotFound, {gone}));
    EXPECT_EQ(f->form.Model().library.rows.size(), 2u);
    f->host.answers = {zw::ansOK};
    ASSERT_TRUE(f->RunAndWait());
    ASSERT_EQ(f->form.Model().library.rows.size(), 1u);
    EXPECT_EQ(f->form.Model().library.rows[0].caption, full);
    EXPECT_EQ(f->form.Results().SetCount(), 3);
  }
  {
    // The same catalog twice in one list: one row goes without a word; in
    // both lists: refused.
    auto f = form({{full, zw::dsArchive}, {full, zw::dsArchive}});
    ASSERT_TRUE(f->RunAndWait());
    EXPECT_EQ(f->form.Model().library.rows.size(), 1u);
    EXPECT_EQ(f->form.Results().SetCount(), 3);
    EXPECT_TRUE(f->host.Boxes().empty());
    auto g = form({{full, zw::dsArchive}});
    g->form.Model().fresh.rows.push_back({full, zw::dsArchive});
    EXPECT_FALSE(g->form.Run());
    EXPECT_TRUE(g->Shown(zw::msgDuplicateCatfile, {full}));
  }
  {
    // A damaged catalog left out with OK: the row becomes inactive and the
    // scan goes on without it.
    const std::string bad = c.t.File("bad.zwc", "ZWCatF");
    auto f = form({{bad, zw::dsArchive}, {full, zw::dsArchive}});
    f->host.answers = {zw::ansOK};
    ASSERT_TRUE(f->RunAndWait());
    EXPECT_EQ(f->form.Model().library.rows[0].state, zw::dsArchiveInactive);
    EXPECT_EQ(f->form.Results().SetCount(), 3);
  }
}

TEST(ElapsedText, MinutesAndSecondsWithMillisecondsOrHoursAndDays) {
  const double second = 1.0 / 86400;
  EXPECT_EQ(zw::TRunDriver::ElapsedText(0.25 * second + 1e-9), "00:00\"250");
  EXPECT_EQ(zw::TRunDriver::ElapsedText(7.25 * second + 1e-9), "00:07\"250");
  EXPECT_EQ(zw::TRunDriver::ElapsedText(65 * second + 1e-9), "01:05");
  EXPECT_EQ(zw::TRunDriver::ElapsedText((3600 + 125) * second + 1e-9), "01:02:05");
  EXPECT_EQ(zw::TRunDriver::ElapsedText(1 + (2 * 3600 + 3 * 60 + 4) * second + 1e-9), "1d, 02:03:04");
}

}  // namespace
