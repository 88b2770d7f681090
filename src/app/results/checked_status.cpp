#include "app/results/checked_status.h"

#include "app/text/string_table.h"
#include "app/text/text_format.h"
#include "platform/locale.h"
#include "app/text_ids.h"

namespace zw {

std::string CheckedStatusText(int32_t count, uint64_t size, const TStringTable& strings) {
  if (count == 0) return strings.Str(strCheckedCountZero);
  std::string suffix;
  if (platform::HaveByteSizeFormatter() && ((size < 1024 && size != 0) || size >= 1048576))
    suffix = " (" + platform::ByteSizeText(size) + ")";
  return Format(strings.Str(count == 1 ? strCheckedCountOne : strCheckedCount),
                {int64_t{count}, static_cast<int64_t>(size / 1024), suffix});
}

std::string CheckedStatusText(int32_t count, uint64_t size) {
  return CheckedStatusText(count, size, Strings());
}

}  // namespace zw
