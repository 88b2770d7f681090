#include "engine/dupes/content_comparer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/common/crc32.h"
#include "engine/common/messages.h"
#include "engine/common/text_ids.h"
#include "engine/dupes/content_oracle.h"
#include "engine/threads/status_events.h"
#include "engine/threads/status_server.h"
#include "engine/threads/suspd_safe_thread.h"
#include "platform/paths.h"

namespace {

namespace fs = std::filesystem;
using zw::TAdvContentOptions;
using zw::TContentComparer;
using zw::TFileInfos;
namespace fiflag = zw::fiflag;

constexpr uint8_t kPick = 0;
constexpr uint8_t kCrc = zw::acmCRC32;
constexpr uint8_t kBpB = zw::acmByteByByte;
constexpr uint8_t kCrcBpB = zw::acmCRC32 | zw::acmByteByByte;

TAdvContentOptions Opts(uint8_t range, uint8_t methods, int64_t n = 0, int64_t m = 0) {
  TAdvContentOptions o;
  o.range = range;
  o.methods = methods;
  o.N = n;
  o.M = m;
  return o;
}

// ---------------------------------------------------------------------------
// Test doubles

// One file of a set as it reached the next stage.
struct Snap {
  std::string name;
  uint8_t flags = 0;
  uint32_t crc = 0;
  uint32_t middle = 0;
  bool operator==(const Snap& o) const {
    return name == o.name && flags == o.flags && crc == o.crc && middle == o.middle;
  }
};
using Sets = std::vector<std::vector<Snap>>;

std::ostream& operator<<(std::ostream& os, const Snap& s) {
  return os << s.name << "{f" << int(s.flags) << " c" << std::hex << s.crc << " m" << s.middle
            << std::dec << "}";
}

class Collector : public zw::TResultManager {
 public:
  Sets sets;
  void AddSet(TFileInfos* first) override {
    std::vector<Snap> set;
    for (TFileInfos* e = first; e; e = e->Next) set.push_back({e->Name, e->Flags, e->Crc, e->Middle});
    sets.push_back(std::move(set));
    zw::FreeFileInfosList(first);
  }
  std::vector<std::vector<std::string>> Names() const {
    std::vector<std::vector<std::string>> out;
    for (const auto& s : sets) {
      out.emplace_back();
      for (const auto& f : s) out.back().push_back(f.name);
    }
    return out;
  }
};

struct LogLine {
  zw::TMsgID id;
  int64_t code;
  std::string path;
  bool operator==(const LogLine& o) const { return id == o.id && code == o.code && path == o.path; }
};
std::ostream& operator<<(std::ostream& os, const LogLine& l) {
  return os << int(l.id) << ":" << l.code << ":" << l.path;
}

class LogRecorder : public zw::IMessenger {
 public:
  std::vector<LogLine> lines;
  int ShowMsg(zw::TMsgID, const zw::TFmtArgs&) override { return zw::ansOK; }
  int AskMsg(zw::TMsgID, int defaultAnswer, const zw::TFmtArgs&) override { return defaultAnswer; }
  void LogMsg(zw::TMsgID id, const zw::TFmtArgs& args) override {
    lines.push_back({id, std::get<int64_t>(args.at(0)), std::get<std::string>(args.at(1))});
  }
  void LogMsgExcept(zw::TMsgID id, const zw::TFmtArgs&, std::shared_ptr<zw::TZWExceptInfo>) override {
    lines.push_back({id, -1, ""});
  }
};

struct PostedText {
  int id;
  bool hasPath;
  std::string path;
};

// The window side of the status channel: keeps every posted text.
class StatusRecorder : public zw::IStatusTarget {
 public:
  std::vector<PostedText> posts;
  std::function<void()> onPost;
  void Post(zw::TStatusEvent ev) override {
    if (ev.kind != zw::TStatusMsg::StatusText) return;
    posts.push_back({ev.value, ev.path != nullptr, ev.path ? *ev.path : std::string()});
    if (onPost) onPost();
  }
  void Send(zw::TStatusEvent&) override {}
  size_t Count(int id) const {
    return static_cast<size_t>(std::count_if(posts.begin(), posts.end(), [&](const PostedText& p) { return p.id == id; }));
  }
  std::map<std::string, int> PerPath(int id) const {
    std::map<std::string, int> out;
    for (const auto& p : posts)
      if (p.id == id) ++out[p.path];
    return out;
  }
};

// A search thread that never runs: only asked whether to stop.
class IdleThread : public zw::TSuspdSafeThread {
 public:
  IdleThread() : zw::TSuspdSafeThread(true) {}

 protected:
  void Execute() override {}
};

// A folder of test files, removed at the end.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    for (;;) {
      auto p = fs::temp_directory_path() /
               ("zwcc-" + std::to_string(rd()) + "-" + std::to_string(++counter));
      std::error_code ec;
      if (fs::create_directory(p, ec)) {
        root_ = p;
        break;
      }
    }
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string Folder() const { return zw::platform::IncludeTrailingSep(root_.string()); }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream out(root_ / name, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
  }
  void Remove(const std::string& name) const { fs::remove(root_ / name); }
  void MakeFolder(const std::string& name) const { fs::create_directory(root_ / name); }

 private:
  fs::path root_;
};

std::string Random(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(size, '\0');
  for (auto& c : s) c = static_cast<char>(rng());
  return s;
}

TFileInfos* MakeEntry(const std::string& folder, const std::string& name, uint64_t size,
                      uint8_t flags = 0, uint32_t crc = 0, uint32_t middle = 0) {
  auto* e = new TFileInfos;
  e->Name = name;
  e->Path = folder;
  e->Size = size;
  e->Flags = flags;
  e->Crc = crc;
  e->Middle = middle;
  return e;
}

TFileInfos* Link(const std::vector<TFileInfos*>& entries) {
  for (size_t i = 0; i + 1 < entries.size(); ++i) entries[i]->Next = entries[i + 1];
  if (!entries.empty()) entries.back()->Next = nullptr;
  return entries.empty() ? nullptr : entries.front();
}

struct Outcome {
  Sets sets;
  int steps = 0;
  std::vector<LogLine> logs;
  std::vector<PostedText> posts;
  StatusRecorder recorder;  // posts by path and kind
};

// ---------------------------------------------------------------------------
// Fixture: named files in a temporary folder, and runs of the comparer on them.

class ContentComparerTest : public ::testing::Test {
 protected:
  // Writes a file and remembers its size for the entries made of it.
  void File(const std::string& name, const std::string& content) {
    dir_.Write(name, content);
    sizes_[name] = content.size();
  }
  TFileInfos* E(const std::string& name, uint8_t flags = 0) {
    return MakeEntry(dir_.Folder(), name, sizes_.at(name), flags);
  }
  TFileInfos* Lib(const std::string& name) { return E(name, fiflag::kLibrary); }
  std::string PathOf(const std::string& name) const { return dir_.Folder() + name; }

  Outcome Run(const TAdvContentOptions& o, const std::vector<TFileInfos*>& entries,
              bool quiet = false, zw::TSuspdSafeThread* owner = nullptr,
              std::function<void(StatusRecorder&)> prepare = nullptr) {
    Outcome out;
    Collector next;
    LogRecorder log;
    zw::TZWStatusServer status(&out.recorder);
    status.SetQuiet(quiet);
    out.recorder.posts.clear();
    if (prepare) prepare(out.recorder);
    TContentComparer cmp(&next, o);
    cmp.SetOwner(owner);
    cmp.SetStatus(&status);
    cmp.SetMessenger(&log);
    cmp.AddSet(Link(entries));
    out.sets = next.sets;
    out.steps = status.Position();
    out.logs = log.lines;
    out.posts = out.recorder.posts;
    return out;
  }
  std::vector<std::vector<std::string>> Names(const Outcome& o) const {
    std::vector<std::vector<std::string>> out;
    for (const auto& s : o.sets) {
      out.emplace_back();
      for (const auto& f : s) out.back().push_back(f.name);
    }
    return out;
  }
  using NameSets = std::vector<std::vector<std::string>>;

  TempDir dir_;
  std::map<std::string, size_t> sizes_;
};

// ---------------------------------------------------------------------------
// Ranges

TEST(ContentRange, CompleteFileCoversEveryByte) {
  auto r = zw::ContentRangeOf(Opts(zw::acComplete, kCrc, 7, 9), 1000);
  EXPECT_EQ(r.offset, 0);
  EXPECT_EQ(r.length, 1000);
}

TEST(ContentRange, BytesNToMAreInclusiveAndClippedToTheFile) {
  auto r = zw::ContentRangeOf(Opts(zw::acBytesNToM, kCrc, 0, 3072), 10000);
  EXPECT_EQ(r.offset, 0);
  EXPECT_EQ(r.length, 3073);
  r = zw::ContentRangeOf(Opts(zw::acBytesNToM, kCrc, 10, 20), 15);
  EXPECT_EQ(r.offset, 10);
  EXPECT_EQ(r.length, 5);
  r = zw::ContentRangeOf(Opts(zw::acBytesNToM, kCrc, 10, 20), 5);
  EXPECT_EQ(r.length, 0);
  r = zw::ContentRangeOf(Opts(zw::acBytesNToM, kCrc, 20, 10), 100);  // reversed: nothing
  EXPECT_EQ(r.length, 0);
}

TEST(ContentRange, BytesFromTheEndCountTheLastByteAsZero) {
  auto r = zw::ContentRangeOf(Opts(zw::acBytesNToMFromEnd, kCrc, 0, 3), 10);
  EXPECT_EQ(r.offset, 6);
  EXPECT_EQ(r.length, 4);
  r = zw::ContentRangeOf(Opts(zw::acBytesNToMFromEnd, kCrc, 2, 5), 10);
  EXPECT_EQ(r.offset, 4);
  EXPECT_EQ(r.length, 4);
  r = zw::ContentRangeOf(Opts(zw::acBytesNToMFromEnd, kCrc, 2, 50), 10);  // reaches before the start
  EXPECT_EQ(r.offset, 0);
  EXPECT_EQ(r.length, 8);
  r = zw::ContentRangeOf(Opts(zw::acBytesNToMFromEnd, kCrc, 12, 50), 10);
  EXPECT_EQ(r.length, 0);
}

TEST(ContentRange, FirstAndLastNShrinkToShortFiles) {
  auto r = zw::ContentRangeOf(Opts(zw::acFirstN, kCrc, 4096), 10000);
  EXPECT_EQ(r.offset, 0);
  EXPECT_EQ(r.length, 4096);
  r = zw::ContentRangeOf(Opts(zw::acLastN, kCrc, 4096), 10000);
  EXPECT_EQ(r.offset, 10000 - 4096);
  EXPECT_EQ(r.length, 4096);
  r = zw::ContentRangeOf(Opts(zw::acFirstN, kCrc, 4096), 100);
  EXPECT_EQ(r.offset, 0);
  EXPECT_EQ(r.length, 100);
  r = zw::ContentRangeOf(Opts(zw::acLastN, kCrc, 4096), 100);
  EXPECT_EQ(r.offset, 0);
  EXPECT_EQ(r.length, 100);
}

TEST(ContentRange, ExtremeSettingsNeitherOverflowNorLeaveTheFile) {
  const int64_t big = std::numeric_limits<int64_t>::max();
  for (uint8_t range = 0; range <= 5; ++range) {
    for (int64_t n : {int64_t{-5}, int64_t{0}, int64_t{7}, big - 1, big}) {
      for (int64_t m : {int64_t{-1}, int64_t{0}, int64_t{9}, big}) {
        for (uint64_t size : {uint64_t{0}, uint64_t{1}, uint64_t{10}, uint64_t{1} << 40}) {
          auto r = zw::ContentRangeOf(Opts(range, kCrc, n, m), size);
          ASSERT_GE(r.offset, 0);
          ASSERT_GE(r.length, 0);
          ASSERT_LE(static_cast<uint64_t>(r.offset + r.length), size)
              << int(range) << " " << n << " " << m << " " << size;
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Buffers

TEST(ContentBuffers, AreAllocatedOnceByTheMethods) {
  Collector next;
  TContentComparer pick(&next, Opts(0, kPick));
  EXPECT_FALSE(pick.HasSmallBuffer());
  EXPECT_FALSE(pick.HasLargeBuffer());
  TContentComparer crc(&next, Opts(0, kCrc));
  EXPECT_TRUE(crc.HasSmallBuffer());
  EXPECT_FALSE(crc.HasLargeBuffer());
  TContentComparer bpb(&next, Opts(0, kBpB));
  EXPECT_TRUE(bpb.HasSmallBuffer());
  EXPECT_TRUE(bpb.HasLargeBuffer());
}

// ---------------------------------------------------------------------------
// Equal and unequal files

TEST_F(ContentComparerTest, EqualFilesFormOneSetWithSampleAndCrc) {
  const std::string data = Random(5000, 1);
  File("a", data);
  File("b", data);
  File("c", data);
  auto out = Run(Opts(0, kCrc), {E("a"), E("b"), E("c")});
  ASSERT_EQ(out.sets.size(), 1u);
  ASSERT_EQ(out.sets[0].size(), 3u);
  uint32_t middle = 0;
  std::memcpy(&middle, data.data() + 2500 - 2, 4);
  for (const auto& f : out.sets[0]) {
    EXPECT_EQ(f.flags, fiflag::kCrcValid | fiflag::kMiddleValid);
    EXPECT_EQ(f.crc, zw::Crc32(data.data(), data.size()));
    EXPECT_EQ(f.middle, middle);
  }
  EXPECT_EQ(out.steps, 3);
  EXPECT_TRUE(out.logs.empty());
}

TEST_F(ContentComparerTest, DifferenceAtFirstMiddleOrLastByteDependsOnTheMethod) {
  const std::string base = Random(9000, 2);
  File("base", base);
  std::map<std::string, size_t> at = {{"first", 0}, {"middle", 4500 - 1}, {"last", 8999}};
  for (const auto& [name, pos] : at) {
    std::string d = base;
    d[pos] = static_cast<char>(d[pos] ^ 0x5A);
    File(name, d);
  }
  for (uint8_t methods : {kPick, kCrc, kBpB, kCrcBpB}) {
    for (const auto& [name, pos] : at) {
      auto out = Run(Opts(0, methods), {E("base"), E(name)});
      // The sample covers offsets 4498..4501; only "pick into the middle"
      // misses differences outside it.
      const bool equal = methods == kPick && name != "middle";
      EXPECT_EQ(out.sets.size(), equal ? 1u : 0u) << name << " methods " << int(methods);
      EXPECT_EQ(out.steps, 2);  // head and member, or head and the lone rest
    }
  }
}

TEST_F(ContentComparerTest, EmptyFilesEqualEachOtherOnly) {
  File("e1", "");
  File("e2", "");
  File("x", "x");
  auto out = Run(Opts(0, kBpB), {E("e1"), E("x"), E("e2")});
  ASSERT_EQ(Names(out), (NameSets{{"e1", "e2"}}));
  for (const auto& f : out.sets[0]) {
    EXPECT_EQ(f.flags, fiflag::kCrcValid | fiflag::kMiddleValid);
    EXPECT_EQ(f.crc, 0u);
    EXPECT_EQ(f.middle, 0u);
  }
  // An empty head and a non-empty candidate, either way round.
  File("y", "y");
  EXPECT_TRUE(Run(Opts(zw::acFirstN, kCrc, 10), {E("e1"), E("y")}).sets.empty());
  EXPECT_TRUE(Run(Opts(zw::acFirstN, kCrc, 10), {E("y"), E("e1")}).sets.empty());
  // No file is read for empty files.
  EXPECT_EQ(out.recorder.Count(zw::strPiM), 0u);
}

TEST_F(ContentComparerTest, FilesUnderFourBytesAreDecidedByTheirSample) {
  File("a", "abc");
  File("b", "abc");
  File("c", "abd");
  for (uint8_t methods : {kPick, kCrc, kBpB, kCrcBpB}) {
    auto out = Run(Opts(0, methods), {E("a"), E("c"), E("b")});
    ASSERT_EQ(Names(out), (NameSets{{"a", "b"}})) << int(methods);
    uint32_t middle = 0;
    std::memcpy(&middle, "abc", 3);
    const bool crc = (methods & kCrc) != 0;
    for (const auto& f : out.sets[0]) {
      EXPECT_EQ(f.middle, middle);
      EXPECT_EQ(f.flags, crc ? 3 : 2);
      if (crc) {
        EXPECT_EQ(f.crc, zw::Crc32("abc", 3));
      }
    }
  }
}

TEST_F(ContentComparerTest, CrcCollisionFoolsCrcAloneButNotByteByByte) {
  // Two different files of one size, with one middle sample and one CRC32.
  std::string a = Random(3000, 3);
  std::string b = a;
  b[10] = static_cast<char>(b[10] ^ 1);
  // Make up for the flipped bit with four bytes further on (CRC32 is linear).
  const uint32_t target = zw::Crc32(a.data(), a.size());
  uint32_t basis[32];
  const std::string zeros(a.size(), '\0');
  const uint32_t zeroCrc = zw::Crc32(zeros.data(), zeros.size());
  for (int bit = 0; bit < 32; ++bit) {
    std::string e = zeros;
    e[100 + bit / 8] = static_cast<char>(1 << (bit % 8));
    basis[bit] = zw::Crc32(e.data(), e.size()) ^ zeroCrc;
  }
  uint32_t want = zw::Crc32(b.data(), b.size()) ^ target;
  // Gaussian elimination over GF(2).
  uint32_t rows[32], picks[32];
  for (int i = 0; i < 32; ++i) {
    rows[i] = basis[i];
    picks[i] = 1u << i;
  }
  for (int col = 0; col < 32; ++col) {
    int p = col;
    while (p < 32 && !(rows[p] >> col & 1)) ++p;
    ASSERT_LT(p, 32);
    std::swap(rows[p], rows[col]);
    std::swap(picks[p], picks[col]);
    for (int i = 0; i < 32; ++i)
      if (i != col && (rows[i] >> col & 1)) {
        rows[i] ^= rows[col];
        picks[i] ^= picks[col];
      }
  }
  // rows[] is now the unit basis: want is the sum of the rows of its bits.
  uint32_t solution = 0;
  for (int col = 0; col < 32; ++col)
    if (want >> col & 1) solution ^= picks[col];
  for (int bit = 0; bit < 32; ++bit)
    if (solution >> bit & 1) b[100 + bit / 8] = static_cast<char>(b[100 + bit / 8] ^ (1 << (bit % 8)));
  ASSERT_NE(a, b);
  ASSERT_EQ(zw::Crc32(b.data(), b.size()), target);
  File("a", a);
  File("b", b);
  EXPECT_EQ(Run(Opts(0, kCrc), {E("a"), E("b")}).sets.size(), 1u);
  EXPECT_EQ(Run(Opts(0, kBpB), {E("a"), E("b")}).sets.size(), 0u);
  EXPECT_EQ(Run(Opts(0, kCrcBpB), {E("a"), E("b")}).sets.size(), 0u);
}

TEST_F(ContentComparerTest, ByteByByteStoresCrcOnlyWhenCrcIsAMethod) {
  const std::string data = Random(70000, 4);
  File("a", data);
  File("b", data);
  auto both = Run(Opts(0, kCrcBpB), {E("a"), E("b")});
  ASSERT_EQ(both.sets.size(), 1u);
  for (const auto& f : both.sets[0]) {
    EXPECT_EQ(f.flags, fiflag::kCrcValid | fiflag::kMiddleValid);
    EXPECT_EQ(f.crc, zw::Crc32(data.data(), data.size()));
  }
  EXPECT_EQ(both.recorder.Count(zw::strCombinedCRCBpB), 1u);
  auto plain = Run(Opts(0, kBpB), {E("a"), E("b")});
  ASSERT_EQ(plain.sets.size(), 1u);
  for (const auto& f : plain.sets[0]) EXPECT_EQ(f.flags, fiflag::kMiddleValid);
  EXPECT_EQ(plain.recorder.Count(zw::strBpB), 1u);
}

TEST_F(ContentComparerTest, LargeFilesAreComparedOverSeveralBlocks) {
  // Longer than one block of the large buffer, so the compare runs in pieces.
  const size_t size = TContentComparer::kLargeBufferSize + 1000003;
  std::string data = Random(size, 5);
  File("a", data);
  File("b", data);
  std::string late = data;
  late[size - 1] = static_cast<char>(late[size - 1] ^ 0x80);
  File("late", late);
  std::string early = data;
  early[7] = static_cast<char>(early[7] ^ 0x80);
  File("early", early);
  for (uint8_t methods : {kBpB, kCrcBpB}) {
    auto out = Run(Opts(0, methods), {E("a"), E("late"), E("early"), E("b")});
    ASSERT_EQ(Names(out), (NameSets{{"a", "b"}})) << int(methods);
    if (methods & kCrc) {
      EXPECT_EQ(out.sets[0][0].crc, zw::Crc32(data.data(), data.size()));
    }
  }
}

TEST_F(ContentComparerTest, ManyCopiesAreAllConfirmedByteByByte) {
  // More copies than are read along with one pass over the head.
  const size_t size = TContentComparer::kPrefixLength + 5000;
  const std::string data = Random(size, 31);
  std::vector<std::string> copies;
  for (int k = 0; k < 37; ++k) {
    copies.push_back("c" + std::to_string(k));
    File(copies.back(), data);
  }
  std::string other = data;
  other[size - 3] = static_cast<char>(other[size - 3] ^ 4);
  File("other1", other);
  File("other2", other);
  for (uint8_t methods : {kBpB, kCrcBpB}) {
    std::vector<TFileInfos*> v = {E("other1")};
    for (const auto& c : copies) v.push_back(E(c));
    v.push_back(E("other2"));
    auto out = Run(Opts(0, methods), v);
    ASSERT_EQ(out.sets.size(), 2u) << int(methods);
    EXPECT_EQ(Names(out)[0], (std::vector<std::string>{"other1", "other2"}));
    EXPECT_EQ(Names(out)[1], copies);
    for (const auto& f : out.sets[1]) {
      EXPECT_EQ(f.flags & fiflag::kCrcValid, (methods & kCrc) ? fiflag::kCrcValid : 0);
    }
    EXPECT_EQ(out.steps, 39);
  }
}

// ---------------------------------------------------------------------------
// Ranges of the file

TEST_F(ContentComparerTest, EachRangeComparesOnlyItsBytes) {
  const std::string base = Random(10000, 6);
  File("base", base);
  std::string head = base;  // differs at the start only
  head[100] = static_cast<char>(head[100] ^ 1);
  File("head", head);
  std::string tail = base;  // differs at the end only
  tail[9900] = static_cast<char>(tail[9900] ^ 1);
  File("tail", tail);
  struct Case {
    TAdvContentOptions o;
    NameSets expected;
  };
  const std::vector<Case> cases = {
      {Opts(zw::acFirstN, kCrc, 1000), {{"base", "tail"}}},
      {Opts(zw::acLastN, kCrc, 1000), {{"base", "head"}}},
      {Opts(zw::acBytesNToM, kCrc, 200, 9000), {{"base", "head", "tail"}}},
      {Opts(zw::acBytesNToM, kCrc, 0, 200), {{"base", "tail"}}},
      {Opts(zw::acBytesNToMFromEnd, kCrc, 0, 150), {{"base", "head"}}},
      {Opts(zw::acBytesNToMFromEnd, kCrc, 0, 50), {{"base", "head", "tail"}}},
      {Opts(zw::acBytesNToMFromEnd, kCrc, 200, 9000), {{"base", "head", "tail"}}},
      {Opts(zw::acComplete, kCrc), {}},
  };
  for (const auto& c : cases) {
    for (uint8_t methods : {kCrc, kBpB, kCrcBpB}) {
      TAdvContentOptions o = c.o;
      o.methods = methods;
      auto out = Run(o, {E("base"), E("head"), E("tail")});
      EXPECT_EQ(Names(out), c.expected) << int(o.range) << " " << o.N << " " << o.M;
    }
  }
}

TEST_F(ContentComparerTest, SampleAndCrcAreThoseOfTheRange) {
  const std::string data = Random(10000, 7);
  File("a", data);
  File("b", data);
  auto out = Run(Opts(zw::acBytesNToM, kCrcBpB, 1000, 2999), {E("a"), E("b")});
  ASSERT_EQ(out.sets.size(), 1u);
  uint32_t middle = 0;
  std::memcpy(&middle, data.data() + 1000 + 1000 - 2, 4);
  EXPECT_EQ(out.sets[0][0].middle, middle);
  EXPECT_EQ(out.sets[0][0].crc, zw::Crc32(data.data() + 1000, 2000));
}

TEST_F(ContentComparerTest, RangesBeyondTheEndAreClippedToTheFile) {
  // The last 4096 bytes of files shorter than that: the whole files count.
  File("s1", "short content");
  File("s2", "short content");
  File("s3", "short content, longer");  // other length: never equal
  File("s4", "short contenT");
  for (uint8_t methods : {kPick, kCrc, kBpB, kCrcBpB}) {
    auto out = Run(Opts(zw::acLastN, methods, 4096), {E("s1"), E("s3"), E("s4"), E("s2")});
    NameSets expected = {{"s1", "s2"}};
    if (methods == kPick) expected = {{"s1", "s4", "s2"}};  // the sample misses the last byte
    EXPECT_EQ(Names(out), expected) << int(methods);
    EXPECT_TRUE(out.logs.empty());
  }
  // Bytes 100 to 200 of files that end before byte 100: empty ranges, all equal.
  File("t1", "abc");
  File("t2", "xyz12");
  auto out = Run(Opts(zw::acBytesNToM, kCrcBpB, 100, 200), {E("t1"), E("t2")});
  ASSERT_EQ(Names(out), (NameSets{{"t1", "t2"}}));
  EXPECT_EQ(out.sets[0][0].crc, 0u);
  EXPECT_EQ(out.sets[0][0].middle, 0u);
}

// ---------------------------------------------------------------------------
// Order, library files and progress

TEST_F(ContentComparerTest, SetsFollowTheHeadsAndKeepListOrder) {
  const std::string x = Random(3000, 8);
  const std::string y = Random(3000, 9);
  File("x1", x);
  File("y1", y);
  File("x2", x);
  File("z", Random(3000, 10));
  File("y2", y);
  File("x3", x);
  for (uint8_t methods : {kPick, kCrc, kBpB, kCrcBpB}) {
    auto out = Run(Opts(0, methods), {E("x1"), E("y1"), E("x2"), E("z"), E("y2"), E("x3")});
    EXPECT_EQ(Names(out), (NameSets{{"x1", "x2", "x3"}, {"y1", "y2"}})) << int(methods);
    // x1 + 2, y1 + 1, z alone, = 6 steps.
    EXPECT_EQ(out.steps, 6);
  }
}

TEST_F(ContentComparerTest, LibraryHeadSendsLibraryFilesBehindTheFreshOnes) {
  const std::string x = Random(2500, 11);
  File("L1", x);
  File("F1", x);
  File("L2", x);
  File("F2", Random(2500, 12));
  File("F3", x);
  auto out = Run(Opts(0, kCrc), {Lib("L1"), E("F1"), Lib("L2"), E("F2"), E("F3")});
  // The list becomes F1 F2 F3 L1 L2.
  EXPECT_EQ(Names(out), (NameSets{{"F1", "F3", "L1", "L2"}}));
  // Without a library head the old order stays: F1 L1 F3.
  auto kept = Run(Opts(0, kCrc), {E("F1"), Lib("L1"), E("F3")});
  EXPECT_EQ(Names(kept), (NameSets{{"F1", "L1", "F3"}}));
}

TEST_F(ContentComparerTest, OnlyLibraryFilesFormNoSetAndAreNotRead) {
  const std::string x = Random(2500, 13);
  File("L1", x);
  File("L2", x);
  File("L3", x);
  auto out = Run(Opts(0, kCrcBpB), {Lib("L1"), Lib("L2"), Lib("L3")});
  EXPECT_TRUE(out.sets.empty());
  EXPECT_TRUE(out.posts.empty());
  EXPECT_EQ(out.steps, 1);
}

TEST_F(ContentComparerTest, LoneFreshHeadIsDroppedAndTheLibraryRestCountsOnce) {
  const std::string x = Random(2500, 14);
  File("F", Random(2500, 15));
  File("L1", x);
  File("L2", x);
  auto out = Run(Opts(0, kCrc), {E("F"), Lib("L1"), Lib("L2")});
  EXPECT_TRUE(out.sets.empty());
  EXPECT_EQ(out.steps, 2);  // the head, then the library rest
  File("G", x);
  auto alone = Run(Opts(0, kCrc), {E("F"), E("G"), Lib("L1")});
  EXPECT_EQ(Names(alone), (NameSets{{"G", "L1"}}));
  EXPECT_EQ(alone.steps, 3);  // F, G's set (head + 1)
}

TEST_F(ContentComparerTest, HeadMatchingNothingLeavesTheOthersInTheirOrder) {
  const std::string x = Random(2500, 16);
  File("h", Random(2500, 17));
  File("a", x);
  File("b", x);
  File("c", x);
  auto out = Run(Opts(0, kBpB), {E("h"), E("c"), E("a"), E("b")});
  EXPECT_EQ(Names(out), (NameSets{{"c", "a", "b"}}));
}

// ---------------------------------------------------------------------------
// Status texts

TEST_F(ContentComparerTest, StatusTextsNameTheFileWhileNotQuiet) {
  const std::string x = Random(2500, 18);
  File("a", x);
  File("b", x);
  auto crc = Run(Opts(0, kCrc), {E("a"), E("b")});
  EXPECT_EQ(crc.recorder.PerPath(zw::strPiM),
            (std::map<std::string, int>{{PathOf("a"), 1}, {PathOf("b"), 1}}));
  EXPECT_EQ(crc.recorder.PerPath(zw::strCalcCRC32),
            (std::map<std::string, int>{{PathOf("a"), 1}, {PathOf("b"), 1}}));
  auto bpb = Run(Opts(0, kBpB), {E("a"), E("b")});
  ASSERT_EQ(bpb.recorder.Count(zw::strBpB), 1u);
  for (const auto& p : bpb.posts)
    if (p.id == zw::strBpB) {
      EXPECT_FALSE(p.hasPath);
    }
  auto quiet = Run(Opts(0, kCrcBpB), {E("a"), E("b")}, true);
  EXPECT_EQ(quiet.sets.size(), 1u);
  EXPECT_TRUE(quiet.posts.empty());
}

// ---------------------------------------------------------------------------
// Unreadable files

TEST_F(ContentComparerTest, VanishedFileIsLoggedOnceAndNeverEqual) {
  const std::string x = Random(2500, 19);
  File("a", x);
  File("gone", x);
  File("b", Random(2500, 20));
  File("c", x);
  auto entries = std::vector<TFileInfos*>{E("a"), E("gone"), E("b"), Lib("gone"), E("c")};
  dir_.Remove("gone");
  for (uint8_t methods : {kPick, kCrc, kBpB, kCrcBpB}) {
    std::vector<TFileInfos*> copy;
    for (auto* e : entries) copy.push_back(MakeEntry(e->Path, e->Name, e->Size, e->Flags));
    auto out = Run(Opts(0, methods), copy);
    EXPECT_EQ(Names(out), (NameSets{{"a", "c"}})) << int(methods);
    // Two entries of the vanished path: each logged once.
    ASSERT_EQ(out.logs.size(), 2u);
    for (const auto& l : out.logs) {
      EXPECT_EQ(l.id, zw::logIOErrorOnOpen);
      EXPECT_EQ(l.code, 2);  // ENOENT, ERROR_FILE_NOT_FOUND
      EXPECT_EQ(l.path, PathOf("gone"));
    }
    // Read for its sample once per entry, never again.
    EXPECT_EQ(out.recorder.PerPath(zw::strPiM)[PathOf("gone")], 2);
  }
  for (auto* e : entries) delete e;
}

TEST_F(ContentComparerTest, FolderInPlaceOfTheFileIsLoggedOnce) {
  const std::string x = Random(100, 21);
  File("a", x);
  File("b", x);
  File("dir", x);
  auto entries = std::vector<TFileInfos*>{E("dir"), E("a"), E("b")};
  dir_.Remove("dir");
  dir_.MakeFolder("dir");
  auto out = Run(Opts(0, kCrc), entries);
  EXPECT_EQ(Names(out), (NameSets{{"a", "b"}}));
  ASSERT_EQ(out.logs.size(), 1u);
  EXPECT_TRUE(out.logs[0].id == zw::logIOErrorOnOpen || out.logs[0].id == zw::logIOErrorOnRead);
  EXPECT_NE(out.logs[0].code, 0);
  EXPECT_EQ(out.logs[0].path, PathOf("dir"));
}

TEST_F(ContentComparerTest, FileShorterThanListedCountsAsUnreadable) {
  const std::string x = Random(5000, 22);
  File("a", x);
  File("b", x);
  File("cut", x);
  auto entries = std::vector<TFileInfos*>{E("a"), E("cut"), E("b")};
  File("cut", x.substr(0, 4000));  // shrank after it was listed
  for (uint8_t methods : {kCrc, kBpB, kCrcBpB}) {
    std::vector<TFileInfos*> copy;
    for (auto* e : entries) copy.push_back(MakeEntry(e->Path, e->Name, e->Size, e->Flags));
    auto out = Run(Opts(0, methods), copy);
    EXPECT_EQ(Names(out), (NameSets{{"a", "b"}})) << int(methods);
    ASSERT_EQ(out.logs.size(), 1u);
    EXPECT_EQ(out.logs[0].id, zw::logIOErrorOnRead);
    EXPECT_EQ(out.logs[0].path, PathOf("cut"));
  }
  for (auto* e : entries) delete e;
}

TEST_F(ContentComparerTest, EntryFlaggedUnreadableNeverJoinsEvenWhenEmpty) {
  File("e1", "");
  File("e2", "");
  File("e3", "");
  auto out = Run(Opts(0, kCrc), {E("e1"), E("e2", fiflag::kIOError), E("e3")});
  EXPECT_EQ(Names(out), (NameSets{{"e1", "e3"}}));
}

// ---------------------------------------------------------------------------
// Archive and catalog entries

TEST_F(ContentComparerTest, ArchiveEntriesTakePartByTheirStoredCrcAndAreNeverOpened) {
  const std::string x = Random(4000, 23);
  File("disk", x);
  File("disk2", x);
  // A real file where the archive entry's path would point, with other bytes:
  // were it opened, the sets would change.
  const std::string zipFolder = dir_.Folder();
  File("inzip", Random(4000, 24));
  const uint32_t crc = zw::Crc32(x.data(), x.size());
  auto zip = [&](const std::string& name, uint32_t c) {
    return MakeEntry(zipFolder, name, 4000, fiflag::kInArchive | fiflag::kInZip | fiflag::kCrcValid, c);
  };
  auto out = Run(Opts(0, kCrc), {zip("inzip", crc), E("disk"), zip("inzip", crc ^ 1), E("disk2")});
  ASSERT_EQ(Names(out), (NameSets{{"inzip", "disk", "disk2"}}));
  EXPECT_EQ(out.sets[0][0].flags, fiflag::kInArchive | fiflag::kInZip | fiflag::kCrcValid);
  EXPECT_EQ(out.sets[0][0].crc, crc);
  EXPECT_EQ(out.recorder.PerPath(zw::strPiM).count(PathOf("inzip")), 0u);
  EXPECT_EQ(out.recorder.PerPath(zw::strCalcCRC32).count(PathOf("inzip")), 0u);
  EXPECT_TRUE(out.logs.empty());
  // Byte-per-byte cannot read an archive entry: it equals nothing, and
  // nothing is logged about it.
  auto bpb = Run(Opts(0, kBpB), {zip("inzip", crc), E("disk")});
  EXPECT_TRUE(bpb.sets.empty());
  EXPECT_TRUE(bpb.logs.empty());
}

TEST_F(ContentComparerTest, CatalogEntryWithOnlyACrcNeedsAnEqualCrcUnderPickOnly) {
  const std::string x = Random(4000, 25);
  File("disk", x);
  const uint32_t crc = zw::Crc32(x.data(), x.size());
  const uint8_t cat = fiflag::kInArchive | fiflag::kCrcValid;
  auto out = Run(Opts(0, kPick), {MakeEntry("cat>/", "c1", 4000, cat, crc), E("disk"),
                                  MakeEntry("cat>/", "c2", 4000, cat, crc)});
  // The disk file has no CRC32 to agree with; the two catalog entries do agree.
  EXPECT_EQ(Names(out), (NameSets{{"c1", "c2"}}));
  uint32_t middle = 0;
  std::memcpy(&middle, x.data() + 2000 - 2, 4);
  const uint8_t both = fiflag::kInArchive | fiflag::kCrcValid | fiflag::kMiddleValid;
  auto sampled = Run(Opts(0, kPick), {MakeEntry("cat>/", "c3", 4000, both, crc, middle), E("disk")});
  EXPECT_EQ(Names(sampled), (NameSets{{"c3", "disk"}}));
  // A head with only a CRC32 takes entries with a sample too, by their CRC32.
  auto mixed = Run(Opts(0, kPick), {MakeEntry("cat>/", "c1", 4000, cat, crc), E("disk"),
                                    MakeEntry("cat>/", "c3", 4000, both, crc, middle),
                                    MakeEntry("cat>/", "c4", 4000, both, crc ^ 1, middle)});
  EXPECT_EQ(Names(mixed), (NameSets{{"c1", "c3"}, {"disk", "c4"}}));
}

TEST_F(ContentComparerTest, WhatADiskEntryClaimsIsReadAgain) {
  const std::string x = Random(4000, 26);
  File("a", x);
  File("b", Random(4000, 27));
  const uint8_t claimed = fiflag::kCrcValid | fiflag::kMiddleValid;
  auto out = Run(Opts(0, kCrc), {MakeEntry(dir_.Folder(), "a", 4000, claimed, 1, 2),
                                 MakeEntry(dir_.Folder(), "b", 4000, claimed, 1, 2)});
  EXPECT_TRUE(out.sets.empty());
  EXPECT_EQ(out.recorder.Count(zw::strPiM), 2u);
}

// ---------------------------------------------------------------------------
// Stopping

TEST_F(ContentComparerTest, StopBeforeTheFirstHeadReadsNothing) {
  const std::string x = Random(2500, 28);
  File("a", x);
  File("b", x);
  auto owner = std::make_shared<IdleThread>();
  owner->Cancel();
  auto out = Run(Opts(0, kCrc), {E("a"), E("b")}, false, owner.get());
  EXPECT_TRUE(out.sets.empty());
  EXPECT_TRUE(out.posts.empty());
  EXPECT_EQ(out.steps, 0);
}

TEST_F(ContentComparerTest, StopHalfWayEndsWithTheSetsFoundSoFar) {
  for (int k = 0; k < 10; ++k) {
    const std::string x = Random(3000 + k, 100 + k);  // ten pairs of other sizes
    File("p" + std::to_string(k) + "a", x);
    File("p" + std::to_string(k) + "b", x);
  }
  auto entries = [&] {
    std::vector<TFileInfos*> v;
    for (int k = 0; k < 10; ++k) v.push_back(E("p" + std::to_string(k) + "a"));
    for (int k = 0; k < 10; ++k) v.push_back(E("p" + std::to_string(k) + "b"));
    return v;
  };
  auto full = Run(Opts(zw::acFirstN, kCrc, 2500), entries());
  ASSERT_EQ(full.sets.size(), 10u);
  for (size_t stopAt : {1u, 5u, 17u, 30u}) {
    auto owner = std::make_shared<IdleThread>();
    auto out = Run(Opts(zw::acFirstN, kCrc, 2500), entries(), false, owner.get(),
                   [&](StatusRecorder& r) {
                     r.onPost = [&r, stopAt, owner] {
                       if (r.posts.size() == stopAt) owner->Cancel();
                     };
                   });
    EXPECT_EQ(out.posts.size(), stopAt);  // nothing is read after the stop
    ASSERT_LT(out.sets.size(), full.sets.size());
    for (size_t s = 0; s < out.sets.size(); ++s) EXPECT_EQ(out.sets[s], full.sets[s]);
    EXPECT_LT(out.steps, full.steps);
  }
}

TEST_F(ContentComparerTest, FailingNextStageLeavesTheComparerUsable) {
  const std::string x = Random(2500, 29);
  const std::string y = Random(2500, 30);
  File("x1", x);
  File("x2", x);
  File("y1", y);
  File("y2", y);
  struct Throwing : Collector {
    bool thrown = false;
    void AddSet(TFileInfos* first) override {
      if (!thrown) {
        thrown = true;
        zw::FreeFileInfosList(first);
        throw std::runtime_error("result list full");
      }
      Collector::AddSet(first);
    }
  } next;
  TContentComparer cmp(&next, Opts(0, kCrc));
  EXPECT_THROW(cmp.AddSet(Link({E("x1"), E("x2"), E("y1"), E("y2")})), std::runtime_error);
  cmp.AddSet(Link({E("y1"), E("x1"), E("y2"), E("x2")}));
  EXPECT_EQ(next.Names(), (NameSets{{"y1", "y2"}, {"x1", "x2"}}));
}

// ---------------------------------------------------------------------------
// Work done for many different files

TEST_F(ContentComparerTest, ManyDifferentFilesAreEachReadOnceForEachKey) {
  // 150 files of one size and one middle sample, different everywhere else.
  const int count = 150;
  const size_t size = 3 * 2048 + 11;
  std::vector<std::string> names;
  for (int k = 0; k < count; ++k) {
    std::string d = Random(size, 200 + k);
    std::memcpy(&d[size / 2 - 2], "MIDL", 4);
    names.push_back("d" + std::to_string(k));
    File(names.back(), d);
  }
  for (uint8_t methods : {kCrc, kBpB, kCrcBpB}) {
    std::vector<TFileInfos*> v;
    for (const auto& n : names) v.push_back(E(n));
    auto out = Run(Opts(0, methods), v);
    EXPECT_TRUE(out.sets.empty());
    EXPECT_EQ(out.steps, count);
    for (const auto& [path, n] : out.recorder.PerPath(zw::strPiM)) EXPECT_EQ(n, 1) << path;
    for (const auto& [path, n] : out.recorder.PerPath(zw::strCalcCRC32)) EXPECT_EQ(n, 1) << path;
    EXPECT_EQ(out.recorder.Count(zw::strPiM), size_t{count});
    EXPECT_EQ(out.recorder.Count(zw::strCalcCRC32), size_t{count});
    // No two of them are compared byte per byte.
    EXPECT_EQ(out.recorder.Count(zw::strBpB) + out.recorder.Count(zw::strCombinedCRCBpB), 0u);
  }
}

TEST_F(ContentComparerTest, LongFilesDifferingEarlyAreHashedOnlyAtTheirStart) {
  // Longer than the prefix: told apart by the CRC32 of their first bytes.
  const int count = 40;
  const size_t size = TContentComparer::kPrefixLength * 3;
  std::vector<std::string> names;
  std::string common = Random(size, 300);
  for (int k = 0; k < count; ++k) {
    std::string d = common;
    d[k] = static_cast<char>(d[k] ^ 0x33);
    names.push_back("l" + std::to_string(k));
    File(names.back(), d);
  }
  names.push_back("copy");
  File("copy", common);
  names.push_back("orig");
  File("orig", common);
  std::vector<TFileInfos*> v;
  for (const auto& n : names) v.push_back(E(n));
  auto out = Run(Opts(0, kBpB), v);
  EXPECT_EQ(Names(out), (NameSets{{"copy", "orig"}}));
  for (const auto& [path, n] : out.recorder.PerPath(zw::strCalcCRC32)) EXPECT_EQ(n, 1) << path;
  EXPECT_EQ(out.recorder.Count(zw::strBpB), 1u);
}

// ---------------------------------------------------------------------------
// Against the plain head-against-each comparison

// Files with many near-collisions: equal copies, and variants that differ at
// the first byte, around the middle, in the last 2048 bytes, after the
// prefix, or that keep the CRC32 (of the whole file or of its prefix) while
// their bytes differ.
class World {
 public:
  struct Info {
    std::string name;
    uint64_t size;
  };

  World(const TempDir& dir, uint32_t seed) : dir_(dir), rng_(seed) {
    const int64_t p = TContentComparer::kPrefixLength;
    const std::vector<size_t> sizes = {1, 2, 3, 4, 5, 6, 8, 9, 31, 2047, 2048, 2049, 4097,
                                       static_cast<size_t>(p - 3), static_cast<size_t>(p + 1),
                                       static_cast<size_t>(p + 3 * 2048 + 5)};
    for (size_t size : sizes) {
      const int families = size <= 9 ? 2 : 1;
      for (int f = 0; f < families; ++f) {
        std::string base = Random(size, static_cast<uint32_t>(rng_()));
        if (rng_() % 3 == 0) std::fill(base.begin(), base.end(), '\0');
        Variants(base);
      }
    }
    for (int k = 0; k < 3; ++k) Add("", "empty");
    // Unreadable ones: a name with nothing behind it, and a folder.
    vanished_ = {{"vanished1", 2048}, {"vanished2", 5}};
    dir_.MakeFolder("folder1");
    folders_ = {{"folder1", 2048}};
  }

  const std::vector<Info>& Files() const { return files_; }
  const std::vector<Info>& Vanished() const { return vanished_; }
  const std::vector<Info>& Folders() const { return folders_; }
  const std::string& Content(const std::string& name) const { return content_.at(name); }

 private:
  void Add(const std::string& data, const std::string& tag) {
    const std::string name = tag + std::to_string(files_.size());
    dir_.Write(name, data);
    files_.push_back({name, data.size()});
    content_[name] = data;
  }
  void Flip(std::string& d, size_t pos) { d[pos] = static_cast<char>(d[pos] ^ (1 + rng_() % 255)); }
  void Variants(const std::string& base) {
    const size_t n = base.size();
    const int64_t p = TContentComparer::kPrefixLength;
    Add(base, "base");
    for (int k = 0, copies = 1 + rng_() % 3; k < copies; ++k) Add(base, "copy");
    std::string d = base;
    Flip(d, 0);
    Add(d, "first");
    d = base;
    Flip(d, n / 2 - (n > 1 ? 1 : 0));
    Add(d, "middle");
    d = base;
    Flip(d, n - 1);
    Add(d, "last");
    if (n > 1) {
      d = base;
      Flip(d, rng_() % n);
      Add(d, "any");
    }
    if (n > 2048) {
      d = base;
      Flip(d, n - 1 - rng_() % 2048);
      Add(d, "lastpiece");
    }
    if (n > static_cast<size_t>(p)) {
      d = base;
      Flip(d, static_cast<size_t>(p) + rng_() % (n - static_cast<size_t>(p)));
      Add(d, "afterprefix");
      // Other bytes in the prefix, same CRC32 of the prefix: the whole file's
      // CRC32 stays the same too.
      d = base;
      Flip(d, 10);
      ForgeCrc(d, 0, static_cast<size_t>(p), 200, zw::Crc32(base.data(), static_cast<size_t>(p)));
      Add(d, "prefixclash");
      Flip(d, n - 5);
      Add(d, "prefixclash2");
    }
    if (n >= 64) {
      d = base;
      Flip(d, 3);
      ForgeCrc(d, 0, n, 8, zw::Crc32(base.data(), n));
      Add(d, "crcclash");
    }
  }

 public:
  // Changes d[at..at+3] so that the CRC32 of d[from, from+len) becomes `target`.
  static void ForgeCrc(std::string& d, size_t from, size_t len, size_t at, uint32_t target) {
    const std::string zeros(len, '\0');
    const uint32_t zeroCrc = zw::Crc32(zeros.data(), len);
    uint32_t rows[32], picks[32];
    for (int bit = 0; bit < 32; ++bit) {
      std::string e = zeros;
      e[at - from + bit / 8] = static_cast<char>(1 << (bit % 8));
      rows[bit] = zw::Crc32(e.data(), len) ^ zeroCrc;
      picks[bit] = 1u << bit;
    }
    const uint32_t want = zw::Crc32(d.data() + from, len) ^ target;
    for (int col = 0; col < 32; ++col) {
      int q = col;
      while (q < 32 && !(rows[q] >> col & 1)) ++q;
      if (q == 32) return;  // cannot happen for four whole bytes
      std::swap(rows[q], rows[col]);
      std::swap(picks[q], picks[col]);
      for (int i = 0; i < 32; ++i)
        if (i != col && (rows[i] >> col & 1)) {
          rows[i] ^= rows[col];
          picks[i] ^= picks[col];
        }
    }
    uint32_t solution = 0;
    for (int col = 0; col < 32; ++col)
      if (want >> col & 1) solution ^= picks[col];
    for (int bit = 0; bit < 32; ++bit)
      if (solution >> bit & 1) d[at + bit / 8] = static_cast<char>(d[at + bit / 8] ^ (1 << (bit % 8)));
  }

 private:
  const TempDir& dir_;
  std::mt19937 rng_;
  std::vector<Info> files_;
  std::vector<Info> vanished_;
  std::vector<Info> folders_;
  std::map<std::string, std::string> content_;
};

struct EntrySpec {
  std::string path;
  std::string name;
  uint64_t size;
  uint8_t flags;
  uint32_t crc;
  uint32_t middle;
};

TEST(ContentComparerDifferential, SameSetsFlagsAndLogsAsThePlainComparison) {
  TempDir dir;
  World world(dir, 4711);
  ASSERT_GE(world.Files().size(), 60u);
  std::mt19937 rng(20240611);
#ifdef _WIN32
  const int trials = 300;  // opening files costs far more there
#else
  const int trials = 1500;
#endif
  int setsSeen = 0;
  for (int trial = 0; trial < trials; ++trial) {
    // Settings.
    TAdvContentOptions o;
    o.range = static_cast<uint8_t>(rng() % 5);
    o.methods = static_cast<uint8_t>(rng() % 4);
    const int64_t span = TContentComparer::kPrefixLength + 8000;
    o.N = static_cast<int64_t>(rng() % 4 == 0 ? rng() % 8 : rng() % span);
    o.M = static_cast<int64_t>(rng() % 5 == 0 ? rng() % span : o.N + rng() % span);
    // Entries: mostly files of one to three sizes, so keys collide.
    const auto& files = world.Files();
    std::vector<uint64_t> focus;
    for (int k = 0, nf = 1 + rng() % 3; k < nf; ++k) focus.push_back(files[rng() % files.size()].size);
    std::vector<EntrySpec> specs;
    const int count = 2 + static_cast<int>(rng() % 30);
    const bool mayShrink = rng() % 8 == 0;
    bool late = false;
    for (int k = 0; k < count; ++k) {
      const uint32_t kind = rng() % 100;
      uint8_t flags = rng() % 3 == 0 ? fiflag::kLibrary : 0;
      if (kind < 4) {
        const auto& v = world.Vanished()[rng() % world.Vanished().size()];
        specs.push_back({dir.Folder(), v.name, v.size, flags, 0, 0});
        continue;
      }
      if (kind < 6) {
        const auto& v = world.Folders()[rng() % world.Folders().size()];
        specs.push_back({dir.Folder(), v.name, v.size, flags, 0, 0});
        continue;
      }
      const World::Info* f = nullptr;
      if (kind < 75) {
        const uint64_t size = focus[rng() % focus.size()];
        std::vector<const World::Info*> same;
        for (const auto& g : files)
          if (g.size == size) same.push_back(&g);
        f = same[rng() % same.size()];
      } else {
        f = &files[rng() % files.size()];
      }
      if (kind < 16) {
        // An archive or catalog entry standing for that file, with what a
        // catalog may have stored about it (right, or not).
        const std::string& data = world.Content(f->name);
        const auto r = zw::ContentRangeOf(o, data.size());
        uint32_t crc = zw::Crc32(data.data() + r.offset, static_cast<size_t>(r.length));
        uint32_t middle = 0;
        const int64_t at = r.length > 4 ? r.offset + r.length / 2 - 2 : r.offset;
        std::memcpy(&middle, data.data() + at, static_cast<size_t>(std::min<int64_t>(r.length, 4)));
        if (rng() % 4 == 0) crc ^= 1;
        if (rng() % 6 == 0) middle ^= 0x100;
        uint8_t stored = static_cast<uint8_t>(rng() % 4);
        specs.push_back({dir.Folder() + "arc.zip>" + zw::platform::kPathSep, f->name, f->size,
                         static_cast<uint8_t>(flags | fiflag::kInArchive | stored), crc, middle});
        continue;
      }
      if (kind < 18) flags |= fiflag::kIOError;
      uint64_t size = f->size;
      if (mayShrink && kind >= 18 && kind < 22 && size > 0) {
        size += 1 + rng() % 3000;  // listed longer than it is now
        late = true;
      }
      specs.push_back({dir.Folder(), f->name, size, flags, 0, 0});
    }
    std::shuffle(specs.begin(), specs.end(), rng);

    auto make = [&] {
      std::vector<TFileInfos*> v;
      for (const auto& s : specs) v.push_back(MakeEntry(s.path, s.name, s.size, s.flags, s.crc, s.middle));
      return Link(v);
    };
    Collector expectedSets, actualSets;
    LogRecorder expectedLog, actualLog;
    zw::TZWStatusServer expectedStatus(nullptr), actualStatus(nullptr);
    {
      zwtest::ContentOracle oracle(&expectedSets, o);
      oracle.SetStatus(&expectedStatus);
      oracle.SetMessenger(&expectedLog);
      oracle.AddSet(make());
    }
    {
      TContentComparer cmp(&actualSets, o);
      cmp.SetStatus(&actualStatus);
      cmp.SetMessenger(&actualLog);
      cmp.AddSet(make());
    }
    std::string where = "trial " + std::to_string(trial) + " range " + std::to_string(o.range) +
                        " methods " + std::to_string(o.methods) + " N " + std::to_string(o.N) +
                        " M " + std::to_string(o.M);
    ASSERT_EQ(actualSets.sets, expectedSets.sets) << where;
    ASSERT_EQ(actualStatus.Position(), expectedStatus.Position()) << where;
    if (!late) {
      ASSERT_EQ(actualLog.lines, expectedLog.lines) << where;
    } else {
      // A file that shrank may be noticed at another point: each unreadable
      // path is still logged at most once per entry.
      std::map<std::string, int> perPath;
      for (const auto& l : actualLog.lines) ++perPath[l.path];
      for (const auto& [path, n] : perPath) {
        int entries = 0;
        for (const auto& s : specs)
          if (s.path + s.name == path) ++entries;
        ASSERT_LE(n, entries) << where << " " << path;
      }
    }
    setsSeen += static_cast<int>(expectedSets.sets.size());
  }
  EXPECT_GT(setsSeen, trials / 2);  // the trials did find sets to compare
}

}  // namespace
