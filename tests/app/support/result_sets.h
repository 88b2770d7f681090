// Result lists for tests, built the way the duplicate search hands its sets
// over (TResultList::AddSet), and read back as short strings.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/dupes/result_list.h"
#include "platform/files.h"
#include "platform/filetime.h"
#include "platform/paths.h"

namespace zwtest {

// One file of a set; `flags` are zw::fiflag bits.
struct F {
  std::string name;
  uint64_t size = 100;
  std::string path = "/data/";
  uint8_t flags = 0;
  zw::platform::FileTime time = 0;
  uint32_t crc = 0;
  uint32_t attr = 0;
};

// An entry inside an archive (as a scan of a ZIP file lists it), and an
// entry of a catalog file.
inline constexpr uint8_t kZipped = zw::fiflag::kInArchive | zw::fiflag::kInZip;
inline constexpr uint8_t kCataloged = zw::fiflag::kInArchive;

inline void AddSets(zw::TResultList& list, const std::vector<std::vector<F>>& sets) {
  for (const auto& set : sets) {
    zw::TFileInfos* head = nullptr;
    zw::TFileInfos** tail = &head;
    for (const F& f : set) {
      auto* info = new zw::TFileInfos;
      info->Name = f.name;
      info->Path = f.path;
      info->Size = f.size;
      info->Time = f.time;
      info->Crc = f.crc;
      info->Attr = f.attr;
      info->Flags = f.flags;
      *tail = info;
      tail = &info->Next;
    }
    list.AddSet(head);
  }
}

// A file on disk as a scan lists it: name, folder, size, local time, attributes.
inline F OnDisk(const std::string& full) {
  zw::platform::FindData fd;
  zw::platform::OsError err;
  EXPECT_TRUE(zw::platform::GetFileInfo(full, fd, err)) << full;
  return {zw::platform::ExtractFileName(full), fd.size, zw::platform::ExtractFilePath(full), 0,
          zw::platform::UtcToLocal(fd.lastWriteUtc), 0, fd.attributes};
}

// The check marks in list order: "x" checked, "." not, "|" where the set
// shading changes.
inline std::string Checked(const zw::TResultList& list) {
  std::string out;
  const auto items = list.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0 && ((items[i - 1]->Flags ^ items[i]->Flags) & zw::reflag::kShaded)) out += '|';
    out += items[i]->IsChecked() ? 'x' : '.';
  }
  return out;
}

// The names in list order, separated by blanks, and by " | " where the set
// shading changes.
inline std::string Names(const zw::TResultList& list) {
  std::string out;
  const auto items = list.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += (items[i - 1]->Flags ^ items[i]->Flags) & zw::reflag::kShaded ? " | " : " ";
    out += items[i]->Name;
  }
  return out;
}

// The row of the entry called `name`, -1 when there is none.
inline int32_t RowOf(const zw::TResultList& list, const std::string& name) {
  for (int32_t i = 0; i < list.ItemCount(); ++i)
    if (list.Item(i)->Name == name) return i;
  return -1;
}

inline void Select(zw::TResultList& list, const std::vector<int>& rows) {
  for (int r : rows) list.Item(r)->Flags |= zw::reflag::kSelected;
}

inline void SetChecked(zw::TResultList& list, const std::vector<int>& rows) {
  for (int r : rows) list.Check(list.Item(r));
}

// Checks the entries marked "x" in a string of Checked's form.
inline void SetChecked(zw::TResultList& list, const char* marks) {
  int row = 0;
  for (; *marks; ++marks) {
    const char c = *marks;
    if (c == '|') continue;
    if (c == 'x') list.Check(list.Item(row));
    ++row;
  }
}

// The count and size the list keeps equal its checked entries, and no
// archive entry is checked.
inline ::testing::AssertionResult CountsHold(const zw::TResultList& list) {
  int32_t count = 0;
  uint64_t size = 0;
  for (const zw::TResultEntry* e : list.Items()) {
    if (!e->IsChecked()) continue;
    if (e->InArchive()) return ::testing::AssertionFailure() << e->Name << " is checked";
    ++count;
    size += e->Size;
  }
  if (list.CheckedCount() != count || list.CheckedSize() != size)
    return ::testing::AssertionFailure() << "kept " << list.CheckedCount() << "/"
                                         << list.CheckedSize() << ", counted " << count << "/"
                                         << size;
  return ::testing::AssertionSuccess();
}

}  // namespace zwtest
