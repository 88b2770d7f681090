// Result list files as the user meets them: the tab-separated text lines of
// an export and of the clipboard, and the export, copy, import and drop
// operations of the result list. The binary format is result_list_file.h's.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/host.h"
#include "app/window_model.h"
#include "engine/common/messages.h"
#include "engine/dupes/result_list.h"
#include "engine/dupes/result_list_file.h"
#include "app/text_ids.h"

namespace zw {

// Export format: decided by the extension (".txt" text, anything else
// binary), text, binary.
enum TExportFormat : uint8_t { efByExtension = 0, efText = 1, efBinary = 2 };

// The text line of an entry without its line end:
// "%d%d\t%s\t%s\t%d\t%s" with the shading bit, the checked bit, name, path,
// size and the local date and time with seconds, and with `withCrc` "\t%.8x"
// with the CRC32 (also when the entry's CRC32 is not valid).
std::string ResultTextLine(const TResultEntry& entry, bool withCrc);

class TResultFiles {
 public:
  TResultFiles(IHost& host, IMessenger& messenger, TWindowModel& model, TResultList& list);

  // Writes every entry to `fileName` (empty: ask with the export dialog) in
  // `formatMode` (TExportFormat). An empty list writes nothing, creates no
  // file and counts as success. False when the dialog was cancelled or the
  // file could not be created or written (msgExportFailed).
  bool ExportAll(const std::string& fileName, uint8_t formatMode);
  // Writes the selected entries as text (also to a name ending in ".zwr");
  // true when none is selected.
  bool ExportSelected(const std::string& fileName);
  // Puts the text lines of the selected entries on the clipboard; nothing
  // when none is selected.
  void CopySelected();
  // Replaces the result list by a result list file (empty: ask with the
  // import dialog), after askLoseCurrentList when the list has entries.
  // True only when a list was loaded; failures show msgImportResultsFailed.
  bool Import(const std::string& fileName);

  // Whether a drop onto the result list is one result list file: exactly one
  // file, no folder, lower-case extension ".zwr"; a shortcut counts as its
  // target (an unresolvable one is refused). `resultFile` gets the file to
  // import. A refusal shows msgOnlyDropResultLists.
  bool AcceptDrop(const std::vector<std::string>& files, std::string& resultFile);
  // AcceptDrop, then Import of the accepted file.
  bool ImportDropped(const std::vector<std::string>& files);

  // Whether the first command-line argument is a result list file to import
  // at start: not a command (Windows: "-" or "/" in front; POSIX: "-", as "/"
  // starts absolute paths there), an existing file, extension ".zwr".
  static bool IsStartFile(const std::string& firstArgument);

  // The filter index the export dialog showed last (1 text, 2 binary).
  int ExportFilterIndex() const { return exportFilterIndex_; }

 private:
  // Focused entry for the header: the view's, else the first selected, else 0.
  uint32_t FocusedForHeader() const;
  // Chooses the file name and the format; false when cancelled.
  bool ChooseTarget(std::string& fileName, uint8_t& mode, bool selectedOnly);
  bool Write(const std::string& fileName, uint8_t mode, bool selectedOnly);
  void ImportFailed(const std::string& fileName, int code, int errorCode);

  IHost& host_;
  IMessenger& messenger_;
  TWindowModel& model_;
  TResultList& list_;
  int exportFilterIndex_ = 1;
};

}  // namespace zw
