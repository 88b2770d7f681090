// The four "advanced..." dialogs of the comparison options as models:
// TFrmAdvFilename, TFrmAdvSize, TFrmAdvDate and TFrmAdvContent without their
// windows. A window shows the fields, writes back what the user types, calls
// the event operations (a field left, a key, a spin button, a unit chosen)
// and on OK calls OK(record); the program without a window drives the same
// models from its long options, so both say the same things about the same
// input.
//
// Number fields hold their value beside their text. Whole-number fields
// (file name 1..260, days 1..10675199) hold it as a number; byte-count
// fields are size edits (TSizeEditModel) whose value is in bytes and whose
// text counts in their own unit (the unit box beside them is the edit's
// `unit`). The largest byte count a field takes in unit i is
// (2^63 - 1) >> 10·i, so that the bytes fit a signed 64-bit number.
//
// Checks:
//  - silent (a field left, before a key steps, a unit changed): a number
//    takes effect, clamped to the field's range; the text is rewritten only
//    when the number was within the range. Anything else changes nothing.
//  - on OK: text that is no number shows msgInvalidNumberEnterBetween (whole
//    numbers, with the two bounds) or msgInvalidNumber (byte counts); a
//    number out of range asks msgNumberOutOfRange with the number typed and
//    the bound, default OK: OK takes the bound, Cancel keeps the dialog open
//    (the held value is the bound either way). Either way the field at fault
//    is focused (`focus`) with its text selected.
// OK stores the record only when every check passed; Cancel is the window's
// business and changes nothing.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "app/size_edit.h"
#include "app/window_model.h"
#include "engine/common/criteria_options.h"
#include "engine/common/messages.h"
#include "app/text_ids.h"

namespace zw {

// A whole-number field: its text and the value it holds.
struct TNumberEditModel {
  std::string text;
  int64_t value = 0;
  int32_t selStart = 0;  // selected text, applied when the field is focused
  int32_t selLength = 0;
};

// Bounds of the number fields.
inline constexpr int64_t kAdvCharsMin = 1;
inline constexpr int64_t kAdvCharsMax = 260;
inline constexpr int64_t kAdvDaysMin = 1;
inline constexpr int64_t kAdvDaysMax = 10675199;

// Steps of the keys in a number field (Up/Down 1, Page Up/Down 10; Enter
// selects the text) and of the spin buttons (whole numbers 1, byte counts 10
// units).
using TNumberKey = TSizeKey;

// --- TFrmAdvFilename ---------------------------------------------------------------------------

class TAdvFilenameModel {
 public:
  enum class Control : uint8_t {
    None, RBComplete, RBNToN, RBFirstLast, RBOcc,
    ECharsN1, ECharsN2, CBFirstLast, EFirstLast, CBOccFirstLast, CBOccBeforeAfter, EOcc,
    CBIgnoreCase,
  };
  enum class Radio : uint8_t { RBComplete, RBNToN, RBFirstLast, RBOcc };

  explicit TAdvFilenameModel(IMessenger& msgr);

  // Fills the fields from the record; fields the record does not load keep
  // what they hold (at first the defaults: chars 2 to 4, first 4, ".").
  void Load(const TAdvFilenameOptions& record);
  // Fields of an unselected radio button are disabled.
  bool Enabled(Control control) const;

  // Typing into EOcc: it holds one character, lower-cased while
  // CBIgnoreCase is checked.
  void OccTyped(std::string_view typed);
  void FieldLeft(Control field);
  void FieldKey(Control field, TNumberKey key);
  void Spin(Control field, bool down);

  // Checks the fields of the selected radio button; a reversed range of
  // chars asks askSwapRangeValues (OK swaps, Cancel keeps the dialog open);
  // RBOcc with EOcc empty shows msgNoSeparatorChar and focuses EOcc. True:
  // `record` holds the dialog's settings.
  bool OK(TAdvFilenameOptions& record);

  Radio radio = Radio::RBComplete;
  TNumberEditModel ECharsN1, ECharsN2;  // chars N to M
  bool CBFirstLast = false;             // false "first", true "last"
  TNumberEditModel EFirstLast;          // N chars
  bool CBOccFirstLast = false;          // false "first", true "last"
  bool CBOccBeforeAfter = false;        // false "before", true "after"
  std::string EOcc = ".";
  bool CBIgnoreCase = true;
  Control focus = Control::None;  // set where a check failed

 private:
  TNumberEditModel* Field(Control field);
  bool Check(Control field);
  IMessenger& msgr_;
};

// --- TFrmAdvSize -------------------------------------------------------------------------------

class TAdvSizeModel {
 public:
  enum class Control : uint8_t {
    None, RBExactly, RBTolerant, ETolerance, CBToleranceUnit, SBTolerance,
  };

  explicit TAdvSizeModel(IMessenger& msgr);

  // A tolerant record selects RBTolerant and shows its tolerance; an exact
  // one selects RBExactly and leaves the tolerance as the dialog holds it
  // (at first 4 kbytes).
  void Load(const TAdvSizeOptions& record);
  bool Enabled(Control control) const;

  void ToleranceLeft();
  void ToleranceKey(TNumberKey key);
  void ToleranceSpin(bool down);
  // CBToleranceUnit: the text is read again in the new unit.
  void ToleranceUnitChanged(uint8_t unit);

  // Checks ETolerance when RBTolerant is selected (at least 1 unit).
  bool OK(TAdvSizeOptions& record);

  bool RBTolerant = false;    // false: RBExactly
  TSizeEditModel ETolerance;  // its unit is CBToleranceUnit
  Control focus = Control::None;

 private:
  IMessenger& msgr_;
};

// --- TFrmAdvDate -------------------------------------------------------------------------------

class TAdvDateModel {
 public:
  enum class Control : uint8_t {
    None, RBComplete, RBPartly, CBMayDiffer, EMayDiffer, SBMayDiffer,
    CBTime, CBDay, CBMonth, CBYear,
  };

  explicit TAdvDateModel(IMessenger& msgr);

  void Load(const TAdvDateOptions& record);
  // The tolerance field and its spin button are enabled only while
  // RBComplete and CBMayDiffer are both checked, CBMayDiffer while RBComplete
  // is, the four part boxes while RBPartly is.
  bool Enabled(Control control) const;

  void DaysLeft();
  void DaysKey(TNumberKey key);
  void DaysSpin(bool down);

  // RBPartly with no part checked focuses CBTime and shows
  // msgNoDatePartsChecked; all four parts store the complete date, exactly.
  bool OK(TAdvDateOptions& record);

  bool RBPartly = false;  // false: RBComplete
  bool CBMayDiffer = false;
  TNumberEditModel EMayDiffer;  // days
  bool CBTime = false, CBDay = false, CBMonth = false, CBYear = false;
  Control focus = Control::None;

 private:
  IMessenger& msgr_;
};

// --- TFrmAdvContent ----------------------------------------------------------------------------

class TAdvContentModel {
 public:
  enum class Control : uint8_t {
    None, CBFingerprint, CBBpB, lblCBPiM, RBComplete, RBNToN, RBFirstLast,
    EBytesN1, EBytesN2, CBNToNUnit, CBNToNFromEnd, SBBytesN1, SBBytesN2,
    CBFirstLast, EFirstLast, CBFirstLastUnit, SBFirstLast,
  };
  enum class Radio : uint8_t { RBComplete, RBNToN, RBFirstLast };

  explicit TAdvContentModel(IMessenger& msgr);

  void Load(const TAdvContentOptions& record);
  // lblCBPiM ("pick into the middle") is a box that is always checked and
  // never enabled; CBNToNFromEnd belongs to RBNToN.
  bool Enabled(Control control) const;

  // field: EBytesN1, EBytesN2 or EFirstLast.
  void FieldLeft(Control field);
  void FieldKey(Control field, TNumberKey key);
  void Spin(Control field, bool down);
  // box: CBNToNUnit (both range fields) or CBFirstLastUnit.
  void UnitChanged(Control box, uint8_t unit);

  // Checks the fields of the selected radio button; a reversed range asks
  // askSwapRangeValues with "number unit" texts (OK swaps, Cancel keeps the
  // dialog open).
  bool OK(TAdvContentOptions& record);

  bool CBFingerprint = true;
  bool CBBpB = false;
  Radio radio = Radio::RBComplete;
  TSizeEditModel EBytesN1, EBytesN2;  // their unit is CBNToNUnit
  bool CBNToNFromEnd = false;
  bool CBFirstLast = false;           // false "first", true "last"
  TSizeEditModel EFirstLast;          // its unit is CBFirstLastUnit
  Control focus = Control::None;

 private:
  TSizeEditModel* Field(Control field);
  bool Check(Control field);
  IMessenger& msgr_;
};

}  // namespace zw
