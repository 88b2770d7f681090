// Commands on one entry of the result list or on its selection: launch the
// file, open its folder or the folders of its group, rename it in place, and
// compute missing CRC32 checksums. Entries inside an archive or catalog file
// take part in none of them, except that opening the folder of an entry
// inside a ZIP archive opens the archive file.
#pragma once
#include <cstdint>
#include <string>

#include "app/host.h"
#include "app/window_model.h"
#include "engine/common/messages.h"
#include "engine/dupes/result_list.h"
#include "platform/errors.h"
#include "app/text_ids.h"

namespace zw {

class TSingleFileCommands {
 public:
  // Names at least this long are edited whole even with hidden extensions.
  static constexpr size_t kHideExtensionNameLimit = 261;

  TSingleFileCommands(IHost& host, IMessenger& messenger, TWindowModel& model, TResultList& list);

  // Opens the entry's file with its default program, its folder as the
  // working folder. False for no entry, an archive entry or a failed open
  // (msgCouldNotOpen).
  bool LaunchFile(int32_t row);
  // Opens the entry's folder; for an entry inside a ZIP archive the archive
  // file (the path before its last ">"). False for no entry, a catalog entry
  // or a failed open.
  bool OpenDirectory(int32_t row);
  // Opens each folder of the row's group once (same path by the platform's
  // path identity), from the group's first row on, stopping at the group's
  // end or at its first entry inside an archive or catalog. Returns how many
  // folders were opened.
  int OpenAllDirsOfGroup(int32_t row);

  // Start of a rename: false for no entry or an archive entry. `text` gets
  // the text to edit: with hidden extensions (and a name shorter than 261
  // characters) the name without its last extension, else the whole name.
  bool RenameEditText(int32_t row, std::string& text);
  // End of a rename with the typed name: restores a hidden extension, asks
  // askRenameForgotExtension when the typed name lost the old extension,
  // and renames the file within its folder without ever replacing another
  // file. True when the file was renamed (the entry then carries the new
  // name); false when nothing was to be done or the rename failed (message
  // by the kind of failure, the entry keeps its name).
  bool RenameFinish(int32_t row, const std::string& typedName);

  // Computes CRC32 and middle sample for every selected ordinary entry
  // without a valid CRC32 and stores both (flags CRC32 valid and sample
  // valid); unreadable files are left as they were. Returns how many
  // entries got their checksum.
  int CalculateCrc();

  // The last "." of a name and what follows it; empty without a ".".
  static std::string NameExtension(const std::string& name);

 private:
  // The entry of a row, null when out of range.
  TResultEntry* Entry(int32_t row) const;
  // Opens with the shell; shows msgCouldNotOpen on failure.
  bool ShellOpen(const std::string& target, const std::string& workingFolder);
  // Whether the edit of this name hides its extension.
  bool HidesExtension(const std::string& name) const;
  void RenameFailed(const platform::OsError& err);

  IHost& host_;
  IMessenger& messenger_;
  TWindowModel& model_;
  TResultList& list_;
};

}  // namespace zw
