// Fuzz target of the catalog reader: the input is written to a file (the
// reader works on files), opened and walked record by record through the
// callback, then read as the browse thread reads it, into entries.
#include <cstdio>
#include <string>

#include "engine/scan/catalog_file.h"
#include "fuzz_driver.h"

int ZwFuzzOne(const uint8_t* data, size_t size) {
  const std::string path = ZwFuzzInputFile(data, size, "catalog", ".zwc");
  if (path.empty()) return 0;

  // Every record and block, answering yes to everything.
  {
    zw::TZWCatfile cat;
    const int code = cat.Open(path, true);
    if (code < zw::corOpenFailed || code > zw::corGood) __builtin_trap();
    if (code == zw::corGood) {
      uint64_t records = 0;
      auto cb = [&](int kind, const uint8_t* d, size_t n) {
        switch (kind) {
          case zw::crkRecordStart:
            if (n != zw::kCatRecordStartSize) __builtin_trap();
            break;
          case zw::crkFile: {
            zw::TCatFileRecord r;
            if (!zw::DecodeCatFileRecord(d, n, r)) __builtin_trap();
            break;
          }
          case zw::crkDirectory: {
            zw::TCatDirRecord r;
            if (!zw::DecodeCatDirRecord(d, n, r)) __builtin_trap();
            break;
          }
          case zw::crkBlockTag:
            if (n != 1 || d[0] == 0) __builtin_trap();
            break;
          case zw::crkBlock:
            if (n < 5 || n > size) __builtin_trap();
            break;
          default:
            __builtin_trap();
        }
        return true;
      };
      while (cat.ReadRecord(cb)) ++records;
      // every record takes at least 11 bytes of the input
      if (records > size / (zw::kCatRecordStartSize + 1)) __builtin_trap();
    }
  }

  // Into entries, with a filter whose folder bit must come back.
  zw::TAttribFilter attrib;
  attrib.notMask = 0x10 | 0x02;
  zw::TCatReadFilters filters;
  filters.attrib = &attrib;
  uint64_t produced = 0;
  zw::TZWCatReader reader(path);
  reader.Read(filters, [&](zw::TFileInfos* e) {
    if (e->Path.str().compare(0, reader.CatalogName().size() + 1, reader.CatalogName() + ">") != 0)
      __builtin_trap();
    if (e->Path.size() > zw::TZWCatReader::kMaxPath) __builtin_trap();
    if (!(e->Flags & zw::fiflag::kInArchive)) __builtin_trap();
    ++produced;
    zw::FreeFileInfos(e);
  });
  if (produced > size / zw::kCatFileRecordSize) __builtin_trap();
  if (attrib.notMask != (0x10u | 0x02u)) __builtin_trap();
  return 0;
}

#ifdef ZW_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return ZwFuzzOne(data, size);
}
#endif
