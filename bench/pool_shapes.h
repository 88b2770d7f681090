// Inputs of the shapes that make a naive file pool quadratic, for the pool
// benchmark: the settings of the scan and its fresh and library entries.
//
//   zw::poolshapes::TShape shape = zw::poolshapes::MakeShape(zw::poolshapes::TShapeKind::OneSizeBucket, 100000);
//   zw::TSearchSettings s = zw::MakeSearchSettings(shape.settings);
//   ... CreatePool(s, ChooseKeys(s), context) ...
//   for (auto& e : shape.fresh) pool->AddFresh(e.release());
//   for (auto& e : shape.library) pool->AddLibrary(e.release());
//   pool->Finish(results);
#pragma once
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/dupes/criteria.h"
#include "engine/common/file_infos.h"
#include "platform/filetime.h"

namespace zw::poolshapes {

enum class TShapeKind {
  // Size only; n distinct sizes that all fall into one size bucket (every
  // tenth size twice, so there are sets).
  OneSizeBucket,
  // Size and date; n files of one size with dates from a few thousand values:
  // one group sorted by the date.
  OneSizeDates,
  // Content (first 4 kbytes) is the only criterion: one candidate set of all files.
  ContentOnly,
  // Size, date within 1 day and file name; one size, many dates and names;
  // n fresh files and n library files that must each find their place in a
  // group of n files.
  LibraryInOneGroup,
  // Size within 4 kbytes and date within 1 day (both tolerant, so the size
  // is the tolerant primary key); n fresh files of distinct sizes (n groups)
  // and n library files.
  LibraryAgainstManyGroups,
  // File name (complete, ignore case) and size; names with one long shared
  // prefix: one name bucket.
  SharedNamePrefix,
};

inline const char* ShapeName(TShapeKind kind) {
  switch (kind) {
    case TShapeKind::OneSizeBucket: return "one size bucket";
    case TShapeKind::OneSizeDates: return "one size, date key";
    case TShapeKind::ContentOnly: return "content only";
    case TShapeKind::LibraryInOneGroup: return "library files in one large group";
    case TShapeKind::LibraryAgainstManyGroups: return "library files against many groups";
    case TShapeKind::SharedNamePrefix: return "names with a shared prefix";
  }
  return "?";
}

inline std::vector<TShapeKind> AllShapes() {
  return {TShapeKind::OneSizeBucket,     TShapeKind::OneSizeDates,
          TShapeKind::ContentOnly,       TShapeKind::LibraryInOneGroup,
          TShapeKind::LibraryAgainstManyGroups, TShapeKind::SharedNamePrefix};
}

struct TShape {
  TCompareSettings settings;
  platform::FileTime nowLocal = 0;  // the local time the date pool measures ages from
  std::vector<std::unique_ptr<TFileInfos>> fresh;
  std::vector<std::unique_ptr<TFileInfos>> library;
};

// 2024-03-15 12:00:00 as a local FILETIME.
constexpr platform::FileTime kShapeNow = 133549776000000000ULL;
constexpr platform::FileTime kHour = 36000000000ULL;

inline std::unique_ptr<TFileInfos> MakeShapeEntry(uint32_t id, std::string name, uint64_t size,
                                                  platform::FileTime time, bool library) {
  auto e = std::make_unique<TFileInfos>();
  e->Name = std::move(name);
  e->Path = "shape/";
  e->Size = size;
  e->Time = time;
  e->Attr = id;  // an identity for checks
  e->Flags = library ? fiflag::kLibrary : 0;
  return e;
}

inline TShape MakeShape(TShapeKind kind, size_t n, uint32_t seed = 1) {
  std::mt19937_64 rng(seed);
  TShape shape;
  shape.nowLocal = kShapeNow;
  TCompareSettings& s = shape.settings;
  s = TCompareSettings{};
  auto pick = [&](uint64_t below) { return below == 0 ? 0 : rng() % below; };
  auto criteria = [&](bool f, bool sz, bool d, bool c) {
    s.checked = static_cast<TCompCriteria>((f ? ccFilename : 0) | (sz ? ccSize : 0) |
                                           (d ? ccDate : 0) | (c ? ccContent : 0));
  };
  uint32_t id = 0;
  switch (kind) {
    case TShapeKind::OneSizeBucket: {
      criteria(false, true, false, false);
      const uint64_t base = uint64_t{1} << 40;  // sizes base .. base + 2^39 - 1 share bucket 80
      for (size_t i = 0; i < n; ++i) {
        const uint64_t size = base + (i % 10 == 9 ? (i - 1) * 7919 : i * 7919) % (base / 2);
        shape.fresh.push_back(MakeShapeEntry(id++, "f" + std::to_string(i), size, kShapeNow, false));
      }
      break;
    }
    case TShapeKind::OneSizeDates: {
      criteria(false, true, true, false);
      for (size_t i = 0; i < n; ++i)
        shape.fresh.push_back(MakeShapeEntry(id++, "f" + std::to_string(i), 4096,
                                             kShapeNow - pick(4000) * kHour, false));
      break;
    }
    case TShapeKind::ContentOnly: {
      s.content.range = acFirstN;
      s.content.N = 4096;
      criteria(false, false, false, true);
      for (size_t i = 0; i < n; ++i)
        shape.fresh.push_back(MakeShapeEntry(id++, "f" + std::to_string(i), 4096 + pick(100000),
                                             kShapeNow, false));
      break;
    }
    case TShapeKind::LibraryInOneGroup: {
      s.date.complete = 1;
      s.date.mayDiffer = 1;
      s.date.days = 1;
      s.filename.ignoreCase = 1;
      criteria(true, true, true, false);
      auto name = [&] { return "n" + std::to_string(pick(n / 4 + 1)); };
      for (size_t i = 0; i < n; ++i)
        shape.fresh.push_back(
            MakeShapeEntry(id++, name(), 777, kShapeNow - pick(24 * 365) * kHour, false));
      for (size_t i = 0; i < n; ++i)
        shape.library.push_back(
            MakeShapeEntry(id++, name(), 777, kShapeNow - pick(24 * 365) * kHour, true));
      break;
    }
    case TShapeKind::LibraryAgainstManyGroups: {
      s.size.tolerant = 1;
      s.size.tolerance = 4096;
      s.size.unit = 1;
      s.date.mayDiffer = 1;
      s.date.days = 1;
      criteria(false, true, true, false);
      for (size_t i = 0; i < n; ++i)
        shape.fresh.push_back(MakeShapeEntry(id++, "f", 100000 + i * 97,
                                             kShapeNow - pick(24 * 30) * kHour, false));
      for (size_t i = 0; i < n; ++i)
        shape.library.push_back(MakeShapeEntry(id++, "l", 100000 + pick(n * 97),
                                               kShapeNow - pick(24 * 30) * kHour, true));
      break;
    }
    case TShapeKind::SharedNamePrefix: {
      s.filename.mode = afnComplete;
      s.filename.ignoreCase = 1;
      criteria(true, true, false, false);
      const std::string prefix(40, 'p');
      for (size_t i = 0; i < n; ++i)
        shape.fresh.push_back(MakeShapeEntry(id++, prefix + std::to_string(pick(n / 2 + 1)),
                                             pick(3), kShapeNow, false));
      break;
    }
  }
  return shape;
}

}  // namespace zw::poolshapes
