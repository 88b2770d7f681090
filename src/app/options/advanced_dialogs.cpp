#include "app/options/advanced_dialogs.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "app/text/string_table.h"
#include "platform/paths.h"

namespace zw {

namespace {

constexpr uint8_t kLargestUnit = 6;  // Ebytes

unsigned ShiftOf(uint8_t unit) { return 10u * std::min(unit, kLargestUnit); }

template <class Field>
void SelectAll(Field& f) {
  f.selStart = 0;
  f.selLength = static_cast<int32_t>(f.text.size());
}

// --- whole-number fields ---

void SetWhole(TNumberEditModel& f, int64_t value) {
  f.value = value;
  f.text = std::to_string(value);
}

void SilentWhole(TNumberEditModel& f, int64_t lo, int64_t hi) {
  const std::optional<int64_t> typed = ParseSizeNumber(f.text);
  if (!typed) return;
  if (*typed < lo)
    f.value = lo;
  else if (*typed > hi)
    f.value = hi;
  else
    SetWhole(f, *typed);
}

bool CheckWhole(TNumberEditModel& f, int64_t lo, int64_t hi, IMessenger& msgr) {
  const std::optional<int64_t> typed = ParseSizeNumber(f.text);
  if (!typed) {
    SelectAll(f);
    msgr.ShowMsg(msgInvalidNumberEnterBetween, {lo, hi});
    return false;
  }
  int64_t value = *typed;
  if (value < lo || value > hi) {
    const int64_t bound = value < lo ? lo : hi;
    f.value = bound;
    SelectAll(f);
    if (msgr.AskMsg(msgNumberOutOfRange, ansOK, {value, bound}) != ansOK) return false;
    value = bound;
  }
  SetWhole(f, value);
  return true;
}

void StepWhole(TNumberEditModel& f, int64_t lo, int64_t hi, bool down, int64_t step) {
  const int64_t v = std::clamp(f.value, lo, hi);
  SetWhole(f, down ? (v - lo > step ? v - step : lo) : (hi - v > step ? v + step : hi));
}

void KeyWhole(TNumberEditModel& f, int64_t lo, int64_t hi, TNumberKey key) {
  SilentWhole(f, lo, hi);
  switch (key) {
    case TNumberKey::Up: StepWhole(f, lo, hi, false, 1); break;
    case TNumberKey::Down: StepWhole(f, lo, hi, true, 1); break;
    case TNumberKey::PageUp: StepWhole(f, lo, hi, false, 10); break;
    case TNumberKey::PageDown: StepWhole(f, lo, hi, true, 10); break;
    case TNumberKey::Enter: SelectAll(f); break;
  }
}

// --- byte-count fields ---

void SetBytes(TSizeEditModel& e, int64_t bytes, uint8_t unit) {
  e.unit = std::min(unit, kLargestUnit);
  e.bytes = static_cast<uint64_t>(std::max<int64_t>(bytes, 0));
  e.text = std::to_string(e.bytes >> ShiftOf(e.unit));
}

void SilentBytes(TSizeEditModel& e, int64_t minimum) {
  const std::optional<int64_t> typed = ParseSizeNumber(e.text);
  if (!typed) return;
  const int64_t value = std::clamp(*typed, minimum, SizeEditLimit(e.unit));
  e.bytes = static_cast<uint64_t>(value) << ShiftOf(e.unit);
  if (value == *typed) e.text = std::to_string(value);
}

bool CheckBytes(TSizeEditModel& e, int64_t minimum, IMessenger& msgr) {
  const std::optional<int64_t> typed = ParseSizeNumber(e.text);
  if (!typed) {
    SelectAll(e);
    msgr.ShowMsg(msgInvalidNumber);
    return false;
  }
  const int64_t limit = SizeEditLimit(e.unit);
  int64_t value = *typed;
  if (value < minimum || value > limit) {
    const int64_t bound = value < minimum ? minimum : limit;
    e.bytes = static_cast<uint64_t>(bound) << ShiftOf(e.unit);
    SelectAll(e);
    if (msgr.AskMsg(msgNumberOutOfRange, ansOK, {value, bound}) != ansOK) return false;
    value = bound;
  }
  e.bytes = static_cast<uint64_t>(value) << ShiftOf(e.unit);
  e.text = std::to_string(value);
  return true;
}

void KeyBytes(TSizeEditModel& e, int64_t minimum, TNumberKey key) {
  SilentBytes(e, minimum);
  switch (key) {
    case TNumberKey::Up: StepSizeEdit(e, false, 1, minimum); break;
    case TNumberKey::Down: StepSizeEdit(e, true, 1, minimum); break;
    case TNumberKey::PageUp: StepSizeEdit(e, false, 10, minimum); break;
    case TNumberKey::PageDown: StepSizeEdit(e, true, 10, minimum); break;
    case TNumberKey::Enter: SelectAll(e); break;
  }
}

void UnitBytes(TSizeEditModel& e, int64_t minimum, uint8_t unit) {
  e.unit = std::min(unit, kLargestUnit);
  SilentBytes(e, minimum);
}

// "4 kbytes": a byte field as the swap question names it.
std::string BytesText(const TSizeEditModel& e) {
  return e.text + " " + Strings().UnitName(e.unit);
}

}  // namespace

// --- TFrmAdvFilename ---------------------------------------------------------------------------

TAdvFilenameModel::TAdvFilenameModel(IMessenger& msgr) : msgr_(msgr) {
  SetWhole(ECharsN1, 2);
  SetWhole(ECharsN2, 4);
  SetWhole(EFirstLast, 4);
}

void TAdvFilenameModel::Load(const TAdvFilenameOptions& record) {
  switch (record.mode) {
    case afnComplete: radio = Radio::RBComplete; break;
    case afnCharsNToM:
      radio = Radio::RBNToN;
      SetWhole(ECharsN1, record.N);
      SetWhole(ECharsN2, record.M);
      break;
    case afnFirstN:
    case afnLastN:
      radio = Radio::RBFirstLast;
      CBFirstLast = record.mode == afnLastN;
      SetWhole(EFirstLast, record.N);
      break;
    case afnBeforeFirst:
    case afnAfterFirst:
    case afnBeforeLast:
    case afnAfterLast:
      radio = Radio::RBOcc;
      CBOccFirstLast = record.mode >= afnBeforeLast;
      CBOccBeforeAfter = record.mode == afnAfterFirst || record.mode == afnAfterLast;
      // A record without its character keeps the field as it is.
      if (record.c != 0) EOcc.assign(1, record.c);
      break;
    default:  // a mode no dialog writes: the complete name
      radio = Radio::RBComplete;
      break;
  }
  CBIgnoreCase = record.ignoreCase != 0;
  focus = Control::None;
}

bool TAdvFilenameModel::Enabled(Control control) const {
  switch (control) {
    case Control::ECharsN1:
    case Control::ECharsN2: return radio == Radio::RBNToN;
    case Control::CBFirstLast:
    case Control::EFirstLast: return radio == Radio::RBFirstLast;
    case Control::CBOccFirstLast:
    case Control::CBOccBeforeAfter:
    case Control::EOcc: return radio == Radio::RBOcc;
    default: return true;
  }
}

void TAdvFilenameModel::OccTyped(std::string_view typed) {
  EOcc = std::string(typed.substr(0, 1));
  if (CBIgnoreCase) EOcc = platform::LowerText(EOcc);
}

TNumberEditModel* TAdvFilenameModel::Field(Control field) {
  switch (field) {
    case Control::ECharsN1: return &ECharsN1;
    case Control::ECharsN2: return &ECharsN2;
    case Control::EFirstLast: return &EFirstLast;
    default: return nullptr;
  }
}

void TAdvFilenameModel::FieldLeft(Control field) {
  if (TNumberEditModel* f = Field(field)) SilentWhole(*f, kAdvCharsMin, kAdvCharsMax);
}

void TAdvFilenameModel::FieldKey(Control field, TNumberKey key) {
  if (TNumberEditModel* f = Field(field)) KeyWhole(*f, kAdvCharsMin, kAdvCharsMax, key);
}

void TAdvFilenameModel::Spin(Control field, bool down) {
  if (TNumberEditModel* f = Field(field)) StepWhole(*f, kAdvCharsMin, kAdvCharsMax, down, 1);
}

bool TAdvFilenameModel::Check(Control field) {
  focus = field;
  if (!CheckWhole(*Field(field), kAdvCharsMin, kAdvCharsMax, msgr_)) return false;
  focus = Control::None;
  return true;
}

bool TAdvFilenameModel::OK(TAdvFilenameOptions& record) {
  focus = Control::None;
  TAdvFilenameOptions r = record;
  switch (radio) {
    case Radio::RBComplete: r.mode = afnComplete; break;
    case Radio::RBNToN:
      if (!Check(Control::ECharsN1) || !Check(Control::ECharsN2)) return false;
      if (ECharsN1.value > ECharsN2.value) {
        if (msgr_.AskMsg(askSwapRangeValues, ansOK, {ECharsN1.text, ECharsN2.text}) != ansOK) {
          focus = Control::ECharsN1;
          return false;
        }
        std::swap(ECharsN1, ECharsN2);
      }
      r.mode = afnCharsNToM;
      r.N = static_cast<int32_t>(ECharsN1.value);
      r.M = static_cast<int32_t>(ECharsN2.value);
      break;
    case Radio::RBFirstLast:
      if (!Check(Control::EFirstLast)) return false;
      r.mode = CBFirstLast ? afnLastN : afnFirstN;
      r.N = static_cast<int32_t>(EFirstLast.value);
      break;
    case Radio::RBOcc:
      // The record needs exactly one character to look for.
      if (EOcc.empty()) {
        focus = Control::EOcc;
        msgr_.ShowMsg(msgNoSeparatorChar);
        return false;
      }
      r.mode = static_cast<uint8_t>(afnBeforeFirst + 2 * CBOccFirstLast + CBOccBeforeAfter);
      r.c = EOcc[0];
      break;
  }
  r.ignoreCase = CBIgnoreCase ? 1 : 0;
  record = r;
  return true;
}

// --- TFrmAdvSize -------------------------------------------------------------------------------

TAdvSizeModel::TAdvSizeModel(IMessenger& msgr) : msgr_(msgr) {
  SetBytes(ETolerance, int64_t{4} << 10, 1);
}

void TAdvSizeModel::Load(const TAdvSizeOptions& record) {
  RBTolerant = record.tolerant != 0;
  if (RBTolerant) SetBytes(ETolerance, record.tolerance, record.unit);
  focus = Control::None;
}

bool TAdvSizeModel::Enabled(Control control) const {
  switch (control) {
    case Control::ETolerance:
    case Control::CBToleranceUnit:
    case Control::SBTolerance: return RBTolerant;
    default: return true;
  }
}

void TAdvSizeModel::ToleranceLeft() { SilentBytes(ETolerance, 1); }
void TAdvSizeModel::ToleranceKey(TNumberKey key) { KeyBytes(ETolerance, 1, key); }
void TAdvSizeModel::ToleranceSpin(bool down) { StepSizeEdit(ETolerance, down, 10, 1); }
void TAdvSizeModel::ToleranceUnitChanged(uint8_t unit) { UnitBytes(ETolerance, 1, unit); }

bool TAdvSizeModel::OK(TAdvSizeOptions& record) {
  focus = Control::None;
  TAdvSizeOptions r = record;
  r.tolerant = RBTolerant ? 1 : 0;
  if (RBTolerant) {
    focus = Control::ETolerance;
    if (!CheckBytes(ETolerance, 1, msgr_)) return false;
    focus = Control::None;
    r.tolerance = static_cast<int64_t>(ETolerance.bytes);
    r.unit = ETolerance.unit;
  }
  record = r;
  return true;
}

// --- TFrmAdvDate -------------------------------------------------------------------------------

TAdvDateModel::TAdvDateModel(IMessenger& msgr) : msgr_(msgr) { SetWhole(EMayDiffer, 2); }

void TAdvDateModel::Load(const TAdvDateOptions& record) {
  RBPartly = record.complete == 0;
  if (!RBPartly) {
    CBMayDiffer = record.mayDiffer != 0;
    if (CBMayDiffer) SetWhole(EMayDiffer, record.days);
  } else {
    CBTime = (record.parts & adpTime) != 0;
    CBDay = (record.parts & adpDay) != 0;
    CBMonth = (record.parts & adpMonth) != 0;
    CBYear = (record.parts & adpYear) != 0;
  }
  focus = Control::None;
}

bool TAdvDateModel::Enabled(Control control) const {
  switch (control) {
    case Control::CBMayDiffer: return !RBPartly;
    case Control::EMayDiffer:
    case Control::SBMayDiffer: return !RBPartly && CBMayDiffer;
    case Control::CBTime:
    case Control::CBDay:
    case Control::CBMonth:
    case Control::CBYear: return RBPartly;
    default: return true;
  }
}

void TAdvDateModel::DaysLeft() { SilentWhole(EMayDiffer, kAdvDaysMin, kAdvDaysMax); }
void TAdvDateModel::DaysKey(TNumberKey key) { KeyWhole(EMayDiffer, kAdvDaysMin, kAdvDaysMax, key); }
void TAdvDateModel::DaysSpin(bool down) {
  StepWhole(EMayDiffer, kAdvDaysMin, kAdvDaysMax, down, 1);
}

bool TAdvDateModel::OK(TAdvDateOptions& record) {
  focus = Control::None;
  TAdvDateOptions r = record;
  if (!RBPartly) {
    r.complete = 1;
    r.mayDiffer = CBMayDiffer ? 1 : 0;
    if (CBMayDiffer) {
      focus = Control::EMayDiffer;
      if (!CheckWhole(EMayDiffer, kAdvDaysMin, kAdvDaysMax, msgr_)) return false;
      focus = Control::None;
      r.days = static_cast<uint32_t>(EMayDiffer.value);
    }
  } else {
    const uint8_t parts = static_cast<uint8_t>((CBTime ? adpTime : 0) | (CBDay ? adpDay : 0) |
                                               (CBMonth ? adpMonth : 0) | (CBYear ? adpYear : 0));
    if (parts == 0) {
      focus = Control::CBTime;
      msgr_.ShowMsg(msgNoDatePartsChecked);
      return false;
    }
    if (parts == (adpTime | adpDay | adpMonth | adpYear)) {
      r.complete = 1;  // every part: the complete date, exactly
      r.mayDiffer = 0;
    } else {
      r.complete = 0;
      r.parts = parts;
    }
  }
  record = r;
  return true;
}

// --- TFrmAdvContent ----------------------------------------------------------------------------

TAdvContentModel::TAdvContentModel(IMessenger& msgr) : msgr_(msgr) {
  SetBytes(EBytesN1, 0, 1);
  SetBytes(EBytesN2, int64_t{3} << 10, 1);
  SetBytes(EFirstLast, int64_t{4} << 10, 1);
}

void TAdvContentModel::Load(const TAdvContentOptions& record) {
  CBFingerprint = (record.methods & acmCRC32) != 0;
  CBBpB = (record.methods & acmByteByByte) != 0;
  switch (record.range) {
    case acBytesNToM:
    case acBytesNToMFromEnd:
      radio = Radio::RBNToN;
      SetBytes(EBytesN1, record.N, record.unit);
      SetBytes(EBytesN2, record.M, record.unit);
      CBNToNFromEnd = record.range == acBytesNToMFromEnd;
      break;
    case acFirstN:
    case acLastN:
      radio = Radio::RBFirstLast;
      CBFirstLast = record.range == acLastN;
      SetBytes(EFirstLast, record.N, record.unit);
      break;
    default: radio = Radio::RBComplete; break;
  }
  focus = Control::None;
}

bool TAdvContentModel::Enabled(Control control) const {
  switch (control) {
    case Control::lblCBPiM: return false;
    case Control::EBytesN1:
    case Control::EBytesN2:
    case Control::CBNToNUnit:
    case Control::CBNToNFromEnd:
    case Control::SBBytesN1:
    case Control::SBBytesN2: return radio == Radio::RBNToN;
    case Control::CBFirstLast:
    case Control::EFirstLast:
    case Control::CBFirstLastUnit:
    case Control::SBFirstLast: return radio == Radio::RBFirstLast;
    default: return true;
  }
}

TSizeEditModel* TAdvContentModel::Field(Control field) {
  switch (field) {
    case Control::EBytesN1:
    case Control::SBBytesN1: return &EBytesN1;
    case Control::EBytesN2:
    case Control::SBBytesN2: return &EBytesN2;
    case Control::EFirstLast:
    case Control::SBFirstLast: return &EFirstLast;
    default: return nullptr;
  }
}

namespace {
// The range fields start at byte 0; a count of bytes is at least 1.
int64_t MinimumOf(const TSizeEditModel* field, const TSizeEditModel& firstLast) {
  return field == &firstLast ? 1 : 0;
}
}  // namespace

void TAdvContentModel::FieldLeft(Control field) {
  if (TSizeEditModel* f = Field(field)) SilentBytes(*f, MinimumOf(f, EFirstLast));
}

void TAdvContentModel::FieldKey(Control field, TNumberKey key) {
  if (TSizeEditModel* f = Field(field)) KeyBytes(*f, MinimumOf(f, EFirstLast), key);
}

void TAdvContentModel::Spin(Control field, bool down) {
  if (TSizeEditModel* f = Field(field)) StepSizeEdit(*f, down, 10, MinimumOf(f, EFirstLast));
}

void TAdvContentModel::UnitChanged(Control box, uint8_t unit) {
  if (box == Control::CBNToNUnit) {
    UnitBytes(EBytesN1, 0, unit);
    UnitBytes(EBytesN2, 0, unit);
  } else if (box == Control::CBFirstLastUnit) {
    UnitBytes(EFirstLast, 1, unit);
  }
}

bool TAdvContentModel::Check(Control field) {
  focus = field;
  TSizeEditModel* f = Field(field);
  if (!CheckBytes(*f, MinimumOf(f, EFirstLast), msgr_)) return false;
  focus = Control::None;
  return true;
}

bool TAdvContentModel::OK(TAdvContentOptions& record) {
  focus = Control::None;
  TAdvContentOptions r = record;
  r.methods = static_cast<uint8_t>((CBFingerprint ? acmCRC32 : 0) | (CBBpB ? acmByteByByte : 0));
  switch (radio) {
    case Radio::RBComplete: r.range = acComplete; break;
    case Radio::RBNToN:
      EBytesN2.unit = EBytesN1.unit;  // one unit box serves both
      if (!Check(Control::EBytesN1) || !Check(Control::EBytesN2)) return false;
      if (EBytesN1.bytes > EBytesN2.bytes) {
        if (msgr_.AskMsg(askSwapRangeValues, ansOK, {BytesText(EBytesN1), BytesText(EBytesN2)}) !=
            ansOK) {
          focus = Control::EBytesN1;
          return false;
        }
        std::swap(EBytesN1, EBytesN2);
      }
      r.range = CBNToNFromEnd ? acBytesNToMFromEnd : acBytesNToM;
      r.N = static_cast<int64_t>(EBytesN1.bytes);
      r.M = static_cast<int64_t>(EBytesN2.bytes);
      r.unit = EBytesN1.unit;
      break;
    case Radio::RBFirstLast:
      if (!Check(Control::EFirstLast)) return false;
      r.range = CBFirstLast ? acLastN : acFirstN;
      r.N = static_cast<int64_t>(EFirstLast.bytes);
      r.unit = EFirstLast.unit;
      break;
  }
  record = r;
  return true;
}

}  // namespace zw
