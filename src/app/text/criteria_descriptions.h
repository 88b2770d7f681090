// The one-line descriptions of the four comparison criteria, as the labels
// beside the criterion boxes show them (lblFilename, lblSize, lblDate,
// lblContent): "complete name, ignore case", "exactly", "complete date,
// exactly", "complete file, fingerprint (crc)" in the factory state.
#pragma once
#include <string>

#include "app/text/string_table.h"
#include "engine/common/criteria_options.h"

namespace zw {

// "complete name", "chars 2 to 4", "first 4 chars", "last 4 chars",
// "all chars before the first occurence of "."" ..., then ", ignore case" or
// ", case-sensitive".
std::string DescribeFilename(const TAdvFilenameOptions& options,
                             const TStringTable& texts = Strings());

// "exactly", or "± 4 kB": the tolerance in its unit with the unit's short name.
std::string DescribeSize(const TAdvSizeOptions& options, const TByteUnitNames& shortUnitNames,
                         const TStringTable& texts = Strings());
std::string DescribeSize(const TAdvSizeOptions& options);  // the table's own unit names

// "complete date, exactly", "complete date, ± 2 days", or the parts:
// "time only", "day and month only", "time, day and year only".
std::string DescribeDate(const TAdvDateOptions& options, const TStringTable& texts = Strings());

// The range ("complete file", "kbytes 0 to 3", "first 4 kbytes", "last 4
// kbytes"), " seen from end" for the range counted from the end, then the
// methods (", fingerprint (crc)", ", byte-per-byte comparison", or
// ", pick into the middle" when none is chosen).
std::string DescribeContent(const TAdvContentOptions& options, const TByteUnitNames& longUnitNames,
                            const TStringTable& texts = Strings());
std::string DescribeContent(const TAdvContentOptions& options);  // the table's own unit names

}  // namespace zw
