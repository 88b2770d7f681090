// Result lists for tests, built the way the duplicate search hands its sets
// over (TResultList::AddSet), and read back as short strings.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "engine/dupes/result_list.h"

namespace zwtest {

// One file of a set; `flags` are zw::fiflag bits.
struct F {
  std::string name;
  uint64_t size = 100;
  std::string path = "/data/";
  uint8_t flags = 0;
  zw::platform::FileTime time = 0;
  uint32_t crc = 0;
};

// An entry inside an archive (as a scan of a ZIP file lists it).
inline constexpr uint8_t kZipped = zw::fiflag::kInArchive | zw::fiflag::kInZip;

inline void AddSets(zw::TResultList& list, std::initializer_list<std::initializer_list<F>> sets) {
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
      info->Flags = f.flags;
      *tail = info;
      tail = &info->Next;
    }
    list.AddSet(head);
  }
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

// The names in list order, separated by blanks.
inline std::string Names(const zw::TResultList& list) {
  std::string out;
  for (const zw::TResultEntry* e : list.Items()) out += (out.empty() ? "" : " ") + e->Name;
  return out;
}

inline void Select(zw::TResultList& list, std::initializer_list<int> rows) {
  for (int r : rows) list.Item(r)->Flags |= zw::reflag::kSelected;
}

inline void SetChecked(zw::TResultList& list, std::initializer_list<int> rows) {
  for (int r : rows) list.Check(list.Item(r));
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
