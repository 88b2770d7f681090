#include "engine/scan/zip_member.h"

#include <zlib.h>

#include <algorithm>

#include "engine/common/crc32.h"
#include "engine/common/le_bytes.h"
#include "engine/common/read_window.h"

namespace zw {

namespace {

constexpr uint32_t kLocalSig = 0x04034B50;
constexpr size_t kLocalSize = 30;
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;
constexpr uint16_t kEncrypted = 0x0001;
constexpr size_t kInputPiece = 64 * 1024;

}  // namespace

struct TZipMemberSource::TInflate {
  z_stream stream{};
  std::vector<uint8_t> input = std::vector<uint8_t>(kInputPiece);
  bool ready = false;
  bool streamEnd = false;
  ~TInflate() {
    if (ready) inflateEnd(&stream);
  }
};

TZipMemberSource::TZipMemberSource() = default;
TZipMemberSource::~TZipMemberSource() = default;

bool TZipMemberSource::Open(const std::string& archivePath, const std::string& folder,
                            const std::string& name) {
  TZipReader reader;
  if (!reader.Open(archivePath)) return false;
  bool found = false;
  auto match = [&](const TZipCentralHeader& h, const std::string& raw) {
    if (found) return;
    std::string f, n;
    if (!ZipMemberPlace(raw, (h.flags & 0x0800) != 0, f, n)) return;
    if (f == folder && n == name) {
      header_ = h;
      found = true;
    }
  };
  while (!found && reader.ReadEntry(match)) {
  }
  reader.Close();
  if (!found) return false;
  if ((header_.flags & kEncrypted) != 0) return false;
  if (header_.method != kStored && header_.method != kDeflated) return false;
  if (header_.method == kStored && header_.compressedSize != header_.uncompressedSize) return false;

  platform::OsError err;
  if (!file_.OpenRead(archivePath, err) || !file_.Size(fileSize_, err)) return false;
  uint8_t local[kLocalSize];
  if (header_.localHeaderOffset > fileSize_ || fileSize_ - header_.localHeaderOffset < kLocalSize ||
      !ReadFully(file_, header_.localHeaderOffset, local, sizeof local, err))
    return false;
  if (le::Get32(local) != kLocalSig) return false;
  const uint64_t start =
      header_.localHeaderOffset + kLocalSize + le::Get16(local + 26) + le::Get16(local + 28);
  if (start > fileSize_ || header_.compressedSize > fileSize_ - start) return false;
  dataPos_ = start;
  packedLeft_ = header_.compressedSize;
  produced_ = 0;
  crc_ = 0;
  ended_ = failed_ = false;
  if (header_.method == kDeflated) {
    inflate_ = std::make_unique<TInflate>();
    // Raw deflate data: no zlib header of its own.
    if (inflateInit2(&inflate_->stream, -MAX_WBITS) != Z_OK) return false;
    inflate_->ready = true;
  }
  return true;
}

bool TZipMemberSource::Finish() {
  ended_ = true;
  failed_ = produced_ != header_.uncompressedSize || crc_ != header_.crc32;
  return !failed_;
}

bool TZipMemberSource::Read(void* buffer, size_t count, size_t& got) {
  got = 0;
  if (failed_ || !file_.IsOpen()) return false;
  if (ended_ || count == 0) return true;
  if (!ReadPacked(buffer, count, got)) {
    failed_ = true;
    return false;
  }
  produced_ += got;
  if (produced_ > header_.uncompressedSize) {
    failed_ = true;  // more than the directory says: not the member it lists
    return false;
  }
  crc_ = Crc32Update(crc_, buffer, got);
  // The end is told by a read that hands out nothing.
  if (got == 0) return Finish();
  return true;
}

bool TZipMemberSource::ReadPacked(void* buffer, size_t count, size_t& got) {
  platform::OsError err;
  if (header_.method == kStored) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(count, packedLeft_));
    if (want == 0) return true;
    if (!ReadFully(file_, dataPos_, buffer, want, err)) return false;
    dataPos_ += want;
    packedLeft_ -= want;
    got = want;
    return true;
  }
  if (inflate_->streamEnd) return true;
  z_stream& z = inflate_->stream;
  z.next_out = static_cast<Bytef*>(buffer);
  z.avail_out = static_cast<uInt>(std::min<size_t>(count, 1u << 30));
  const uInt asked = z.avail_out;
  while (z.avail_out == asked) {
    if (z.avail_in == 0 && packedLeft_ > 0) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(kInputPiece, packedLeft_));
      if (!ReadFully(file_, dataPos_, inflate_->input.data(), want, err)) return false;
      dataPos_ += want;
      packedLeft_ -= want;
      z.next_in = inflate_->input.data();
      z.avail_in = static_cast<uInt>(want);
    }
    const int rc = inflate(&z, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) {
      inflate_->streamEnd = true;
      break;
    }
    if (rc != Z_OK) {
      // Z_BUF_ERROR with input left over or none to come: the data is cut.
      return false;
    }
    if (z.avail_in == 0 && packedLeft_ == 0 && z.avail_out == asked) return false;
  }
  got = asked - z.avail_out;
  return true;
}

}  // namespace zw
