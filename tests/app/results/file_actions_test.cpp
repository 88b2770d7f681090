// The file actions on real files. One table holds the runs that must never
// lose the last copy of a file: each row builds sets of files, may change
// them after the "scan", runs an action and names the files it handled and
// the questions it asked. Every other file of the tree must keep its bytes,
// and every other entry stay in the list with its check mark. The flows
// around an action (destination, failures, cancel, tidy-up) follow as tests
// of their own.
#include "app/results/file_actions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/support/result_sets.h"
#include "app/support/test_host.h"
#include "engine/dupes/directory_tree.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "support/files.h"
#include "support/temp_tree.h"
#include "support/zip_builder.h"

#ifdef _WIN32
#include <windows.h>
#undef MessageBox  // HostCall::MessageBox
#elif defined(__linux__)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using zw::TFileAction;
using zw::TFileActions;
using zw::TResultEntry;
using zwtest::HostCall;
using zwtest::ReadAll;

// The shortcuts in a folder (none when it went) and what they point to.
std::vector<std::string> ShortcutTargets(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec)) {
    std::string target;
    zw::platform::OsError err;
    if (zw::platform::IsShortcut(item.path().string()) &&
        zw::platform::ResolveShortcut(item.path().string(), target, err))
      out.push_back(target);
  }
  return out;
}

// An action's world: a temporary tree (its trash too, on POSIX), the host,
// the log and the result list.
class Bench {
 public:
  Bench() : presenter(&host, log), actions(host, presenter, log, model, list) {
    model.findEmptyDirs = false;
#ifndef _WIN32
    if (const char* old = std::getenv("XDG_DATA_HOME")) savedDataHome_ = old;
    setenv("XDG_DATA_HOME", zw::platform::ExcludeTrailingSep(DataHome()).c_str(), 1);
#endif
  }
  ~Bench() {
#ifndef _WIN32
    if (savedDataHome_)
      setenv("XDG_DATA_HOME", savedDataHome_->c_str(), 1);
    else
      unsetenv("XDG_DATA_HOME");
#endif
  }

  std::string Full(const std::string& rel) const { return tree.PathOf(rel); }
  std::string DataHome() const { return tree.Dir("xdg"); }
  std::string Dest() const { return tree.Dir("dest"); }

  // Writes the files of the sets and lists them as the search hands them
  // over: words "file=content", sets apart by " | ", "+" in front of a
  // checked file. Content "N*c" is N bytes "c", "&file" a hard link to that
  // file. "zip:pack.zip/x=content" is a member x of the ZIP archive
  // pack.zip ("zip!:" with damaged data), "cat:x=content" an entry x of a
  // catalog file.
  void Build(const std::string& layout) {
    std::vector<std::vector<zwtest::F>> sets(1);
    std::istringstream words(layout);
    for (std::string word; words >> word;) {
      if (word == "|") {
        sets.emplace_back();
        continue;
      }
      const bool check = word[0] == '+';
      const size_t eq = word.find('=');
      std::string rel = word.substr(check ? 1 : 0, eq - (check ? 1 : 0));
      std::string content = word.substr(eq + 1);
      if (const size_t star = content.find('*'); star != std::string::npos)
        content = std::string(std::stoul(content.substr(0, star)), content[star + 1]);
      const std::string sep(1, zw::platform::kPathSep);
      zwtest::F f;
      if (rel.rfind("cat:", 0) == 0) {
        f = {rel.substr(4), content.size(), "backup.zwc>" + sep, zwtest::kCataloged};
      } else if (rel.rfind("zip:", 0) == 0 || rel.rfind("zip!:", 0) == 0) {
        const bool damaged = rel[3] == '!';
        rel.erase(0, rel.find(':') + 1);
        const std::string member = rel.substr(rel.find('/') + 1);
        zwtest::Built zip = zwtest::BuildZip({{member, content, 0x20, 0, false, 0, true}});
        if (damaged) zip.bytes[32 + member.size()] ^= 0x10;  // in the packed data
        const std::string archive = tree.File(rel.substr(0, rel.find('/')), zip.bytes);
        f = {member, content.size(), archive + ">" + sep, zwtest::kZipped};
      } else {
        if (content[0] == '&')
          fs::create_hard_link(Full(content.substr(1)), Full(rel));
        else
          tree.File(rel, content);
        f = zwtest::OnDisk(Full(rel));
      }
      sets.back().push_back(f);
      entries.emplace_back(f.path + f.name, check);
    }
    zwtest::AddSets(list, sets);
    for (const auto& [name, check] : entries)
      if (check) list.Check(Find(name));
  }

  TResultEntry* Find(const std::string& fullName) const {
    for (TResultEntry* e : list.Items())
      if (e->FullName() == fullName) return e;
    return nullptr;
  }
  // Every file of the tree (not links, not folders) with its bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> out;
    for (const auto& item : fs::recursive_directory_iterator(tree.RootPath()))
      if (fs::is_regular_file(item.symlink_status()))
        out[item.path().string()] = ReadAll(item.path().string());
    return out;
  }
  // Whether a line of the log has the kind and the parts, in this order:
  // "X:part*part" ({rel} stands for the full path of rel, {dest} for Dest()).
  bool Logged(std::string want) const {
    for (size_t at; (at = want.find('{')) != std::string::npos;) {
      const size_t end = want.find('}', at);
      const std::string rel = want.substr(at + 1, end - at - 1);
      want.replace(at, end - at + 1, rel == "dest" ? Dest() : Full(rel));
    }
    for (size_t i = 0; i < log.Count(); ++i) {
      const std::string line = log.Line(i);
      size_t at = 0, from = 2;
      for (size_t star; at != std::string::npos && from <= want.size(); from = star + 1) {
        star = std::min(want.find('*', from), want.size());
        at = line.find(want.substr(from, star - from), at);
      }
      if (at != std::string::npos && line[0] == want[0]) return true;
    }
    return false;
  }
  // The boxes shown, blank-separated: M a message box, Q a question with
  // its default (y Yes, n No, none), B a box of buttons and C one that
  // counts down, with the default button's index. `last` gets the last
  // box's text.
  std::string Asked(std::string* last = nullptr) const {
    std::string out;
    for (const HostCall& box : host.Boxes()) {
      out += out.empty() ? "" : " ";
      if (box.kind == HostCall::MessageBox) out += "M";
      if (box.kind == HostCall::QuestionBox)
        out += box.defaultAnswer == zw::ansYes ? "Qy" : box.defaultAnswer == zw::ansNo ? "Qn" : "Q";
      const int seconds = box.request.seconds;
      if (box.kind == HostCall::CountdownBox)
        out += (seconds == 0 ? "B" : seconds == TFileActions::kCountdownSeconds ? "C" : "?") +
               std::to_string(box.request.defaultIndex);
      if (last) *last = box.text;
    }
    return out;
  }

  zwtest::TempTree tree;
  zwtest::TestHost host;
  zw::TZWLog log;
  zw::TMsgPresenter presenter;
  zw::TWindowModel model;
  zw::TResultList list;
  TFileActions actions;
  std::vector<std::pair<std::string, bool>> entries;  // full name, checked

 private:
  std::optional<std::string> savedDataHome_;
};

// Makes deleting and creating files fail while it lasts: Linux makes the
// file's folder immutable (also for root), Windows holds the file open
// without sharing the right to delete. Works() is false where the system
// does not let the test.
class Blocker {
 public:
  explicit Blocker(const std::string& file) {
#ifdef _WIN32
    handle_ = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
    works_ = handle_ != INVALID_HANDLE_VALUE;
#elif defined(__linux__)
    folder_ = zw::platform::ExcludeTrailingSep(zw::platform::ExtractFilePath(file));
    works_ = Flip(true);
#endif
  }
  ~Blocker() {
#ifdef _WIN32
    if (works_) CloseHandle(handle_);
#elif defined(__linux__)
    if (works_) Flip(false);
#endif
  }
  bool Works() const { return works_; }

 private:
  bool works_ = false;
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#elif defined(__linux__)
  bool Flip(bool on) {
    const int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) close(fd);
    return ok;
  }
  std::string folder_;
#endif
};

struct ActionCase {
  const char* what;
  const char* sets;  // as Bench::Build takes them
  TFileAction action = TFileAction::Delete;
  uint8_t mode = zw::cmUnattended;
  const char* dest = "dest";  // of a move: a folder of the tree, or "" for the picker
  std::function<void(Bench&)> change = {};  // after the scan
  std::deque<int> answers = {};
  const char* blocked = "";  // a file (or "dest") that cannot go or take files meanwhile
  bool ok = false;
  // The files deleted, recycled, moved or replaced by a shortcut ("file>target"),
  // and "-file" for an entry that leaves the list while its file stays.
  const char* handled = "";
  const char* logged = "";  // as Bench::Logged takes it
  const char* asked = "";   // as Bench::Asked gives it
  const char* said = "";    // a part of the last box's text
  std::function<void(Bench&)> then = {};
};

void RunAction(const ActionCase& c) {
  SCOPED_TRACE(c.what);
#ifdef _WIN32
  if (c.action == TFileAction::Recycle && *c.handled) return;  // the real recycle bin
#endif
  Bench b;
  b.Build(c.sets);
  if (c.change) c.change(b);
  b.host.answers = c.answers;
  std::map<std::string, std::string> files = b.Files();
  const std::string dest = std::string(c.dest) == "dest" ? b.Dest() : *c.dest ? b.Full(c.dest) : "";
  {
    std::optional<Blocker> blocker;
    if (*c.blocked)
      blocker.emplace(std::string(c.blocked) == "dest" ? b.Dest() : b.Full(c.blocked));
    if (blocker && !blocker->Works()) return;  // not on this system
    EXPECT_EQ(b.actions.Run(c.action, c.mode, c.action == TFileAction::Move ? dest : ""), c.ok)
        << b.log.Text();
  }
  std::istringstream words(c.handled);
  for (std::string word; words >> word;) {
    const bool entryOnly = word[0] == '-';
    const std::string full = b.Full(word.substr(entryOnly ? 1 : 0, word.find('>')));
    for (auto& entry : b.entries)
      if (entry.first == full) entry.first.clear();
    if (entryOnly) continue;
    const std::string name = zw::platform::ExtractFileName(full);
    EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(full))) << full;
    std::string to;  // where the bytes went
    if (c.action == TFileAction::Recycle) to = b.DataHome() + "Trash/files/" + name;
    if (c.action == TFileAction::Move)
      to = TFileActions::MoveTargetFolder(dest.empty() ? b.Dest() : dest,
                                          zw::platform::ExtractFilePath(full)) + name;
    EXPECT_EQ(to.empty() ? files[full] : ReadAll(to), files[full]) << full;
    const size_t gt = word.find('>');
    EXPECT_EQ(ShortcutTargets(zw::platform::ExtractFilePath(full)),
              gt == std::string::npos ? std::vector<std::string>{}
                                      : std::vector<std::string>{b.Full(word.substr(gt + 1))});
    files.erase(full);
  }
  for (const auto& [full, bytes] : files) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(full))) << full;
    EXPECT_EQ(ReadAll(full), bytes) << full;
  }
  int32_t left = 0;
  for (const auto& [full, check] : b.entries) {
    if (full.empty()) continue;
    ++left;
    const TResultEntry* e = b.Find(full);
    ASSERT_NE(e, nullptr) << full;
    EXPECT_EQ(e->IsChecked(), check) << full;
  }
  EXPECT_EQ(b.list.ItemCount(), left);
  EXPECT_TRUE(zwtest::CountsHold(b.list));
  EXPECT_TRUE(!*c.logged || b.Logged(c.logged)) << c.logged << "\n" << b.log.Text();
  std::string said;
  EXPECT_EQ(b.Asked(&said), c.asked);
  EXPECT_NE(said.find(c.said), std::string::npos) << said;
  // Busy only while the action works on the files.
  std::string busy;
  for (const HostCall& call : b.host.CallsOf(HostCall::SetBusy)) busy += std::to_string(call.a);
  EXPECT_EQ(busy, b.Logged("i:Operation completed.") ? "10" : "");
  EXPECT_FALSE(b.model.busy);
  if (c.then) c.then(b);
}

TEST(FileActions, NeverLoseTheLastCopy) {
  using A = TFileAction;
  const auto interactive = zw::cmInteractive, countdown = zw::cmCountdown;
  const auto yes = zw::ansYes, no = zw::ansNo;
  const ActionCase cases[] = {
      // A whole set checked: asked about (the default is No); nothing touched, even on Yes.
      {.what = "whole set, unattended", .sets = "+a=same +b=same", .logged = "?:(e.g. set 0)*[No]",
       .then = [](Bench& b) { EXPECT_FALSE(b.Logged("i:Deleting checked files...")); }},
      {.what = "whole set, No", .sets = "+a=one b=one | +c=two +d=two", .mode = interactive,
       .answers = {no}, .asked = "Qn", .said = "(e.g. set 1)",
       .then = [](Bench& b) { EXPECT_EQ(b.model.results.focused, 2) << "the set's first"; }},
      {.what = "whole set, countdown", .sets = "+a=same +b=same", .action = A::Recycle,
       .mode = countdown, .asked = "C1"},
      {.what = "whole set, Yes, then No", .sets = "+a=same +b=same", .mode = interactive,
       .answers = {yes, no}, .asked = "Qn Q"},
      {.what = "whole set, Yes and Yes", .sets = "+a=one +b=one", .mode = interactive,
       .answers = {yes, yes}, .logged = "X:(no copy of it is left unchecked)", .asked = "Qn Q Qn"},
      {.what = "shortcuts with only catalog entries left", .sets = "+a/x=same cat:x=same",
       .action = A::Link, .logged = "?:only*left catalogized files unchecked"},
      // Declined or nothing to do: nothing touched, not even busy.
      {.what = "confirmation No", .sets = "+x/a=2048*a y/b=2048*a | +x/c=1500*c y/d=1500*c",
       .mode = interactive, .answers = {no}, .asked = "Q",
       .said = "delete 2 files with a total size of 3 kB"},
      {.what = "nothing checked", .sets = "a=same b=same", .mode = interactive, .asked = "M",
       .said = "check the files you want to delete"},
      // The kept copy: another file with the same bytes at the moment of the action.
      {.what = "an identical file", .sets = "+a=5000*q b=5000*q", .ok = true, .handled = "a"},
      {.what = "a hard link", .sets = "+a=5000*q b=&a",
       .logged = "X:No kept copy of \"{a}\" was verified*is the same file under another name"},
      {.what = "a hard link, recycle", .sets = "+a=5000*q b=&a", .action = A::Recycle,
       .logged = "X:No kept copy of \"{a}\"*is the same file under another name"},
      {.what = "a hard link, move", .sets = "+a=5000*q b=&a", .action = A::Move,
       .logged = "X:No kept copy of \"{a}\"*is the same file under another name"},
      {.what = "a hard link, shortcut", .sets = "+a=5000*q b=&a", .action = A::Link,
       .logged = "X:No kept copy of \"{a}\"*is the same file under another name"},
      {.what = "same size, other bytes", .sets = "+a=5000*q b=5000*r",
       .logged = "X:No kept copy of \"{a}\"*no unchecked copy holds the same bytes now"},
      {.what = "a ZIP member with the bytes", .sets = "+a=5000*q zip:pack.zip/a=5000*q",
       .ok = true, .handled = "a"},
      {.what = "a damaged ZIP member", .sets = "+a=5000*q zip!:pack.zip/a=5000*q",
       .logged = "X:No kept copy of \"{a}\"*cannot be read or is damaged"},
      {.what = "kept copies gone or edited", .sets = "+a=one b=one c=one | +x=two y=two",
       .change = [](Bench& b) { fs::remove(b.Full("b")); b.tree.File("c", "EDIT"); },
       .handled = "x", .logged = "X:No kept copy of \"{a}\" was verified (no unchecked copy "
                                 "holds the same bytes now); it was not touched"},
      {.what = "a changed shortcut target", .sets = "+a/x=same b/x=same", .action = A::Link,
       .change = [](Bench& b) { b.tree.File("b/x", "changed!"); },
       .logged = "X:No kept copy of \"{a/x}\" was verified"},
      // A file that changed since the scan is left alone.
      {.what = "another size", .sets = "+a=same b=same",
       .change = [](Bench& b) { b.tree.File("a", "grown since"); },
       .logged = "X:File \"{a}\" has changed since the scan; it was not touched"},
      {.what = "another time", .sets = "+a=same +b=same c=same", .action = A::Move,
       .change = [](Bench& b) {
         b.tree.File("b", "SAME");
         fs::last_write_time(b.Full("b"), fs::last_write_time(b.Full("a")) + std::chrono::hours(1));
       }, .handled = "a", .logged = "X:File \"{b}\" has changed since"},
      {.what = "vanished", .sets = "+a=same b=same",
       .change = [](Bench& b) { fs::remove(b.Full("a")); },
       .logged = "X:File \"{a}\" no longer exists; it was not touched"},
      // A list of another time zone: every local time an hour off; the UTC time decides.
      {.what = "time zone changed, UTC known", .sets = "+a=same b=same", .change = [](Bench& b) {
         for (TResultEntry* e : b.list.Items()) {
           const zw::platform::FileTime utc = e->TimeUtc();
           e->Time += 36000000000LL;
           e->SetTimeUtc(utc);
         }
       }, .ok = true, .handled = "a"},
      {.what = "time zone changed, UTC unknown", .sets = "+a=same b=same", .change = [](Bench& b) {
         for (TResultEntry* e : b.list.Items()) {
           e->Time += 36000000000LL;
           e->SetTimeUtc(0);
         }
       }, .logged = "X:File \"{a}\" has changed since the scan"},
      // Failures leave the file (its attributes too) and its entry, and ask at the end.
      {.what = "a failed delete", .sets = "+locked/a.txt=same b.txt=same", .mode = interactive,
       .change = [](Bench& b) {
         zw::platform::OsError err;
         const std::string a = b.Full("locked/a.txt");
         ASSERT_TRUE(zw::platform::SetAttributes(a, zw::platform::attr::kReadOnly, err));
       }, .answers = {yes, yes}, .blocked = "locked/a.txt",
       .logged = "X:Could not delete file \"{locked/a.txt}\" (I/O-Error ", .asked = "Q Qn",
       .said = "Some files couldn't be deleted.", .then = [](Bench& b) {
         uint32_t attributes = 0;
         zw::platform::OsError err;
         ASSERT_TRUE(zw::platform::GetAttributes(b.Full("locked/a.txt"), attributes, err));
         EXPECT_NE(attributes & zw::platform::attr::kReadOnly, 0u);
         EXPECT_EQ(b.host.Count(HostCall::ShowLog), 1u);
       }},
      {.what = "move onto an existing file", .sets = "+src/x=payload other/x=payload",
       .action = A::Move, .change = [](Bench& b) {
         const std::string to = TFileActions::MoveTargetFolder(b.Dest(), b.Full("src/"));
         fs::create_directories(to);
         zwtest::WriteAll(to + "x", "already here");
       }, .logged = "X:Could not move file \"{src/x}\" (I/O-Error "},
      // A write-protected destination is asked about once: No stops, Yes tries every file.
      {.what = "write-protected, No", .sets = "+src/a=one other/a=one | +src/c=two other/c=two",
       .action = A::Move, .mode = interactive, .answers = {yes, no, no}, .blocked = "dest",
       .logged = "X:Could not move file \"{src/a}\"", .asked = "Q Qn Qn", .then = [](Bench& b) {
         EXPECT_NE(b.host.Boxes()[1].text.find("not allowed to write"), std::string::npos);
         EXPECT_FALSE(b.Logged("X:Could not move file \"{src/c}\"")) << "never tried";
       }},
      {.what = "write-protected, Yes", .sets = "+src/a=one other/a=one | +src/c=two other/c=two",
       .action = A::Move, .mode = interactive, .answers = {yes, yes, no}, .blocked = "dest",
       .logged = "X:Could not move file \"{src/c}\"", .asked = "Q Qn Qn"},
      // The destination of a move: created when missing (and the user agrees), or picked.
      {.what = "a missing destination, No", .sets = "+src/x=payload other/x=payload",
       .action = A::Move, .mode = interactive, .dest = "new/dest", .answers = {yes, no},
       .asked = "Q Qy", .said = "does not exist", .then = [](Bench& b) {
         EXPECT_NE(b.host.Boxes()[0].text.find("to the specified destination directory"),
                   std::string::npos);
         EXPECT_FALSE(fs::exists(b.Full("new/dest")));
       }},
      {.what = "a missing destination, Yes", .sets = "+src/x=payload other/x=payload",
       .action = A::Move, .mode = interactive, .dest = "new/dest", .answers = {yes, yes},
       .ok = true, .handled = "src/x", .asked = "Q Qy"},
      {.what = "the picker cancelled", .sets = "+src/x=payload other/x=payload", .action = A::Move,
       .mode = interactive, .dest = "", .asked = "Q", .then = [](Bench& b) {
         EXPECT_EQ(b.host.CallsOf(HostCall::PickFolder).at(0).text, "Select destination folder");
       }},
      {.what = "an invalid folder picked", .sets = "+src/x=payload other/x=payload",
       .action = A::Move, .mode = interactive, .dest = "",
       .change = [](Bench& b) { b.host.folders = {b.Full("nowhere")}; }, .asked = "Q M",
       .said = "The folder you've just chosen is invalid"},
      {.what = "a folder picked", .sets = "+src/x=payload other/x=payload", .action = A::Move,
       .mode = interactive, .dest = "", .change = [](Bench& b) {
         b.host.folders = {zw::platform::ExcludeTrailingSep(b.Dest())};
       }, .ok = true, .handled = "src/x", .asked = "Q", .then = [](Bench& b) {
         EXPECT_EQ(b.host.CallsOf(HostCall::SetStatusText).front().text,
                   "Status: moving checked files to \"" + b.Dest() + "\"...");
       }},
      // What goes, and how.
      {.what = "first files of sets",
       .sets = "+s1/a1=alpha s2/a2=alpha | +s1/b1=beta +s2/b2=beta s3/b3=beta", .mode = interactive,
       .change = [](Bench& b) { b.log.Add("i earlier entry"); }, .ok = true,
       .handled = "s1/a1 s1/b1 s2/b2", .asked = "Q", .then = [](Bench& b) {
         EXPECT_EQ(zwtest::Names(b.list), "a2 | b3");
         ASSERT_GE(b.log.Count(), 4u);
         EXPECT_EQ(b.log.Line(1), "") << "a separator before the start line";
         EXPECT_TRUE(b.Logged("i:Deleting checked files...") && b.log.Line(2)[0] == 'i');
         EXPECT_NE(b.log.Line(b.log.Count() - 1).find("Operation completed."), std::string::npos);
         const auto status = b.host.CallsOf(HostCall::SetStatusText);
         EXPECT_EQ(status.front().text + ", " + status.back().text,
                   "Status: deleting checked files..., Status: idle");
         const HostCall progress = b.host.CallsOf(HostCall::SetProgress).back();
         EXPECT_EQ(std::to_string(progress.a) + "/" + std::to_string(progress.b), "3/3");
       }},
      {.what = "countdown confirmation", .sets = "+a=same b=same", .mode = countdown, .ok = true,
       .handled = "a", .asked = "C0"},
      {.what = "read-only", .sets = "+a=same b=same", .change = [](Bench& b) {
         zw::platform::OsError err;
         ASSERT_TRUE(zw::platform::SetAttributes(b.Full("a"), zw::platform::attr::kReadOnly, err));
       }, .ok = true, .handled = "a"},
      {.what = "recycled", .sets = "+files/a.txt=recycled files/b.txt=recycled",
       .action = A::Recycle, .ok = true, .handled = "files/a.txt",
       .logged = "i:Moving checked files to Recycle Bin...", .then = [](Bench& b) {
         EXPECT_TRUE(fs::exists(b.DataHome() + "Trash/info/a.txt.trashinfo"));
       }},
      {.what = "moved below the destination", .sets = "+src/a/x=payload src/b/x=payload",
       .action = A::Move, .ok = true, .handled = "src/a/x",
       .logged = "i:Moving checked files to \"{dest}\"..."},
      {.what = "shortcuts to the third", .sets = "+a/x=same +b/x=same c/x=same", .action = A::Link,
       .ok = true, .handled = "a/x>c/x b/x>c/x",
       .logged = "i:Replacing checked files by shortcuts..."},
      {.what = "a shortcut along the set's chain c, b, a", .sets = "a/x=same +b/x=same c/x=same",
       .action = A::Link, .change = [](Bench& b) { b.list.SetGroupingMode(0); }, .ok = true,
       .handled = "b/x>c/x"},
      // A set whose copy lies in an archive: skipped unless the user links to the archive.
      {.what = "archive: skip sets", .sets = "+a/x=same zip:pack.zip/x=same", .action = A::Link,
       .mode = interactive, .ok = true, .asked = "Q B1", .then = [](Bench& b) {
         const auto buttons = b.host.Boxes()[1].request.buttons;
         ASSERT_EQ(buttons.size(), 3u);
         EXPECT_EQ(buttons[0] + "/" + buttons[1], "Link to archive/Skip sets");
       }},
      {.what = "archive: link", .sets = "+a/x=same zip:pack.zip/x=same", .action = A::Link,
       .mode = interactive, .answers = {yes, 0}, .ok = true, .handled = "a/x>pack.zip",
       .asked = "Q B1"},
      {.what = "archive: countdown, cancel", .sets = "+a/x=same zip:pack.zip/x=same",
       .action = A::Link, .mode = countdown, .answers = {0, 2}, .ok = true, .asked = "C0 C1",
       .said = "What do you want to do?\r\n\r\nIn %d seconds"},
      // Cancel stops before the next entry; the rest stays checked, no empty-folder search.
      {.what = "cancelled",
       .sets = "+d0/x=c0 keep/x0=c0 | +d1/x=c1 keep/x1=c1 | +d2/x=c2 keep/x2=c2",
       .change = [](Bench& b) {
         b.model.findEmptyDirs = true;
         b.actions.processMessages = [&b, n = 0]() mutable {
           if (++n == 2) b.actions.RequestCancel();
         };
       }, .ok = true, .handled = "d0/x d1/x",
       .then = [](Bench& b) { EXPECT_TRUE(fs::exists(b.Full("d0"))); }},
      // Folders left empty are offered, not while a script runs.
      {.what = "empty folders", .sets = "+gone/deep/x=same keep/x=same",
       .change = [](Bench& b) { b.model.findEmptyDirs = true; },
       .answers = {zw::TZWTouchedDirectories::btnYes}, .ok = true, .handled = "gone/deep/x",
       .asked = "B1", .said = "is now empty", .then = [](Bench& b) {
         EXPECT_FALSE(fs::exists(b.Full("gone/deep")));
         std::string status;
         for (const auto& call : b.host.CallsOf(HostCall::SetStatusText)) status += call.text + ";";
         EXPECT_NE(status.find("Status: looking for empty directories...;"), std::string::npos);
       }},
      {.what = "no empty folders in scripts", .sets = "+gone/x=same keep/x=same",
       .change = [](Bench& b) {
         b.model.findEmptyDirs = true;
         b.presenter.SetScriptExecuting(true);
       }, .ok = true, .handled = "gone/x",
       .then = [](Bench& b) { EXPECT_TRUE(fs::is_directory(b.Full("gone"))); }},
      // Single leftovers leave the list after a scan by criteria (only their entries).
      {.what = "tidy-up", .sets = "+a=one b=one | +c=two d=two e=two", .mode = interactive,
       .change = [](Bench& b) { b.actions.SetListFromCriteriaScan(true); }, .ok = true,
       .handled = "a c -b", .asked = "Q Qy", .said = "single files left in the result list"},
      {.what = "no tidy-up", .sets = "+a=one b=one | +c=two d=two e=two", .mode = interactive,
       .ok = true, .handled = "a c", .asked = "Q"},
  };
  for (const ActionCase& c : cases) RunAction(c);
}

TEST(FileActions, MoveTargetsAndTimes) {
#ifdef _WIN32
  EXPECT_EQ(TFileActions::MoveTargetFolder("D:\\m\\", "C:\\Data\\"), "D:\\m\\C\\Data\\");
  EXPECT_EQ(TFileActions::MoveTargetFolder("D:\\m", "\\\\server\\share\\x\\"),
            "D:\\m\\server\\share\\x\\");
#else
  EXPECT_EQ(TFileActions::MoveTargetFolder("/m/", "/home/a/"), "/m/home/a/");
  EXPECT_EQ(TFileActions::MoveTargetFolder("/m", "/data/a:b/"), "/m/data/a:b/");
#endif
  // An entry time of whole milliseconds matches within its millisecond.
  EXPECT_TRUE(TFileActions::SameTime(1234567890123ULL, 1234567890123ULL));
  EXPECT_FALSE(TFileActions::SameTime(1234567890123ULL, 1234567890124ULL));
  EXPECT_TRUE(TFileActions::SameTime(1234567890000ULL, 1234567899999ULL));
  EXPECT_FALSE(TFileActions::SameTime(1234567890000ULL, 1234567900000ULL));
}

}  // namespace
