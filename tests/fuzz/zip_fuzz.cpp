// Fuzz target of the ZIP reader: the input is written to a file (the reader
// works on files) and read as an archive, first header by header, then as the
// browse thread reads it, into entries.
#include <cstdio>
#include <string>

#include "engine/scan/zip_reader.h"
#include "fuzz_driver.h"

int ZwFuzzOne(const uint8_t* data, size_t size) {
  const std::string path = ZwFuzzInputFile(data, size, "zip", ".zip");
  if (path.empty()) return 0;

  zw::TZipReader reader;
  if (reader.Open(path)) {
    uint64_t n = 0;
    while (reader.ReadEntry([&](const zw::TZipCentralHeader& h, const std::string& name) {
      // What a caller may rely on: the name has the length its header says.
      if (name.size() != h.nameLength) __builtin_trap();
      ++n;
    })) {
    }
    if (n > reader.EntryCount()) __builtin_trap();
  }
  reader.Close();

  zw::TAttribFilter attrib;
  zw::TSizeFilter sizeFilter;
  zw::TNameFilter names;
  zw::TZWZipReader::TTarget target;
  target.attribFilter = &attrib;
  target.sizeFilter = &sizeFilter;
  target.nameFilter = &names;
  uint64_t produced = 0;
  target.emit = [&](zw::TFileInfos* e) {
    if (e->Name.empty() || e->Path.str().find('>') == std::string::npos) __builtin_trap();
    ++produced;
    zw::FreeFileInfos(e);
  };
  zw::TZWZipReader::ReadInto(path, false, target);
  if (attrib.notMask != 0) __builtin_trap();  // the folder bit must be given back
  return 0;
}

#ifdef ZW_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return ZwFuzzOne(data, size);
}
#endif
