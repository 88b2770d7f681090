// The run driver and the main window's behaviour, through a scripted host:
// the checks of Run in their order with their questions, scans from start to
// end, scripts that wait for a scan, and Cancel.
#include "app/main/main_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "app/support/test_host.h"
#include "app/text/message_table.h"
#include "app/text/text_format.h"
#include "app/text_ids.h"
#include "engine/dupes/catalog_writer.h"
#include "support/temp_tree.h"

using zwtest::HostCall;
using zwtest::TempTree;
namespace fs = std::filesystem;

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
    Wait();
    return true;
  }
  void Wait() { host.RunUntil([this] { return !form.ScriptRunning() && !form.Busy(); }); }
  bool Logged(const std::string& part) const { return log.Text().find(part) != std::string::npos; }
  bool Told(const std::string& part) const {
    for (const auto& box : host.Boxes())
      if (box.text.find(part) != std::string::npos) return true;
    return false;
  }

  zwtest::TestHost host;
  zw::TZWLog log;
  zw::TEventQueue events;
  zw::TMainForm form;
};

// A backup, and a fresh folder with copies of some of its files.
void FillBackupAndFresh(const TempTree& t) {
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

// Writes a catalog of the files below `dir` (a scan without criteria lists
// them all) with the given data; returns its path.
std::string WriteCatalog(const TempTree& t, const std::string& dir, const std::string& name,
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
  options.Paths = zw::catpaths::kAsNeeded;
  EXPECT_TRUE(writer.form.CreateCatfile(options));
  EXPECT_FALSE(writer.form.Busy());
  return options.FileName;
}

// --- the checks of Run -------------------------------------------------------------

// Folder lists are written "a:r top/sub:x | c:s": fresh rows, then library
// rows, each a path below the test tree (one with a "." a file) and its
// state letter (s r x i a, A an inactive archive).
constexpr char kStates[] = "srxiaA";

struct RunCheck {
  const char* what;
  const char* rows;
  std::function<void(zw::TWindowModel&)> tweak = nullptr;
  std::deque<int> answers = {};
  std::optional<zw::TMsgID> box = std::nullopt;  // the one box shown
  std::vector<std::string> args = {};  // its first arguments: "~path" a row, "#n" a number
  bool starts = false;
  const char* rowsAfter = nullptr;  // null: as before
  int items = -1, sets = -1;        // in the results (-1: not checked)
  const char* logged = nullptr;     // "!text": not logged
};

const auto kNoCriterion = [](zw::TWindowModel& m) { m.compare.checked = 0; };
const auto kByteByByte = [](zw::TWindowModel& m) { m.compare.content.methods = zw::acmByteByByte; };
const auto kNoExactSize = [](zw::TWindowModel& m) { m.compare.Set(zw::ccSize, false); };
const auto kSwappedSizes = [](zw::TWindowModel& m) {
  m.sizeMode = zw::fmLimitTo;
  m.sizeLow = {"2", 1, 0};
  m.sizeHigh = {"1", 1, 0};
};

const RunCheck kRunChecks[] = {
    {.what = "no criterion: asked first, No stops everything", .rows = "two:r",
     .tweak = kNoCriterion, .answers = {zw::ansNo}, .box = zw::askNoCriterionSelected},
    {.what = "no criterion, Yes: every file listed, no duplicate count", .rows = "two:r",
     .tweak = kNoCriterion, .answers = {zw::ansYes}, .box = zw::askNoCriterionSelected,
     .starts = true, .items = 2, .sets = 2, .logged = "!duplicate files"},
    {.what = "duplicates found", .rows = "two:r", .starts = true, .items = 2, .sets = 1,
     .logged = "Found 2 duplicate files in 1 sets."},
    {.what = "only library rows active", .rows = "a:i top:x | two:r", .answers = {zw::ansNo},
     .box = zw::askNoFolderSelected},
    {.what = "missing folder, Cancel", .rows = "gone:r two:r", .answers = {zw::ansCancel},
     .box = zw::askDirNotFound, .args = {"~gone"}},
    {.what = "missing folder, OK: the row goes", .rows = "gone:r two:r", .answers = {zw::ansOK},
     .box = zw::askDirNotFound, .args = {"~gone"}, .starts = true, .rowsAfter = "two:r |"},
    {.what = "the same folder twice in one list", .rows = "top:s top:r",
     .box = zw::msgDuplicateFolderSameList, .args = {"~top"}},
    {.what = "a folder inside a recursive one: the other row by its number",
     .rows = "top/sub:s top:r", .box = zw::msgFolderIsSubdirOfAnother,
     .args = {"~top/sub", "~top", "#2"}},
    {.what = "an exclude row of the list covers the inner folder",
     .rows = "top:r top/sub:x | top/sub:r", .starts = true, .sets = 1},
    {.what = "excluded in the other list", .rows = "top:r | top:x", .starts = true, .sets = 1},
    {.what = "the same folder in both lists", .rows = "top:s | top:s",
     .box = zw::msgDuplicateFolder, .args = {"~top"}},
    {.what = "size bounds the wrong way round, Cancel", .rows = "sized:s", .tweak = kSwappedSizes,
     .answers = {zw::ansCancel}, .box = zw::askSwapRangeValues, .args = {"2 kB", "1 kB"}},
    {.what = "size bounds swapped with OK: 1500 bytes lie inside", .rows = "sized:s",
     .tweak = kSwappedSizes, .answers = {zw::ansOK}, .box = zw::askSwapRangeValues,
     .starts = true, .items = 2},
    {.what = "archives scanned by more than their checksums", .rows = "a:s",
     .tweak =
         [](zw::TWindowModel& m) {
           kByteByByte(m);
           m.scanArchives = true;
         },
     .box = zw::msgZipFileRestrictions},
    {.what = "complete content without the exact size", .rows = "a:s", .tweak = kNoExactSize,
     .answers = {zw::ansCancel}, .box = zw::askUseExactSizeComp},
    {.what = "a damaged archive: Cancel", .rows = "a:s pack.zip:a", .answers = {zw::ansCancel},
     .box = zw::msgFileNotScanned, .args = {"~pack.zip"}},
    {.what = "a file that is no catalog: the reason is named", .rows = "a:s text.zwc:a",
     .answers = {zw::ansCancel}, .box = zw::msgFileNotScannedReason, .args = {"~text.zwc"}},
    {.what = "other file types", .rows = "a:s pack.rar:a", .box = zw::msgFileTypeNotSupported,
     .args = {"*.rar"}},
    // catalogs: content comparison needs checksums, the whole content and
    // no byte-per-byte comparison
    {.what = "a catalog without checksums", .rows = "fresh:r | bare.zwc:a",
     .box = zw::msgCatFileNoChecksums, .args = {"~bare.zwc"}},
    {.what = "a catalog and byte-per-byte", .rows = "fresh:r | full.zwc:a",
     .tweak = [](zw::TWindowModel& m) { m.compare.content.methods |= zw::acmByteByByte; },
     .box = zw::msgCatFileRestrictions},
    {.what = "a catalog and part of the content", .rows = "fresh:r | full.zwc:a",
     .tweak = [](zw::TWindowModel& m) { m.compare.content.range = zw::acFirstN; },
     .box = zw::msgCatFileRestrictions},
    {.what = "a catalog without checksums serves without content comparison",
     .rows = "fresh:r | bare.zwc:a",
     .tweak = [](zw::TWindowModel& m) { m.compare.Set(zw::ccContent, false); }, .starts = true,
     .sets = 2},  // by size: a.jpg and b.jpg are one
    {.what = "a catalog that is gone, Cancel", .rows = "fresh:r | gone.zwc:a full.zwc:a",
     .answers = {zw::ansCancel}, .box = zw::askCatNotFound, .args = {"~gone.zwc"}},
    {.what = "a catalog that is gone, OK: the row goes", .rows = "fresh:r | gone.zwc:a full.zwc:a",
     .answers = {zw::ansOK}, .box = zw::askCatNotFound, .args = {"~gone.zwc"}, .starts = true,
     .rowsAfter = "fresh:r | full.zwc:a", .sets = 3},
    {.what = "the same catalog twice in one list: one row goes without a word",
     .rows = "fresh:r | full.zwc:a full.zwc:a", .starts = true,
     .rowsAfter = "fresh:r | full.zwc:a", .sets = 3},
    {.what = "the same catalog in both lists", .rows = "fresh:r full.zwc:a | full.zwc:a",
     .box = zw::msgDuplicateCatfile, .args = {"~full.zwc"}},
    {.what = "a damaged catalog left out with OK: inactive",
     .rows = "fresh:r | bad.zwc:a full.zwc:a",
     .answers = {zw::ansOK}, .box = zw::msgFileNotScannedReason, .args = {"~bad.zwc"},
     .starts = true, .rowsAfter = "fresh:r | bad.zwc:A full.zwc:a", .sets = 3},
};

TEST(RunChecks, QuestionsAndRefusalsBeforeTheScan) {
  TempTree t;
  FillBackupAndFresh(t);
  t.File("a/x", "1");
  t.File("two/x", "same");
  t.File("two/y", "same");
  t.SizedFile("sized/x", 1500);
  t.SizedFile("sized/y", 1500);
  t.File("top/y", "same");
  t.File("top/sub/y", "same");
  t.File("pack.zip", "PK");
  t.File("pack.rar", "Rar!");
  t.File("text.zwc", "not a catalog at all, just text");
  t.File("bad.zwc", "ZWCatF");
  WriteCatalog(t, "backup", "full.zwc", zw::catdata::kChecksums);
  WriteCatalog(t, "backup", "bare.zwc", 0);
  auto path = [&](const std::string& rel) {
    return rel.find('.') != std::string::npos ? t.PathOf(rel)
                                              : zw::platform::IncludeTrailingSep(t.PathOf(rel));
  };
  auto rowsText = [&](const zw::TWindowModel& m) {
    std::string out;
    for (const auto list : {zw::TFolderList::Fresh, zw::TFolderList::Library}) {
      if (list == zw::TFolderList::Library) out += " |";
      for (const zw::TDirRow& row : m.Folders(list).rows) {
        std::string rel = zw::platform::ExcludeTrailingSep(row.caption.substr(t.Root().size()));
        std::replace(rel.begin(), rel.end(), zw::platform::kPathSep, '/');
        out += (out.empty() ? "" : " ") + rel + ":" + kStates[row.state];
      }
    }
    return out;
  };
  for (const RunCheck& c : kRunChecks) {
    SCOPED_TRACE(c.what);
    Form f;
    zw::TWindowModel& m = f.form.Model();
    std::istringstream in(c.rows);
    auto list = zw::TFolderList::Fresh;
    for (std::string row; in >> row;) {
      if (row == "|") {
        list = zw::TFolderList::Library;
        continue;
      }
      const size_t colon = row.find(':');
      const auto state = uint8_t(std::string(kStates).find(row[colon + 1]));
      m.Folders(list).rows.push_back({path(row.substr(0, colon)), state});
    }
    const std::string before = rowsText(m);
    if (c.tweak) c.tweak(m);
    f.host.answers = c.answers;
    EXPECT_EQ(c.starts ? f.RunAndWait() : f.form.Run(), c.starts);
    EXPECT_FALSE(f.form.Busy());
    const auto boxes = f.host.Boxes();
    ASSERT_EQ(boxes.size(), c.box ? 1u : 0u);
    if (c.box) {
      zw::TFmtArgs args;
      for (const std::string& a : c.args)
        args.push_back(a[0] == '~'   ? zw::TFmtArg(path(a.substr(1)))
                       : a[0] == '#' ? zw::TFmtArg(int64_t{std::stoi(a.substr(1))})
                                     : zw::TFmtArg(a));
      // The message with these arguments, up to the first one not given.
      std::string want = zw::Format(zw::MsgText(*c.box), args);
      want = want.substr(0, want.find('%'));
      EXPECT_EQ(boxes[0].text.substr(0, want.size()), want);
    }
    EXPECT_EQ(rowsText(m), c.rowsAfter ? c.rowsAfter : before);
    EXPECT_EQ(c.items < 0 ? -1 : f.form.Results().ItemCount(), c.items);
    EXPECT_EQ(c.sets < 0 ? -1 : f.form.Results().SetCount(), c.sets);
    if (c.logged) {
      const bool absent = c.logged[0] == '!';
      EXPECT_NE(f.Logged(c.logged + absent), absent) << f.log.Text();
    }
    EXPECT_TRUE(c.starts || f.log.Count() == 0) << "nothing started, nothing logged";
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

// --- scans ---------------------------------------------------------------------------

TEST(Scan, LogsItsStartAndEndAndShowsTheLogWhenAttended) {
  TempTree t;
  t.File("a/x1", "same content");
  t.File("a/sub/x2", "same content");
  Form f;
  f.form.Model().fresh.rows = {{t.Dir("a"), zw::dsRecursive}};
  ASSERT_TRUE(f.RunAndWait());
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

TEST(Scan, CancelAnsweredYesStopsTheScanNoLetsItGoOn) {
  TempTree t;
  for (int i = 0; i < 50; ++i) t.File("a/f" + std::to_string(i), "x");
  for (const int answer : {zw::ansNo, zw::ansYes}) {
    Form f;
    f.form.Model().fresh.rows = {{t.Dir("a"), zw::dsRecursive}};
    ASSERT_TRUE(f.form.Run());
    f.host.answers = {answer};
    f.form.Cancel();
    f.Wait();
    EXPECT_FALSE(f.host.runUntilGaveUp);
    EXPECT_EQ(f.form.Driver().Canceled(), answer == zw::ansYes);
    EXPECT_EQ(f.Logged("Current progress aborted by user"), answer == zw::ansYes);
    EXPECT_EQ(f.form.Results().ItemCount(), answer == zw::ansNo ? 50 : 0);
  }
}

// --- scripts and interruptions from outside (Ctrl+C, SIGINT, SIGTERM) -------------------

// A script waits for its scan and goes on with the next command; nobody is
// asked and no log window shows while it runs. Interrupted during the
// deletion after the scan, no later command runs. (Real signals during a
// scan are sent in cmdline_e2e.sh.)
TEST(Script, WaitsForTheScanOrIsInterruptedFromOutside) {
  for (const std::string cause : {"", "SIGINT"}) {
    SCOPED_TRACE(cause);
    TempTree t;
    for (const char* dir : {"a/x", "b/x"})
      for (int i = 0; i < 3; ++i) t.File(dir + std::to_string(i), "content " + std::to_string(i));
    const std::string saved = t.PathOf("saved.log");
    Form f;
    f.form.SetExecMode(zw::emDefault);
    bool interrupted = false;
    f.form.interruptRequest = [&] { return interrupted ? cause : ""; };
    f.form.FileActions().processMessages = [&] {  // after each file
      interrupted = true;
      f.form.PollInterrupt();
    };
    ASSERT_TRUE(f.form.RunCommandLine(
        "zwillo -addfolder \"" + zw::platform::ExcludeTrailingSep(t.Root()) + "\" -run" +
        (cause.empty() ? "" : " -checkfirst -deletechecked p") + " -savelog \"" + saved + "\""));
    EXPECT_TRUE(f.form.ScriptRunning());  // waiting for the scan
    EXPECT_FALSE(fs::exists(saved));
    ASSERT_TRUE(f.form.Driver().Scanning());
    f.Wait();
    EXPECT_TRUE(f.host.Boxes().empty());
    EXPECT_EQ(f.host.Count(HostCall::ShowLog), 0u);
    if (cause.empty()) {
      EXPECT_EQ(f.form.ScriptOutcome(), zw::TZWScriptRunner::TOutcome::Completed);
      std::ifstream in(saved);
      const std::string content{std::istreambuf_iterator<char>(in), {}};
      EXPECT_NE(content.find("Found 6 duplicate files in 3 sets."), std::string::npos);
      continue;
    }
    size_t left = 0;
    for (const auto& e : fs::recursive_directory_iterator(t.Root())) left += e.is_regular_file();
    EXPECT_EQ(left, 5u);  // one of the three checked files, then it stopped
    EXPECT_TRUE(f.Logged("Cancelled by " + cause));
    EXPECT_FALSE(fs::exists(saved));
    EXPECT_EQ(f.form.ScriptOutcome(), zw::TZWScriptRunner::TOutcome::Aborted);
  }
}

// Cancel pressed while a script waits for its scan stops the scan: the
// script's execution mode would answer the question No by itself.
TEST(Script, CancelPressedWhileItsScanRunsStopsIt) {
  TempTree t;
  for (int i = 0; i < 50; ++i) t.File("a/f" + std::to_string(i), "x");
  Form f;
  f.form.SetExecMode(zw::emDefault);
  ASSERT_TRUE(f.form.RunCommandLine("zwillo -addfolder \"" +
                                    zw::platform::ExcludeTrailingSep(t.Root()) + "\" -run"));
  ASSERT_TRUE(f.form.Driver().Scanning());
  f.form.Cancel();
  f.Wait();
  EXPECT_TRUE(f.form.Driver().Canceled());
  EXPECT_TRUE(f.host.Boxes().empty());
  EXPECT_EQ(f.form.ScriptOutcome(), zw::TZWScriptRunner::TOutcome::Aborted);
}

// --- catalog files written from the results ----------------------------------------------
// (a catalog of scanned folders, scanned against the files themselves, is
// checked end to end in archives_e2e.sh)

TEST(Catalog, AnImportedListIsChecksummedAnewAndFailuresAreReported) {
  TempTree t;
  FillBackupAndFresh(t);
  const std::string saved = t.PathOf("backup.zwr");
  {
    // Duplicates within the backup, with their CRC32 values, saved.
    t.File("backup/photos/b-copy.jpg", "beta content!");
    Form f;
    f.form.Model().fresh.rows = {{t.Dir("backup"), zw::dsRecursive}};
    ASSERT_TRUE(f.RunAndWait());
    ASSERT_EQ(f.form.Results().ItemCount(), 2);
    ASSERT_TRUE(f.form.ExportResults(saved, 2));
  }
  // One of them changes after the list was saved; the list's value is stale.
  t.File("backup/photos/2004/b.jpg", "BETA CONTENT!");
  Form f;
  ASSERT_TRUE(f.form.ImportResults(saved));
  zw::TCatFileOptions options;
  options.FileName = t.PathOf("imported.zwc");
  options.Data = zw::catdata::kChecksums;
  ASSERT_TRUE(f.form.CreateCatfile(options));
  EXPECT_GT(f.host.Count(HostCall::SetProgress), 0u);
  // Against the fresh folder, the unchanged copy has duplicates there and the
  // changed file has none.
  Form scan;
  scan.form.Model().fresh.rows = {{t.Dir("fresh"), zw::dsRecursive}};
  scan.form.Model().library.rows = {{options.FileName, zw::dsArchive}};
  ASSERT_TRUE(scan.RunAndWait());
  std::string names;
  for (const zw::TResultEntry* e : scan.form.Results().Items()) names += " " + e->Name;
  EXPECT_NE(names.find(" b-copy.jpg"), std::string::npos) << names;
  EXPECT_EQ((names + " ").find(" b.jpg "), std::string::npos) << names;

  // A listed file that is gone: the catalog is written without it, and the
  // command reports the failure.
  fs::remove(t.PathOf("backup/photos/b-copy.jpg"));
  options.FileName = t.PathOf("partial.zwc");
  EXPECT_FALSE(f.form.CreateCatfile(options));
  EXPECT_TRUE(fs::exists(options.FileName));
  EXPECT_TRUE(f.Logged("b-copy.jpg"));
  EXPECT_FALSE(f.form.Busy());
  // A catalog that cannot be created.
  options.FileName = t.PathOf("no such folder/x.zwc");
  EXPECT_FALSE(f.form.CreateCatfile(options));
  EXPECT_TRUE(f.Told("Could not create file \"" + options.FileName + "\""));
}

TEST(ElapsedText, MinutesAndSecondsWithMillisecondsOrHoursAndDays) {
  const double second = 1.0 / 86400;
  EXPECT_EQ(zw::TRunDriver::ElapsedText(0.25 * second + 1e-9), "00:00\"250");
  EXPECT_EQ(zw::TRunDriver::ElapsedText(7.25 * second + 1e-9), "00:07\"250");
  EXPECT_EQ(zw::TRunDriver::ElapsedText(65 * second + 1e-9), "01:05");
  EXPECT_EQ(zw::TRunDriver::ElapsedText((3600 + 125) * second + 1e-9), "01:02:05");
  EXPECT_EQ(zw::TRunDriver::ElapsedText(1 + (2 * 3600 + 3 * 60 + 4) * second + 1e-9), "1d, 02:03:04");
}

// --- exceptions nobody handled ------------------------------------------------------

// The main thread's own: logged with its report and shown, with the state
// line of the main thread. A worker's report (already logged by the worker)
// is shown when it arrives.
TEST(Exceptions, ReportsReachTheLogAndTheHost) {
  Form f;
  try {
    throw std::runtime_error("boom");
  } catch (...) {
    f.form.ReportException();
  }
  EXPECT_TRUE(f.Logged("Unhandled exception - message: \"boom\""));
  EXPECT_TRUE(f.Logged("Please mail this logfile to "));
  zw::TStatusEvent ev;
  ev.kind = zw::TStatusMsg::ExceptionReport;
  ev.report = std::make_shared<zw::TZWExceptInfo>();
  ev.report->Message = "worker broke";
  ev.report->State = "thr 2, prgr 3:0/0, ver 1a0, set a48";
  f.form.HandleStatusEvent(ev);
  const auto shown = f.host.CallsOf(HostCall::ShowExceptionReport);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "boom");
  EXPECT_EQ(shown[0].caption, "thr 0, prgr 0/0, ver 1a0, set a48");
  EXPECT_EQ(shown[1].text, "worker broke");
}

}  // namespace
