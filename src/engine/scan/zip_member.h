// One member of a ZIP archive unpacked as it is read (stored or deflated):
// the kept copy that proves, before a file is removed, that an archive holds
// every byte of it. The member's data is checked as it goes: it must unpack
// to exactly the size and CRC32 that the central directory records, else
// the last read fails. Encrypted members and other methods cannot be read.
//
//   TZipMemberSource member;
//   if (member.Open("/backup/b.zip", "photos/2004/", "x.jpg")) {
//     TFileByteSource file(f);
//     same = CompareByteSources(member, file) == TSameBytes::Same;
//   }
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/common/byte_source.h"
#include "engine/scan/zip_reader.h"
#include "platform/files.h"

namespace zw {

class TZipMemberSource : public IByteSource {
 public:
  TZipMemberSource();
  ~TZipMemberSource() override;
  TZipMemberSource(const TZipMemberSource&) = delete;
  TZipMemberSource& operator=(const TZipMemberSource&) = delete;

  // Finds the first member whose folder part and file name, in the form the
  // entries of a scan show them (ZipMemberPlace), are `folder` and `name`,
  // and positions at its data. False when the archive cannot be read, holds
  // no such member, or the member cannot be unpacked.
  bool Open(const std::string& archivePath, const std::string& folder, const std::string& name);
  // The unpacked size the directory records.
  uint64_t Size() const { return header_.uncompressedSize; }

  bool Read(void* buffer, size_t count, size_t& got) override;

 private:
  bool ReadPacked(void* buffer, size_t count, size_t& got);
  bool Finish();

  struct TInflate;
  platform::File file_;
  uint64_t fileSize_ = 0;
  TZipCentralHeader header_;
  uint64_t dataPos_ = 0;   // next packed byte in the archive
  uint64_t packedLeft_ = 0;
  uint64_t produced_ = 0;  // unpacked bytes handed out
  uint32_t crc_ = 0;
  bool ended_ = false;
  bool failed_ = false;
  std::unique_ptr<TInflate> inflate_;
};

}  // namespace zw
