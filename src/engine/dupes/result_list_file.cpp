#include "engine/dupes/result_list_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/common/le_bytes.h"
#include "platform/files.h"

namespace zw {

namespace {

void PutU8(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }

// Reads a file front to back through one buffer; `Read` fills exactly
// `count` bytes or reports how many it got before the end.
class TBufferedReader {
 public:
  explicit TBufferedReader(platform::File& file) : file_(file), buf_(new uint8_t[kSize]) {}

  bool Read(void* out, size_t count, size_t& got, platform::OsError& err) {
    got = 0;
    auto* dst = static_cast<uint8_t*>(out);
    while (got < count) {
      if (pos_ == len_) {
        if (count - got >= kSize) {  // large strings go straight through
          size_t n = 0;
          if (!file_.Read(dst + got, count - got, n, err)) return false;
          got += n;
          return true;
        }
        size_t n = 0;
        if (!file_.Read(buf_.get(), kSize, n, err)) return false;
        pos_ = 0;
        len_ = n;
        if (n == 0) return true;
      }
      const size_t take = std::min(count - got, len_ - pos_);
      std::memcpy(dst + got, buf_.get() + pos_, take);
      pos_ += take;
      got += take;
    }
    return true;
  }

 private:
  static constexpr size_t kSize = 64 * 1024;
  platform::File& file_;
  std::unique_ptr<uint8_t[]> buf_;
  size_t pos_ = 0;
  size_t len_ = 0;
};

}  // namespace

std::string ResultFileHeader(uint16_t flags, uint32_t entryCount, uint32_t setCount,
                             uint32_t focused, uint8_t groupingMode) {
  std::string out;
  out.reserve(kResultHeaderSize);
  out.append(kResultFileMagic, sizeof kResultFileMagic);
  le::Put16(out, kResultFileVersion);
  le::Put16(out, flags);
  le::Put32(out, entryCount);
  le::Put32(out, setCount);
  le::Put32(out, focused);
  PutU8(out, groupingMode);
  return out;
}

void AppendResultRecord(std::string& out, const TResultEntry& e) {
  out.reserve(out.size() + kResultRecordSizeV1 + e.Path.size() + e.Name.size());
  le::Put32(out, e.Set);
  le::Put32(out, static_cast<uint32_t>(e.Path.size()));
  le::Put32(out, static_cast<uint32_t>(e.Name.size()));
  le::Put64(out, e.Size);
  le::Put64(out, static_cast<uint64_t>(e.Time));
  le::Put32(out, e.Attributes);
  le::Put32(out, e.Crc);
  le::Put32(out, e.Sample);
  PutU8(out, e.Flags);
  out += e.Path;
  out += e.Name;
}

std::string ResultUtcTrailer(const std::vector<const TResultEntry*>& entries) {
  std::string out;
  out.reserve(sizeof kResultUtcMagic + 4 + 8 * entries.size());
  out.append(kResultUtcMagic, sizeof kResultUtcMagic);
  le::Put32(out, static_cast<uint32_t>(entries.size()));
  for (const TResultEntry* e : entries) le::Put64(out, static_cast<uint64_t>(e->TimeUtc()));
  return out;
}

int LoadResultList(TResultList& list, const std::string& path, uint16_t* headerFlags,
                   int32_t* focused, int& errorCode) {
  errorCode = 0;
  platform::File file;
  platform::OsError err;
  if (!file.OpenRead(path, err)) {
    errorCode = err.code;
    return rlOpenFailed;
  }
  uint64_t fileSize = 0;
  if (!file.Size(fileSize, err)) {
    errorCode = err.code;
    return rlOpenFailed;
  }
  TBufferedReader in(file);

  uint8_t head[kResultHeaderSize];
  size_t got = 0;
  if (!in.Read(head, sizeof head, got, err)) {
    errorCode = err.code;
    return rlOpenFailed;
  }
  if (got == 0) return rlEmpty;
  if (got < sizeof head || std::memcmp(head, kResultFileMagic, sizeof kResultFileMagic) != 0)
    return rlBadHeader;
  const uint16_t version = le::Get16(head + 6);
  if (version > kResultFileVersion) return rlNotSupported;
  const uint16_t flags = le::Get16(head + 8);
  const auto entryCount = static_cast<int32_t>(le::Get32(head + 10));
  const auto setCount = static_cast<int32_t>(le::Get32(head + 14));
  const auto focusedIndex = static_cast<int32_t>(le::Get32(head + 18));
  const uint8_t grouping = head[22];
  // Negative counts are refused along with the zero ones.
  if (entryCount <= 0 || setCount <= 0 || entryCount < setCount) return rlFormatError;

  if (headerFlags) *headerFlags = flags;
  if (focused) *focused = focusedIndex;

  const size_t recordSize = version == 0 ? kResultRecordSizeV0 : kResultRecordSizeV1;
  const uint64_t body = fileSize - kResultHeaderSize;
  TResultList::TGuard guard(list);
  // A file too short for its records fails as a cut record would, but before
  // anything is allocated for the count it claims.
  if (static_cast<uint64_t>(entryCount) > body / recordSize) {
    list.Clear();
    return rlFormatError;
  }
  list.Prepare(setCount, entryCount);

  uint64_t position = kResultHeaderSize;
  bool failed = false;
  uint8_t rec[kResultRecordSizeV1];
  std::string folderText, nameText;
  TFolderPath folder;
  for (int32_t i = 0; i < entryCount && !failed; ++i) {
    if (!in.Read(rec, recordSize, got, err) || got < recordSize) {
      failed = true;
      break;
    }
    position += recordSize;
    auto entry = std::make_unique<TResultEntry>();
    entry->Set = le::Get32(rec);
    const uint32_t pathLen = le::Get32(rec + 4);
    const uint32_t nameLen = le::Get32(rec + 8);
    entry->Size = le::Get64(rec + 12);
    entry->Time = static_cast<platform::FileTime>(le::Get64(rec + 20));
    if (version == 0) {
      entry->Attributes = 0;
      entry->Crc = le::Get32(rec + 28);
      entry->Sample = 0;
      entry->Flags = rec[32];
      if (flags & kResultFileHasCrc) entry->Flags |= reflag::kCrcValid;
    } else {
      entry->Attributes = le::Get32(rec + 28);
      entry->Crc = le::Get32(rec + 32);
      entry->Sample = le::Get32(rec + 36);
      entry->Flags = rec[40];
    }
    const uint64_t left = fileSize - position;
    if (entry->Set >= static_cast<uint32_t>(setCount) || pathLen > left ||
        nameLen > left - pathLen) {
      failed = true;
      break;
    }
    folderText.resize(pathLen);
    nameText.resize(nameLen);
    if (pathLen > 0 && (!in.Read(folderText.data(), pathLen, got, err) || got < pathLen)) {
      failed = true;
      break;
    }
    // The entries of one folder follow each other: they share its name.
    if (!(folder == folderText)) folder = folderText;
    entry->Path = folder;
    if (nameLen > 0 && (!in.Read(nameText.data(), nameLen, got, err) || got < nameLen)) {
      failed = true;
      break;
    }
    entry->Name = nameText;
    position += static_cast<uint64_t>(pathLen) + nameLen;
    if (!list.AppendEntry(entry.get())) {
      failed = true;
      break;
    }
    entry.release();  // the list owns it now
  }
  if (failed) {
    list.Clear();
    return rlFormatError;
  }
  // The UTC times, when the file carries exactly one per entry.
  const uint64_t trailer = sizeof kResultUtcMagic + 4 + 8 * static_cast<uint64_t>(entryCount);
  if (fileSize - position == trailer) {
    uint8_t head[sizeof kResultUtcMagic + 4];
    if (in.Read(head, sizeof head, got, err) && got == sizeof head &&
        std::memcmp(head, kResultUtcMagic, sizeof kResultUtcMagic) == 0 &&
        le::Get32(head + sizeof kResultUtcMagic) == static_cast<uint32_t>(entryCount)) {
      std::vector<uint8_t> times(8 * static_cast<size_t>(entryCount));
      if (in.Read(times.data(), times.size(), got, err) && got == times.size())
        for (int32_t i = 0; i < entryCount; ++i)
          list.Item(i)->SetTimeUtc(
              static_cast<platform::FileTime>(le::Get64(times.data() + 8 * static_cast<size_t>(i))));
    }
  }
  list.SetGroupingMode(grouping);
  return rlLoaded;
}

}  // namespace zw
