// TFrmCreateCatfile without its window: what goes into a catalog file of the
// result list. The window fills its controls from these fields and writes
// them back as the user changes them, calls Browse for the "..." button and
// Accept for OK, then hands the options to TMainForm::CreateCatfile.
#pragma once
#include <cstdint>
#include <string>

#include "app/host.h"
#include "engine/dupes/catalog_writer.h"
#include "engine/dupes/result_list.h"

namespace zw {

class TCatalogDialogModel {
 public:

  // Before showing: "selected" is possible only when list rows are
  // selected, "checked" only when entries are checked; a choice that is not
  // possible falls back to "all".
  void Prepare(TResultList& list);

  // The base path edit is enabled for "path relative to" only.
  bool BasePathEnabled() const { return paths == catpaths::kRelative; }

  // "...": the save dialog (overwrite prompt). A name without an extension
  // gets ".zwc". False when cancelled; the destination stays as it was.
  bool Browse(IHost& host);

  // OK: without a destination the save dialog comes first; cancelling it
  // keeps the dialog open (false). True: `out` holds the request.
  bool Accept(IHost& host, TCatFileOptions& out);

  // --- controls ---
  std::string destination;          // read-only edit
  uint8_t entries = catentries::kAll;
  bool selectedEnabled = false;     // "selected"
  bool checkedEnabled = false;      // "checked"
  bool dirAttributes = true;        // "fetch and include directory attributes"
  bool checksums = true;            // "fetch and include CRC32 checksums"
  uint8_t paths = catpaths::kAsNeeded;
  std::string basePath;             // the edit after "path relative to"
};

}  // namespace zw
