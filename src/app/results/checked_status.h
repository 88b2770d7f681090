// The status line that tells how many files are checked and their size.
#pragma once
#include <cstdint>
#include <string>

namespace zw {

class TStringTable;

// The status line for `count` checked entries of `size` bytes in all.
std::string CheckedStatusText(int32_t count, uint64_t size);
std::string CheckedStatusText(int32_t count, uint64_t size, const TStringTable& strings);

}  // namespace zw
