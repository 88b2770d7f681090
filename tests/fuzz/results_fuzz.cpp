// Fuzz target of the result list file loader: the input is written to a file
// (the loader works on files) and loaded. A loaded list must hold what the
// header promised, every set's chain must hold exactly its own entries, and
// the list written back by the program's own writer must load to the same
// entries.
#include <string>

#include "engine/dupes/result_list_file.h"
#include "engine/common/le_bytes.h"
#include "fuzz_driver.h"

namespace {

bool SameEntry(const zw::TResultEntry& a, const zw::TResultEntry& b) {
  return a.Set == b.Set && a.Name == b.Name && a.Path == b.Path && a.Size == b.Size &&
         a.Time == b.Time && a.Attributes == b.Attributes && a.Crc == b.Crc &&
         a.Sample == b.Sample && a.Flags == b.Flags;
}

// Every set's chain, walked at most as far as the list is long, holds
// entries of that set only, and the chains together hold every entry.
void CheckChains(const zw::TResultList& list) {
  const int32_t items = list.ItemCount();
  int64_t chained = 0;
  for (int32_t s = 0; s < list.SetCount(); ++s) {
    for (const zw::TResultEntry* e = list.SetHead(s); e; e = e->Next) {
      if (e->Set != static_cast<uint32_t>(s) || ++chained > items) __builtin_trap();
    }
  }
  if (chained != items) __builtin_trap();
}

}  // namespace

int ZwFuzzOne(const uint8_t* data, size_t size) {
  const std::string path = ZwFuzzInputFile(data, size, "results", ".zwr");
  if (path.empty()) return 0;

  zw::TResultList list;
  uint16_t flags = 0;
  int32_t focused = 0;
  int errorCode = 0;
  const int code = zw::LoadResultList(list, path, &flags, &focused, errorCode);
  if (code < zw::rlOpenFailed || code > zw::rlLoaded) __builtin_trap();
  if (code != zw::rlLoaded) {
    if (list.ItemCount() != 0) __builtin_trap();  // a failure leaves nothing behind
    return 0;
  }

  // What the header promised, each record at least its fixed size.
  const int32_t items = list.ItemCount();
  if (items <= 0 || static_cast<uint32_t>(items) != zw::le::Get32(data + 10)) __builtin_trap();
  if (static_cast<uint64_t>(items) * zw::kResultRecordSizeV0 > size - zw::kResultHeaderSize)
    __builtin_trap();
  uint64_t strings = 0;
  for (const zw::TResultEntry* e : list.Items()) {
    if (!e || e->Set >= static_cast<uint32_t>(list.SetCount())) __builtin_trap();
    strings += e->Path.size() + e->Name.size();
  }
  if (strings > size) __builtin_trap();
  CheckChains(list);

  // Written back in the current version and loaded again: the same entries.
  std::string out = zw::ResultFileHeader(flags, static_cast<uint32_t>(items),
                                         static_cast<uint32_t>(list.SetCount()),
                                         static_cast<uint32_t>(focused), list.GroupingMode());
  for (const zw::TResultEntry* e : list.Items()) zw::AppendResultRecord(out, *e);
  const std::string again = ZwFuzzInputFile(reinterpret_cast<const uint8_t*>(out.data()),
                                            out.size(), "results", ".zwr");
  zw::TResultList reloaded;
  if (zw::LoadResultList(reloaded, again, nullptr, nullptr, errorCode) != zw::rlLoaded ||
      reloaded.ItemCount() != items || reloaded.GroupingMode() != list.GroupingMode())
    __builtin_trap();
  for (int32_t i = 0; i < items; ++i)
    if (!SameEntry(*list.Item(i), *reloaded.Item(i))) __builtin_trap();
  return 0;
}

#ifdef ZW_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return ZwFuzzOne(data, size);
}
#endif
