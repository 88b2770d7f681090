// The long options of the program without a window: what each sets in the
// window model or refuses with which message (one table), and how they are
// taken out of the command line, from the arguments (POSIX) and from the
// line as typed (Windows).
#include "app/options/long_options.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "app/support/test_host.h"
#include "support/recording_messenger.h"

using namespace zw;
using namespace zwtest;

namespace {

std::string Said(const RecordingMessenger& msgr) {
  static const std::map<TMsgID, const char*> names = {
      {msgInvalidNumber, "number"},      {msgInvalidNumberEnterBetween, "between"},
      {msgNumberOutOfRange, "range"},    {askSwapRangeValues, "swap"},
      {msgNoDatePartsChecked, "parts"},  {msgNoSeparatorChar, "separator"},
      {msgParseError, "parse"},          {msgParseUnknownCommandC, "unknown"},
      {msgParseMissingParam, "missing"}, {msgOptionAfterCommand, "after"},
      {msgParseMissingQuoteC, "quote"},  {msgQuoteInArgument, "inside"}};
  return zwtest::Said(msgr, names);
}

// The parts of the model the options set, one word each.
std::map<std::string, std::string> State(const TWindowModel& m) {
  const TCompareSettings& c = m.compare;
  auto n = [](int64_t v) { return std::to_string(v); };
  auto edit = [&](const TSizeEditModel& e) { return e.text + "/" + n(e.unit) + "=" + n(e.bytes); };
  return {
      {"name", n(c.filename.mode) + " " + n(c.filename.N) + "-" + n(c.filename.M) + " c=" +
                   (c.filename.c ? std::string(1, c.filename.c) : "") +
                   (c.filename.ignoreCase ? " ignore" : " match")},
      {"size", c.size.tolerant ? n(c.size.tolerance) + "/" + n(c.size.unit) : "exact"},
      {"date", c.date.complete ? (c.date.mayDiffer ? "days " + n(c.date.days) : "exact")
                               : "parts " + n(c.date.parts)},
      {"content", n(c.content.range) + " " + n(c.content.N) + "-" + n(c.content.M) + "/" +
                      n(c.content.unit) + " m" + n(c.content.methods)},
      {"attr", n(m.attribMode) + " " + (m.attrReadOnly ? "r" : "") + (m.attrHidden ? "h" : "") +
                   (m.attrArchive ? "a" : "") + (m.attrSystem ? "s" : "")},
      {"sizefilter", n(m.sizeMode) + " " + edit(m.sizeLow) + " " + edit(m.sizeHigh)},
      {"flags", std::string(m.lessStatus ? "less" : "-") + (m.saveSettings ? " save" : " -")},
  };
}

struct OptionCase {
  std::vector<std::string> options;
  std::vector<int> answers;
  bool ok;
  const char* part;   // the State() entry that changed
  std::string value;  // its value afterwards (when ok)
  std::string said;
};

TEST(LongOptions, SetWhatTheOptionPagesSetWithTheirMessages) {
  const std::string kb4 = "4/1=4096";
  const OptionCase cases[] = {
      // file name
      {{"--name=chars:2-4"}, {}, true, "name", "1 2-4 c= ignore", ""},
      {{"--NAME=Complete"}, {}, true, "name", "0 0-0 c= ignore", ""},
      {{"--name=last:3", "--name-case=match"}, {}, true, "name", "4 3-0 c= match", ""},
      {{"--name=before-last:X"}, {}, true, "name", "7 0-0 c=x ignore", ""},
      // the case is set before the separator is typed, whatever the order
      {{"--name=after-first:X", "--name-case=match"}, {}, true, "name", "6 0-0 c=X match", ""},
      {{"--name=before-first: "}, {}, true, "name", "5 0-0 c=  ignore", ""},
      {{"--name=first:0"}, {ansOK}, true, "name", "3 1-0 c= ignore", "range(0,1)"},
      {{"--name=chars:9-3"}, {ansCancel}, false, "name", "", "swap(9,3)"},
      {{"--name=chars:a-3"}, {}, false, "name", "", "between(1,260)"},
      {{"--name=before-first:"}, {}, false, "name", "", "separator"},
      {{"--name=before-first:ab"}, {}, false, "name", "", "parse(--name=before-first:ab)"},
      {{"--name=chars:5"}, {}, false, "name", "", "parse(--name=chars:5)"},
      {{"--name-case=upper"}, {}, false, "name", "", "parse(--name-case=upper)"},
      // size tolerance
      {{"--size-tolerance=4kB"}, {}, true, "size", "4096/1", ""},
      {{"--size-tolerance= 3 m"}, {}, true, "size", "3145728/2", ""},
      {{"--size-tolerance=100"}, {}, true, "size", "100/0", ""},
      {{"--size-tolerance=2GiB"}, {}, true, "size", "2147483648/3", ""},
      {{"--size-tolerance=4kB", "--size-tolerance=0kB"}, {}, true, "size", "exact", ""},
      {{"--size-tolerance=exact"}, {}, true, "size", "exact", ""},
      {{"--size-tolerance=4xB"}, {}, false, "size", "", "number"},
      {{"--size-tolerance=8EB"}, {ansCancel}, false, "size", "", "range(8,7)"},
      // date
      {{"--date=parts:time"}, {}, true, "date", "parts 1", ""},
      {{"--date=parts:Year,month"}, {}, true, "date", "parts 12", ""},
      {{"--date=parts:year,month,day,time"}, {}, true, "date", "exact", ""},
      {{"--date=tolerance:3"}, {}, true, "date", "days 3", ""},
      {{"--date=parts:day", "--date=exact"}, {}, true, "date", "exact", ""},
      {{"--date=tolerance:x"}, {}, false, "date", "", "between(1,10675199)"},
      {{"--date=parts:"}, {}, false, "date", "", "parts"},
      {{"--date=parts:hour"}, {}, false, "date", "", "parse(--date=parts:hour)"},
      // content
      {{"--content=first:4kB"}, {}, true, "content", "3 4096-0/1 m1", ""},
      {{"--content=last:10"}, {}, true, "content", "4 10-0/0 m1", ""},
      {{"--content=range:0-3kB"}, {}, true, "content", "1 0-3072/1 m1", ""},
      {{"--content=range-from-end:1k-2k"}, {}, true, "content", "2 1024-2048/1 m1", ""},
      {{"--content=range:5-2kB"}, {ansOK}, true, "content", "1 2048-5120/1 m1",
       "swap(5 kbytes,2 kbytes)"},
      {{"--content=range:1kB-2MB"}, {}, false, "content", "", "parse(--content=range:1kB-2MB)"},
      {{"--content-method=bytes,crc"}, {}, true, "content", "0 0-0/0 m3", ""},
      {{"--content-method=bytes", "--content=first:1"}, {}, true, "content", "3 1-0/0 m2", ""},
      {{"--content-method=middle"}, {}, true, "content", "0 0-0/0 m0", ""},
      {{"--content-method=middle,crc"}, {}, false, "content", "",
       "parse(--content-method=middle,crc)"},
      {{"--content=first:0"}, {ansCancel}, false, "content", "", "range(0,1)"},
      // attribute and size filters
      {{"--attributes=exclude:rH"}, {}, true, "attr", "1 rh", ""},
      {{"--attributes=only:sa"}, {}, true, "attr", "2 as", ""},
      {{"--attributes=only:"}, {}, true, "attr", "2 ", ""},
      {{"--attributes=ignore"}, {}, true, "attr", "0 s", ""},
      {{"--attributes=exclude:x"}, {}, false, "attr", "", "parse(--attributes=exclude:x)"},
      {{"--size-filter=only:0-4kB"}, {}, true, "sizefilter", "2 0/1=0 " + kb4, ""},
      {{"--size-filter=exclude:1MB-2"}, {}, true, "sizefilter", "1 1/2=1048576 2/2=2097152", ""},
      {{"--size-filter=only:10B-1kB"}, {}, true, "sizefilter", "2 10/0=10 1/1=1024", ""},
      {{"--size-filter=ignore"}, {}, true, "sizefilter", "0 0/1=0 0/1=0", ""},
      {{"--size-filter=only:x-1"}, {}, false, "sizefilter", "", "number"},
      {{"--size-filter=only:5"}, {}, false, "sizefilter", "", "parse(--size-filter=only:5)"},
      // common options
      {{"--less-status"}, {}, true, "flags", "less -", ""},
      {{"--less-status=yes", "--less-status=no", "--save-settings"}, {}, true, "flags", "- save",
       ""},
      {{"--save-settings=maybe"}, {}, false, "flags", "", "parse(--save-settings=maybe)"},
      // what no option is
      {{"--frobnicate=1"}, {}, false, "flags", "", "unknown(--frobnicate)"},
      {{"--"}, {}, false, "flags", "", "unknown(--)"},
      {{"--name"}, {}, false, "name", "", "missing(--name)"},
      {{"--date="}, {}, false, "date", "", "missing(--date=)"},
      // all or nothing: a later option refused keeps an earlier one out too
      {{"--size-tolerance=4kB", "--date=parts:"}, {}, false, "size", "", "parts"},
  };
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(c.options.front() + (c.options.size() > 1 ? " ..." : ""));
    TestHost host;
    RecordingMessenger msgr;
    msgr.answers.assign(c.answers.begin(), c.answers.end());
    TWindowModel model;
    const auto before = State(model);
    EXPECT_EQ(ApplyLongOptions(c.options, model, host, msgr), c.ok);
    EXPECT_EQ(Said(msgr), c.said);
    auto after = State(model);
    if (!c.ok) {
      EXPECT_EQ(after, before) << "a refused option changes nothing";
      continue;
    }
    EXPECT_EQ(after.at(c.part), c.value);
    after[c.part] = before.at(c.part);
    EXPECT_EQ(after, before) << "only " << c.part << " changed";
  }
}

TEST(LongOptions, StartFromTheSettingsInForce) {
  TestHost host;
  RecordingMessenger msgr;
  TWindowModel model;
  model.compare.content.range = acFirstN;
  model.compare.content.N = 8192;
  model.compare.content.unit = 1;
  model.compare.filename.mode = afnBeforeLast;
  model.compare.filename.c = '_';
  ASSERT_TRUE(ApplyLongOptions({"--content-method=bytes", "--name-case=match"}, model, host, msgr));
  EXPECT_EQ(model.compare.content.range, acFirstN) << "the stored range stays";
  EXPECT_EQ(int64_t{model.compare.content.N}, 8192);  // a copy: the record is packed
  EXPECT_EQ(model.compare.content.methods, acmByteByByte);
  EXPECT_EQ(model.compare.filename.mode, afnBeforeLast);
  EXPECT_EQ(model.compare.filename.c, '_');
  EXPECT_EQ(model.compare.filename.ignoreCase, 0);
  EXPECT_TRUE(ApplyLongOptions({}, model, host, msgr));
  EXPECT_TRUE(msgr.Messages().empty());
}

struct SplitCase {
  std::vector<const char*> argv;
  std::optional<std::string> raw;
  bool ok;
  std::vector<std::string> options;
  std::string line;
  std::string first;
  std::string said;
};

TEST(LongOptions, AreTakenOutOfTheCommandLineBeforeTheFirstCommand) {
  const SplitCase cases[] = {
      // from the arguments
      {{"zwillo", "--size-tolerance=4kB", "-addfolder", "/d d", "-run"}, std::nullopt, true,
       {"--size-tolerance=4kB"}, "\"zwillo\" -addfolder \"/d d\" -run", "-addfolder", ""},
      {{"zwillo", "r.zwr", "--less-status", "--name=before-first: ", "-showlog"}, std::nullopt,
       true, {"--less-status", "--name=before-first: "}, "\"zwillo\" \"r.zwr\" -showlog", "r.zwr",
       ""},
      {{"zwillo", "--save-settings"}, std::nullopt, true, {"--save-settings"}, "\"zwillo\"", "",
       ""},
      {{"zwillo", "-addfolder", "/d", "--less-status", "-run"}, std::nullopt, false, {}, "", "",
       "after(--less-status,-addfolder)"},
      {{"zwillo", "--less-status", "-addmask", "a\"b\"c"}, std::nullopt, false, {}, "", "",
       "inside(a\"b\"c)"},
      // from the line as typed (Windows): the rest is left exactly as it was
      {{"z.exe", "--size-tolerance=4kB"},
       "\"C:\\p q\\z.exe\" --size-tolerance=4kB -addfolder \"C:\\a b\" -run", true,
       {"--size-tolerance=4kB"}, "\"C:\\p q\\z.exe\" -addfolder \"C:\\a b\" -run", "", ""},
      {{"z.exe"}, "z.exe --name=before-first:\" \"  --date=\"parts:time\" /run", true,
       {"--name=before-first: ", "--date=parts:time"}, "z.exe /run", "", ""},
      {{"z.exe", "r.zwr"}, "z.exe r.zwr --less-status", true, {"--less-status"}, "z.exe r.zwr",
       "r.zwr", ""},
      {{"z.exe"}, "z.exe /run --less-status", false, {}, "", "", "after(--less-status,/run)"},
      {{"z.exe"}, "z.exe -addmask \"--x\" -run", true, {}, "z.exe -addmask \"--x\" -run", "", ""},
      {{"z.exe"}, "z.exe --name=before-first:\" -run", false, {}, "", "", "quote"},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.raw ? *c.raw : c.argv.back());
    RecordingMessenger msgr;
    TSplitCommandLine out;
    EXPECT_EQ(SplitCommandLine(int(c.argv.size()), c.argv.data(), c.raw, out, msgr,
                               c.raw ? TCommandIntro::DashOrSlash : TCommandIntro::DashOnly),
              c.ok);
    EXPECT_EQ(Said(msgr), c.said);
    if (!c.ok) continue;
    EXPECT_EQ(out.options, c.options);
    EXPECT_EQ(out.commandLine, c.line);
    EXPECT_EQ(out.firstArgument, c.first);
  }
}

}  // namespace
