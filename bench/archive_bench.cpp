// Times the catalog writer and reader, and the ZIP reader, as a scan uses
// them. Prints one line of figures per job.
//
//   archive_bench catalog N   writes a catalog of N result entries (checksums
//                             known, 100 files per folder, folders three
//                             deep) and reads it back into file entries
//   archive_bench zip FILE    reads an archive's members into file entries
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/common/messages.h"
#include "engine/dupes/catalog_writer.h"
#include "engine/scan/catalog_file.h"
#include "engine/scan/zip_reader.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

// Messages of the writer (none expected) are dropped.
class QuietMessenger : public zw::IMessenger {
 public:
  int ShowMsg(zw::TMsgID, const zw::TFmtArgs&) override { return 0; }
  int AskMsg(zw::TMsgID, int defaultAnswer, const zw::TFmtArgs&) override { return defaultAnswer; }
  void LogMsg(zw::TMsgID, const zw::TFmtArgs&) override {}
  void LogMsgExcept(zw::TMsgID, const zw::TFmtArgs&, std::shared_ptr<zw::TZWExceptInfo>) override {}
};

int Catalog(long n) {
  const std::string file =
      (std::filesystem::temp_directory_path() / "zwillo-bench-catalog.zwc").string();
  zw::TResultList list;
  list.Prepare(1, 0);
  for (long i = 0; i < n; ++i) {
    auto* e = new zw::TResultEntry;
    const long folder = i / 100;
    e->Path = "/bench/d" + std::to_string(folder / 1000) + "/e" + std::to_string(folder / 10 % 100) +
              "/f" + std::to_string(folder % 10) + "/";
    e->Name = "file-" + std::to_string(i) + ".jpg";
    e->Size = 1000 + static_cast<uint64_t>(i % 5000);
    e->Time = 132236208000000000ll + i * 10000000ll;
    e->Attributes = 0x20;
    e->Crc = static_cast<uint32_t>(i * 2654435761u);
    e->Sample = static_cast<uint32_t>(i);
    e->Flags = zw::reflag::kCrcValid | zw::reflag::kSampleValid;
    list.AppendEntry(e);
  }
  const long built = PeakRssMb();

  QuietMessenger messenger;
  zw::TCatFileOptions options;
  options.FileName = file;
  options.Data = zw::catdata::kChecksums;
  options.Paths = zw::catpaths::kAsNeeded;
  zw::TZWCatWriter writer(list, messenger);
  auto t0 = std::chrono::steady_clock::now();
  if (!writer.Write(options, true)) return 1;
  const double write = Seconds(t0);
  const auto bytes = std::filesystem::file_size(file);

  long read = 0;
  zw::TCatReadFilters filters;
  t0 = std::chrono::steady_clock::now();
  zw::TZWCatReader(file).Read(filters, [&](zw::TFileInfos* e) {
    ++read;
    zw::FreeFileInfos(e);
  });
  const double readSecs = Seconds(t0);
  std::filesystem::remove(file);
  std::printf(
      "catalog of %ld entries in %u folders: %.1f MB; write %.2f s (%.0f entries/s), "
      "read %.2f s (%.0f entries/s, %ld read); peak RSS %ld MB (%ld MB for the list)\n",
      n, writer.DirectoriesWritten(), bytes / 1e6, write, n / write, readSecs, read / readSecs,
      read, PeakRssMb(), built);
  return read == n ? 0 : 1;
}

int Zip(const std::string& path) {
  zw::TAttribFilter attrib;
  zw::TSizeFilter size;
  zw::TNameFilter names;
  zw::TZWZipReader::TTarget target;
  target.attribFilter = &attrib;
  target.sizeFilter = &size;
  target.nameFilter = &names;
  double best = 1e30;
  long members = 0;
  for (int round = 0; round < 3; ++round) {
    long n = 0;
    target.emit = [&](zw::TFileInfos* e) {
      ++n;
      zw::FreeFileInfos(e);
    };
    const auto t0 = std::chrono::steady_clock::now();
    zw::TZWZipReader::ReadInto(path, false, target);
    best = std::min(best, Seconds(t0));
    members = n;
  }
  std::printf("%ld %.4f %ld\n", members, best, PeakRssMb());
  return members > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "catalog") return Catalog(std::atol(argv[2]));
  if (argc == 3 && std::string(argv[1]) == "zip") return Zip(argv[2]);
  std::fprintf(stderr, "usage: archive_bench catalog N | archive_bench zip FILE\n");
  return 2;
}
