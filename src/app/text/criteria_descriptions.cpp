#include "app/text/criteria_descriptions.h"

#include <vector>

#include "app/text/text_format.h"
#include "engine/dupes/criteria.h"
#include "app/text_ids.h"

namespace zw {

namespace {

const char kPlusMinus[] = "\xC2\xB1";  // "±" in UTF-8

size_t UnitSlot(uint8_t unit) { return unit < kByteUnitNames ? unit : 0; }

TFmtArg Num(int64_t v) { return TFmtArg(v); }

}  // namespace

std::string DescribeFilename(const TAdvFilenameOptions& o, const TStringTable& t) {
  std::string text;
  const std::string sep = o.c ? std::string(1, o.c) : std::string();
  switch (o.mode) {
    case afnCharsNToM: text = Format(t.Str(strAFNNToN), {Num(o.N), Num(o.M)}); break;
    case afnFirstN: text = Format(t.Str(strAFNFirst), {Num(o.N)}); break;
    case afnLastN: text = Format(t.Str(strAFNLast), {Num(o.N)}); break;
    case afnBeforeFirst: text = Format(t.Str(strAFNBeforeFirst), {sep}); break;
    case afnAfterFirst: text = Format(t.Str(strAFNAfterFirst), {sep}); break;
    case afnBeforeLast: text = Format(t.Str(strAFNBeforeLast), {sep}); break;
    case afnAfterLast: text = Format(t.Str(strAFNAfterLast), {sep}); break;
    default: text = t.Str(strAFNComplete); break;  // the search reads any other mode so
  }
  return text + t.Str(o.ignoreCase ? strAFNIgnoreCase : strAFNCaseSensitive);
}

std::string DescribeSize(const TAdvSizeOptions& o, const TByteUnitNames& units,
                         const TStringTable& t) {
  if (!o.tolerant) return t.Str(strASExactly);
  return Format(std::string(kPlusMinus) + " %d %s",
                {Num(BytesToUnit(o.tolerance, o.unit)), units[UnitSlot(o.unit)]});
}

std::string DescribeSize(const TAdvSizeOptions& o) {
  return DescribeSize(o, Strings().UnitShortNames(), Strings());
}

std::string DescribeDate(const TAdvDateOptions& o, const TStringTable& t) {
  if (o.complete) {
    if (!o.mayDiffer) return t.Str(strADComplete) + t.Str(strADExactly);
    return t.Str(strADComplete) +
           Format(", " + std::string(kPlusMinus) + " %d ", {Num(int64_t{o.days})}) +
           t.Str(strADDays);
  }
  std::vector<std::string> parts;
  if (o.parts & adpTime) parts.push_back(t.Str(strADTime));
  if (o.parts & adpDay) parts.push_back(t.Str(strADDay));
  if (o.parts & adpMonth) parts.push_back(t.Str(strADMonth));
  if (o.parts & adpYear) parts.push_back(t.Str(strADYear));
  std::string text = t.Str(strADOnly_);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += (i + 1 == parts.size()) ? t.Str(strAD_and_) : std::string(", ");
    text += parts[i];
  }
  return text + t.Str(strAD_Only);
}

std::string DescribeContent(const TAdvContentOptions& o, const TByteUnitNames& units,
                            const TStringTable& t) {
  const std::string& unit = units[UnitSlot(o.unit)];
  const int64_t n = BytesToUnit(o.N, o.unit);
  const int64_t m = BytesToUnit(o.M, o.unit);
  std::string text;
  switch (o.range) {
    case acBytesNToM:
    case acBytesNToMFromEnd:
      text = unit + Format(" %d ", {Num(n)}) + t.Str(strACTo) + Format(" %d", {Num(m)});
      if (o.range == acBytesNToMFromEnd) text += t.Str(strACFromEnd);
      break;
    case acFirstN: text = t.Str(strACFirst) + Format(" %d ", {Num(n)}) + unit; break;
    case acLastN: text = t.Str(strACLast) + Format(" %d ", {Num(n)}) + unit; break;
    default: text = t.Str(strACComplete); break;  // the search reads any other range so
  }
  if ((o.methods & (acmCRC32 | acmByteByByte)) == 0) return text + t.Str(strACPiM);
  if (o.methods & acmCRC32) text += t.Str(strACCRC);
  if (o.methods & acmByteByByte) text += t.Str(strACBpB);
  return text;
}

std::string DescribeContent(const TAdvContentOptions& o) {
  return DescribeContent(o, Strings().UnitNames(), Strings());
}

}  // namespace zw
