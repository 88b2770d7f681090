// The four advanced-criteria dialogs as models: what OK stores or refuses
// for given input (one table per dialog), records surviving a load and an
// OK unchanged, which fields each radio button enables, and the number
// fields' silent checks, keys, spin buttons and unit boxes.
#include "app/options/advanced_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "support/recording_messenger.h"

using namespace zw;
using namespace zwtest;

namespace {

constexpr uint64_t kMax = 0x7FFFFFFFFFFFFFFFull;
constexpr int64_t KB = 1024, MB = 1024 * 1024;

// The messages as text: "name(arguments)".
std::string Said(const RecordingMessenger& msgr) {
  static const std::map<TMsgID, const char*> names = {
      {msgInvalidNumber, "number"},     {msgInvalidNumberEnterBetween, "between"},
      {msgNumberOutOfRange, "range"},   {askSwapRangeValues, "swap"},
      {msgNoDatePartsChecked, "parts"}, {msgNoSeparatorChar, "separator"}};
  return zwtest::Said(msgr, names);
}

std::string Rec(const TAdvFilenameOptions& r) {
  return "mode=" + std::to_string(r.mode) + " N=" + std::to_string(r.N) + " M=" +
         std::to_string(r.M) + " c=" + (r.c ? std::string(1, r.c) : "") +
         " ic=" + std::to_string(r.ignoreCase);
}
std::string Rec(const TAdvSizeOptions& r) {
  return "tolerant=" + std::to_string(r.tolerant) + " tol=" + std::to_string(r.tolerance) +
         " unit=" + std::to_string(r.unit);
}
std::string Rec(const TAdvDateOptions& r) {
  return "complete=" + std::to_string(r.complete) + " parts=" + std::to_string(r.parts) +
         " differ=" + std::to_string(r.mayDiffer) + " days=" + std::to_string(r.days);
}
std::string Rec(const TAdvContentOptions& r) {
  return "range=" + std::to_string(r.range) + " methods=" + std::to_string(r.methods) +
         " N=" + std::to_string(r.N) + " M=" + std::to_string(r.M) +
         " unit=" + std::to_string(r.unit);
}

// One OK of a dialog: the record it was loaded from, what the user did,
// the answers to its questions; then whether it closed, the record
// afterwards (unchanged when it stayed open), what it said and the field
// it focused.
template <class Model, class Record>
struct OkCase {
  const char* name;
  Record loaded;
  std::function<void(Model&)> input;
  std::vector<int> answers;
  bool closes;
  std::string record;  // Rec() of the record after OK
  std::string said;
  typename Model::Control focus;
};

template <class Model, class Record>
void RunOkCases(const std::vector<OkCase<Model, Record>>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingMessenger msgr;
    msgr.answers.assign(c.answers.begin(), c.answers.end());
    Model dlg(msgr);
    dlg.Load(c.loaded);
    c.input(dlg);
    Record r = c.loaded;
    EXPECT_EQ(dlg.OK(r), c.closes);
    EXPECT_EQ(Rec(r), c.closes ? c.record : Rec(c.loaded)) << "stored only when OK closes";
    EXPECT_EQ(Said(msgr), c.said);
    EXPECT_EQ(dlg.focus, c.focus);
  }
}

TAdvFilenameOptions Fn(uint8_t mode, int32_t n, int32_t m, char c, uint8_t ic) {
  TAdvFilenameOptions r;
  r.mode = mode;
  r.N = n;
  r.M = m;
  r.c = c;
  r.ignoreCase = ic;
  return r;
}

TEST(AdvFilenameDialog, OkStoresWhatTheFieldsSayOrStaysOpen) {
  using M = TAdvFilenameModel;
  using C = M::Control;
  const TAdvFilenameOptions factory;
  auto chars = [](const char* n, const char* m) {
    return [=](M& d) { d.radio = M::Radio::RBNToN; d.ECharsN1.text = n; d.ECharsN2.text = m; };
  };
  const std::vector<OkCase<M, TAdvFilenameOptions>> cases = {
      {"factory", factory, [](M&) {}, {}, true, "mode=0 N=0 M=0 c= ic=1", "", C::None},
      {"the defaults of chars", factory, [](M& d) { d.radio = M::Radio::RBNToN; }, {}, true,
       "mode=1 N=2 M=4 c= ic=1", "", C::None},
      {"chars typed", factory, chars(" 007", "260"), {}, true, "mode=1 N=7 M=260 c= ic=1", "",
       C::None},
      {"reversed chars swapped", factory, chars("5", "3"), {ansOK}, true,
       "mode=1 N=3 M=5 c= ic=1", "swap(5,3)", C::None},
      {"reversed chars, Cancel", factory, chars("5", "3"), {ansCancel}, false, "", "swap(5,3)",
       C::ECharsN1},
      {"not a number", factory, chars("x", "3"), {}, false, "", "between(1,260)", C::ECharsN1},
      {"below 1 confirmed", factory, chars("0", "3"), {ansOK}, true, "mode=1 N=1 M=3 c= ic=1",
       "range(0,1)", C::None},
      {"above 260, Cancel", factory, chars("2", "300"), {ansCancel}, false, "", "range(300,260)",
       C::ECharsN2},
      {"disabled fields are not checked", factory,
       [](M& d) { d.ECharsN1.text = "junk"; d.CBIgnoreCase = false; }, {}, true,
       "mode=0 N=0 M=0 c= ic=0", "", C::None},
      {"last 3", factory,
       [](M& d) { d.radio = M::Radio::RBFirstLast; d.CBFirstLast = true; d.EFirstLast.text = "3"; },
       {}, true, "mode=4 N=3 M=0 c= ic=1", "", C::None},
      {"separator typed lower-cased while ignoring case", factory,
       [](M& d) {
         d.radio = M::Radio::RBOcc;
         d.CBOccFirstLast = d.CBOccBeforeAfter = true;
         d.OccTyped("XY");
       },
       {}, true, "mode=8 N=0 M=0 c=x ic=1", "", C::None},
      {"separator kept case-sensitive", Fn(0, 0, 0, 0, 0),
       [](M& d) { d.radio = M::Radio::RBOcc; d.OccTyped("X"); }, {}, true,
       "mode=5 N=0 M=0 c=X ic=0", "", C::None},
      {"after first", factory,
       [](M& d) { d.radio = M::Radio::RBOcc; d.CBOccBeforeAfter = true; }, {}, true,
       "mode=6 N=0 M=0 c=. ic=1", "", C::None},
      {"no separator", factory, [](M& d) { d.radio = M::Radio::RBOcc; d.OccTyped(""); }, {},
       false, "", "separator", C::EOcc},
  };
  RunOkCases(cases);
}

TEST(AdvSizeDialog, OkStoresWhatTheFieldsSayOrStaysOpen) {
  using M = TAdvSizeModel;
  using C = M::Control;
  const TAdvSizeOptions exact;
  TAdvSizeOptions mb8;
  mb8.tolerant = 1;
  mb8.tolerance = 8 * MB;
  mb8.unit = 2;
  auto tol = [](const char* text, uint8_t unit) {
    return [=](M& d) { d.RBTolerant = true; d.ETolerance.text = text; d.ETolerance.unit = unit; };
  };
  const std::vector<OkCase<M, TAdvSizeOptions>> cases = {
      {"exact", exact, [](M&) {}, {}, true, "tolerant=0 tol=0 unit=0", "", C::None},
      {"the default tolerance of 4 kbytes", exact, [](M& d) { d.RBTolerant = true; }, {}, true,
       "tolerant=1 tol=4096 unit=1", "", C::None},
      {"a loaded tolerance", mb8, [](M&) {}, {}, true, "tolerant=1 tol=8388608 unit=2", "",
       C::None},
      {"exact keeps the stored tolerance", mb8, [](M& d) { d.RBTolerant = false; }, {}, true,
       "tolerant=0 tol=8388608 unit=2", "", C::None},
      {"at least one unit", exact, tol("0", 2), {ansOK}, true, "tolerant=1 tol=1048576 unit=2",
       "range(0,1)", C::None},
      {"the largest count of a unit", exact, tol("8", 6), {ansOK}, true,
       "tolerant=1 tol=" + std::to_string(uint64_t{7} << 60) + " unit=6", "range(8,7)", C::None},
      {"no number", exact, tol("4k", 1), {}, false, "", "number", C::ETolerance},
      {"out of range, Cancel", exact, tol("-3", 0), {ansCancel}, false, "", "range(-3,1)",
       C::ETolerance},
  };
  RunOkCases(cases);
}

TAdvDateOptions Dt(uint8_t complete, uint8_t parts, uint8_t differ, uint32_t days) {
  TAdvDateOptions r;
  r.complete = complete;
  r.parts = parts;
  r.mayDiffer = differ;
  r.days = days;
  return r;
}

TEST(AdvDateDialog, OkStoresWhatTheFieldsSayOrStaysOpen) {
  using M = TAdvDateModel;
  using C = M::Control;
  const TAdvDateOptions factory;
  auto parts = [](bool t, bool d, bool m, bool y) {
    return [=](M& dlg) {
      dlg.RBPartly = true;
      dlg.CBTime = t, dlg.CBDay = d, dlg.CBMonth = m, dlg.CBYear = y;
    };
  };
  auto days = [](const char* text) {
    return [=](M& d) { d.CBMayDiffer = true; d.EMayDiffer.text = text; };
  };
  const std::vector<OkCase<M, TAdvDateOptions>> cases = {
      {"factory", factory, [](M&) {}, {}, true, "complete=1 parts=0 differ=0 days=0", "",
       C::None},
      {"default tolerance of 2 days", factory, [](M& d) { d.CBMayDiffer = true; }, {}, true,
       "complete=1 parts=0 differ=1 days=2", "", C::None},
      {"days typed", factory, days("10675199"), {}, true,
       "complete=1 parts=0 differ=1 days=10675199", "", C::None},
      {"days above the limit confirmed", factory, days("10675200"), {ansOK}, true,
       "complete=1 parts=0 differ=1 days=10675199", "range(10675200,10675199)", C::None},
      {"days not a number", factory, days("2d"), {}, false, "", "between(1,10675199)",
       C::EMayDiffer},
      {"time and day", factory, parts(true, true, false, false), {}, true,
       "complete=0 parts=3 differ=0 days=0", "", C::None},
      {"no part", factory, parts(false, false, false, false), {}, false, "", "parts", C::CBTime},
      {"every part is the complete date, exactly", Dt(1, 0, 1, 5), parts(true, true, true, true),
       {}, true, "complete=1 parts=0 differ=0 days=5", "", C::None},
      {"a loaded part set", Dt(0, adpMonth | adpYear, 0, 0), [](M&) {}, {}, true,
       "complete=0 parts=12 differ=0 days=0", "", C::None},
  };
  RunOkCases(cases);
}

TAdvContentOptions Ct(uint8_t range, uint8_t methods, int64_t n, int64_t m, uint8_t unit) {
  TAdvContentOptions r;
  r.range = range;
  r.methods = methods;
  r.N = n;
  r.M = m;
  r.unit = unit;
  return r;
}

TEST(AdvContentDialog, OkStoresWhatTheFieldsSayOrStaysOpen) {
  using M = TAdvContentModel;
  using C = M::Control;
  const TAdvContentOptions factory;
  auto range = [](const char* n, const char* m, uint8_t unit, bool fromEnd) {
    return [=](M& d) {
      d.radio = M::Radio::RBNToN;
      d.EBytesN1.text = n;
      d.EBytesN2.text = m;
      d.UnitChanged(C::CBNToNUnit, unit);
      d.CBNToNFromEnd = fromEnd;
    };
  };
  const std::vector<OkCase<M, TAdvContentOptions>> cases = {
      {"factory", factory, [](M&) {}, {}, true, "range=0 methods=1 N=0 M=0 unit=0", "", C::None},
      {"no method: only the pick into the middle", factory,
       [](M& d) { d.CBFingerprint = false; }, {}, true, "range=0 methods=0 N=0 M=0 unit=0", "",
       C::None},
      {"both methods, default range 0 to 3 kbytes", factory,
       [](M& d) { d.CBBpB = true; d.radio = M::Radio::RBNToN; }, {}, true,
       "range=1 methods=3 N=0 M=3072 unit=1", "", C::None},
      {"range from the end in Mbytes", factory, range("1", "2", 2, true), {}, true,
       "range=2 methods=1 N=1048576 M=2097152 unit=2", "", C::None},
      {"reversed range swapped", factory, range("5", "2", 1, false), {ansOK}, true,
       "range=1 methods=1 N=2048 M=5120 unit=1", "swap(5 kbytes,2 kbytes)", C::None},
      {"reversed range, Cancel", factory, range("5", "2", 1, false), {ansCancel}, false, "",
       "swap(5 kbytes,2 kbytes)", C::EBytesN1},
      {"a range may start at 0 but not below", factory, range("-1", "2", 0, false), {ansOK},
       true, "range=1 methods=1 N=0 M=2 unit=0", "range(-1,0)", C::None},
      {"range end beyond the unit's limit, Cancel", factory, range("0", "9000000", 4, false),
       {ansCancel}, false, "", "range(9000000,8388607)", C::EBytesN2},
      {"first 4 kbytes by default", factory, [](M& d) { d.radio = M::Radio::RBFirstLast; }, {},
       true, "range=3 methods=1 N=4096 M=0 unit=1", "", C::None},
      {"last count at least 1", factory,
       [](M& d) {
         d.radio = M::Radio::RBFirstLast;
         d.CBFirstLast = true;
         d.EFirstLast.text = "0";
       },
       {ansOK}, true, "range=4 methods=1 N=1024 M=0 unit=1", "range(0,1)", C::None},
      {"count not a number", factory,
       [](M& d) { d.radio = M::Radio::RBFirstLast; d.EFirstLast.text = "1.5"; }, {}, false, "",
       "number", C::EFirstLast},
  };
  RunOkCases(cases);
}

// A record loaded and stored again by OK is the same record, byte for byte.
TEST(AdvancedDialogs, RecordsComeBackUnchangedThroughLoadAndOk) {
  RecordingMessenger msgr;
  for (uint8_t mode : {0, 1, 3, 4, 5, 6, 7, 8}) {
    const TAdvFilenameOptions in = Fn(mode, 3, 9, '_', mode & 1);
    TAdvFilenameModel dlg(msgr);
    dlg.Load(in);
    TAdvFilenameOptions out = Fn(0, 0, 0, 0, 0);
    out.N = in.N, out.M = in.M, out.c = in.c;  // what the mode does not store
    ASSERT_TRUE(dlg.OK(out));
    EXPECT_EQ(Rec(out), Rec(in));
  }
  for (uint8_t range : {1, 2, 3, 4}) {
    for (uint8_t unit : {0, 3, 6}) {
      const int64_t n = int64_t{3} << (10 * unit), m = int64_t{7} << (10 * unit);
      const TAdvContentOptions in = Ct(range, range & 3, n, range <= 2 ? m : 0, unit);
      TAdvContentModel dlg(msgr);
      dlg.Load(in);
      TAdvContentOptions out;
      ASSERT_TRUE(dlg.OK(out));
      EXPECT_EQ(Rec(out), Rec(in));
    }
  }
  for (const TAdvDateOptions& in : {Dt(1, 0, 1, 10675199), Dt(0, adpTime | adpYear, 0, 0)}) {
    TAdvDateModel dlg(msgr);
    dlg.Load(in);
    TAdvDateOptions out = Dt(0, 0, 0, 0);
    out.days = in.days, out.parts = in.parts;
    ASSERT_TRUE(dlg.OK(out));
    EXPECT_EQ(Rec(out), Rec(in));
  }
  TAdvSizeOptions in;
  in.tolerant = 1, in.tolerance = int64_t{7} << 60, in.unit = 6;
  TAdvSizeModel dlg(msgr);
  dlg.Load(in);
  TAdvSizeOptions out;
  ASSERT_TRUE(dlg.OK(out));
  EXPECT_EQ(Rec(out), Rec(in));
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST(AdvancedDialogs, FieldsOfTheSelectedChoiceAreEnabled) {
  RecordingMessenger msgr;
  TAdvFilenameModel fn(msgr);
  using FC = TAdvFilenameModel::Control;
  using FR = TAdvFilenameModel::Radio;
  const std::vector<std::pair<FR, std::vector<FC>>> fnRows = {
      {FR::RBComplete, {}},
      {FR::RBNToN, {FC::ECharsN1, FC::ECharsN2}},
      {FR::RBFirstLast, {FC::CBFirstLast, FC::EFirstLast}},
      {FR::RBOcc, {FC::CBOccFirstLast, FC::CBOccBeforeAfter, FC::EOcc}},
  };
  const std::vector<FC> fnFields = {FC::ECharsN1,       FC::ECharsN2,         FC::CBFirstLast,
                                    FC::EFirstLast,     FC::CBOccFirstLast,   FC::CBOccBeforeAfter,
                                    FC::EOcc};
  for (const auto& [radio, enabled] : fnRows) {
    fn.radio = radio;
    for (FC f : fnFields)
      EXPECT_EQ(fn.Enabled(f), std::count(enabled.begin(), enabled.end(), f) == 1)
          << int(radio) << " " << int(f);
    EXPECT_TRUE(fn.Enabled(FC::CBIgnoreCase));
  }

  TAdvDateModel date(msgr);
  using DC = TAdvDateModel::Control;
  // partly, may differ -> tolerance field, CBMayDiffer, part boxes
  const std::vector<std::tuple<bool, bool, bool, bool, bool>> dateRows = {
      {false, false, false, true, false},
      {false, true, true, true, false},
      {true, true, false, false, true},
      {true, false, false, false, true},
  };
  for (const auto& [partly, differ, days, mayDiffer, parts] : dateRows) {
    date.RBPartly = partly;
    date.CBMayDiffer = differ;
    EXPECT_EQ(date.Enabled(DC::EMayDiffer), days);
    EXPECT_EQ(date.Enabled(DC::SBMayDiffer), days);
    EXPECT_EQ(date.Enabled(DC::CBMayDiffer), mayDiffer);
    for (DC box : {DC::CBTime, DC::CBDay, DC::CBMonth, DC::CBYear})
      EXPECT_EQ(date.Enabled(box), parts);
  }

  TAdvContentModel content(msgr);
  using CC = TAdvContentModel::Control;
  using CR = TAdvContentModel::Radio;
  for (CR radio : {CR::RBComplete, CR::RBNToN, CR::RBFirstLast}) {
    content.radio = radio;
    for (CC f : {CC::EBytesN1, CC::EBytesN2, CC::CBNToNUnit, CC::CBNToNFromEnd, CC::SBBytesN2})
      EXPECT_EQ(content.Enabled(f), radio == CR::RBNToN);
    for (CC f : {CC::CBFirstLast, CC::EFirstLast, CC::CBFirstLastUnit, CC::SBFirstLast})
      EXPECT_EQ(content.Enabled(f), radio == CR::RBFirstLast);
    EXPECT_FALSE(content.Enabled(CC::lblCBPiM)) << "always checked, never changed";
    EXPECT_TRUE(content.Enabled(CC::CBFingerprint));
  }

  TAdvSizeModel size(msgr);
  for (bool tolerant : {false, true}) {
    size.RBTolerant = tolerant;
    EXPECT_EQ(size.Enabled(TAdvSizeModel::Control::ETolerance), tolerant);
    EXPECT_EQ(size.Enabled(TAdvSizeModel::Control::CBToleranceUnit), tolerant);
  }
}

// What a field shows after a sequence of events, each a key, a spin button
// or leaving it, applied to the text typed.
TEST(AdvancedDialogs, WholeNumberFieldsCheckSilentlyAndStepWithinTheirBounds) {
  using K = TNumberKey;
  using C = TAdvFilenameModel::Control;
  struct Case {
    const char* typed;
    int64_t held;
    std::function<void(TAdvFilenameModel&)> events;
    const char* text;
    int64_t value;
  };
  auto keys = [](std::vector<K> ks) {
    return [=](TAdvFilenameModel& d) {
      for (K k : ks) d.FieldKey(C::EFirstLast, k);
    };
  };
  const Case cases[] = {
      {"259", 0, keys({K::Up, K::Up}), "260", 260},          // clamped at the top
      {"260", 0, keys({K::PageDown}), "250", 250},
      {"5", 0, keys({K::PageDown}), "1", 1},                 // not below 1
      {"abc", 40, keys({K::Down}), "39", 39},                // no number: the held value steps
      {"0", 40, keys({K::Up}), "2", 2},                      // 0 is held as 1, then up
      {"900", 40, keys({K::PageUp}), "260", 260},
      {"300", 40, [](auto& d) { d.FieldLeft(C::EFirstLast); }, "300", 260},  // text kept
      {" 12 ", 40, [](auto& d) { d.FieldLeft(C::EFirstLast); }, "12", 12},   // rewritten
      {"x", 1, [](auto& d) { d.Spin(C::EFirstLast, true); }, "1", 1},
      {"x", 7, [](auto& d) { d.Spin(C::EFirstLast, false); }, "8", 8},
      {"12", 5, keys({K::Enter}), "12", 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    RecordingMessenger msgr;
    TAdvFilenameModel dlg(msgr);
    dlg.EFirstLast.text = c.typed;
    dlg.EFirstLast.value = c.held;
    c.events(dlg);
    EXPECT_EQ(dlg.EFirstLast.text, c.text);
    EXPECT_EQ(dlg.EFirstLast.value, c.value);
    EXPECT_TRUE(msgr.Messages().empty()) << "silent";
  }
  RecordingMessenger msgr;
  TAdvDateModel date(msgr);
  date.EMayDiffer.text = "10675195";
  date.DaysKey(K::PageUp);
  EXPECT_EQ(date.EMayDiffer.text, "10675199");
  date.DaysSpin(true);
  EXPECT_EQ(date.EMayDiffer.text, "10675198");
}

TEST(AdvancedDialogs, ByteFieldsStepInTheirUnitAndNeverOverflow) {
  using K = TNumberKey;
  using C = TAdvContentModel::Control;
  struct Case {
    C field;
    const char* typed;
    uint8_t unit;
    std::function<void(TAdvContentModel&, C)> events;
    const char* text;
    uint64_t bytes;
  };
  auto key = [](K k) { return [=](TAdvContentModel& d, C f) { d.FieldKey(f, k); }; };
  const uint64_t EB = uint64_t{1} << 60;
  const Case cases[] = {
      {C::EBytesN1, "5", 1, key(K::PageDown), "0", 0},                 // range fields: down to 0
      {C::EFirstLast, "5", 1, key(K::PageDown), "1", 1024},            // a count: down to 1
      {C::EBytesN1, "3", 1, key(K::Up), "4", 4096},
      {C::EBytesN2, "6", 6, key(K::Up), "7", 7 * EB},
      {C::EBytesN2, "7", 6, key(K::Up), "7", kMax},                    // the largest value
      {C::EBytesN2, "7", 6, key(K::PageUp), "7", kMax},
      {C::EBytesN2, "7", 6, key(K::Down), "6", 6 * EB},
      {C::EBytesN1, "9", 0, [](auto& d, C f) { d.Spin(f, false); }, "10", 10},  // held 0 + 10
      {C::EBytesN1, "3", 1, [](auto& d, C) { d.UnitChanged(C::CBNToNUnit, 2); }, "3", 3 * MB},
      {C::EBytesN1, "9000000000000", 1, [](auto& d, C) { d.UnitChanged(C::CBNToNUnit, 6); },
       "9000000000000", 7 * EB},                                      // clamped, text kept
      {C::EFirstLast, "2", 1, [](auto& d, C) { d.UnitChanged(C::CBFirstLastUnit, 0); }, "2", 2},
      {C::EFirstLast, "-4", 1, [](auto& d, C f) { d.FieldLeft(f); }, "-4", 1024},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " " + std::to_string(c.unit));
    RecordingMessenger msgr;
    TAdvContentModel dlg(msgr);
    TSizeEditModel& e = c.field == C::EBytesN1   ? dlg.EBytesN1
                        : c.field == C::EBytesN2 ? dlg.EBytesN2
                                                 : dlg.EFirstLast;
    e.text = c.typed;
    e.unit = c.unit;
    e.bytes = 0;
    c.events(dlg, c.field);
    EXPECT_EQ(e.text, c.text);
    EXPECT_EQ(e.bytes, c.bytes);
    EXPECT_TRUE(msgr.Messages().empty()) << "silent";
  }
  // One unit box serves both range fields.
  RecordingMessenger msgr;
  TAdvContentModel dlg(msgr);
  dlg.UnitChanged(C::CBNToNUnit, 3);
  EXPECT_EQ(dlg.EBytesN1.unit, 3);
  EXPECT_EQ(dlg.EBytesN2.unit, 3);
  EXPECT_EQ(dlg.EBytesN2.bytes, uint64_t{3} << 30);
  TAdvSizeModel size(msgr);
  size.ETolerance.text = "1";
  size.ToleranceKey(K::Down);
  EXPECT_EQ(size.ETolerance.text, "1") << "a tolerance is at least 1 unit";
  size.ToleranceSpin(false);
  EXPECT_EQ(size.ETolerance.bytes, 11u * 1024);
}

}  // namespace
