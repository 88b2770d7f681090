#include "catalog_dialog_win.h"

#include <string>

#include "app/text/language_files.h"
#include "app/text/string_table.h"
#include "dialog_base.h"
#include "dialog_ids.h"

namespace zw::win {

namespace {

// What the file edit shows while no file is chosen (the built-in English).
constexpr const char* kNoFileChosen = "[name of the catalog file]";

class TCatalogDialog : public TDialog {
 public:
  TCatalogDialog(TCatalogDialogModel& model, IHost& host, TCatFileOptions& out)
      : model_(model), host_(host), out_(out) {
    helpContext_ = IDD_CREATE_CATFILE;
  }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  const char* Name() const override { return "create catalog"; }

 private:
  void ReadControls();
  void WriteControls();

  TCatalogDialogModel& model_;
  IHost& host_;
  TCatFileOptions& out_;
};

bool TCatalogDialog::OnInit() {
  ApplyCaption(lblCreateCatfileCpt);
  ApplyText(IDC_CAT_INFO, lblCatInfo);
  ApplyText(IDC_CAT_FILENAMELBL, lblCatFilename);
  ApplyText(IDC_CAT_ENTRIES, lblCatEntries);
  ApplyText(IDC_CAT_ENTRIESALL, lblCatEntriesAll);
  ApplyText(IDC_CAT_ENTRIESSEL, lblCatEntriesSel);
  ApplyText(IDC_CAT_ENTRIESCHK, lblCatEntriesChk);
  ApplyText(IDC_CAT_DATA, lblCatData);
  ApplyText(IDC_CAT_ATTRIBUTES, lblCatAttributes);
  ApplyText(IDC_CAT_CHECKSUMS, lblCatChecksums);
  ApplyText(IDC_CAT_PATHS, lblCatPaths);
  ApplyText(IDC_CAT_PATHCOMPLETE, lblCatPathComplete);
  ApplyText(IDC_CAT_PATHNEEDED, lblCatPathNeeded);
  ApplyText(IDC_CAT_PATHRELATIVE, lblCatPathRelative);
  ApplyText(IDOK, lblOK);
  ApplyText(IDCANCEL, lblCancel);
  WriteControls();
  // The first thing to do is choosing the file; once chosen, OK.
  FocusItem(model_.destination.empty() ? IDC_CAT_BROWSE : IDOK);
  return false;
}

void TCatalogDialog::ReadControls() {
  model_.entries = IsChecked(IDC_CAT_ENTRIESCHK)   ? catentries::kChecked
                   : IsChecked(IDC_CAT_ENTRIESSEL) ? catentries::kSelected
                                                   : catentries::kAll;
  model_.dirAttributes = IsChecked(IDC_CAT_ATTRIBUTES);
  model_.checksums = IsChecked(IDC_CAT_CHECKSUMS);
  model_.paths = IsChecked(IDC_CAT_PATHRELATIVE)   ? catpaths::kRelative
                 : IsChecked(IDC_CAT_PATHCOMPLETE) ? catpaths::kComplete
                                                   : catpaths::kAsNeeded;
  model_.basePath = ItemText(IDC_CAT_EBASEPATH);
}

void TCatalogDialog::WriteControls() {
  const std::string none = DialogsUseStringTable() ? Str(lblCatEFilename) : kNoFileChosen;
  SetItemText(IDC_CAT_EFILENAME, model_.destination.empty() ? none : model_.destination);
  SetChecked(IDC_CAT_ENTRIESALL, model_.entries == catentries::kAll);
  SetChecked(IDC_CAT_ENTRIESSEL, model_.entries == catentries::kSelected);
  SetChecked(IDC_CAT_ENTRIESCHK, model_.entries == catentries::kChecked);
  Enable(IDC_CAT_ENTRIESSEL, model_.selectedEnabled);
  Enable(IDC_CAT_ENTRIESCHK, model_.checkedEnabled);
  SetChecked(IDC_CAT_ATTRIBUTES, model_.dirAttributes);
  SetChecked(IDC_CAT_CHECKSUMS, model_.checksums);
  SetChecked(IDC_CAT_PATHCOMPLETE, model_.paths == catpaths::kComplete);
  SetChecked(IDC_CAT_PATHNEEDED, model_.paths == catpaths::kAsNeeded);
  SetChecked(IDC_CAT_PATHRELATIVE, model_.paths == catpaths::kRelative);
  SetItemText(IDC_CAT_EBASEPATH, model_.basePath);
  Enable(IDC_CAT_EBASEPATH, model_.BasePathEnabled());
}

bool TCatalogDialog::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDOK:
      ReadControls();
      if (model_.Accept(host_, out_)) End(IDOK);
      else WriteControls();  // the save dialog was cancelled: the dialog stays
      return true;
    case IDC_CAT_BROWSE:
      ReadControls();
      model_.Browse(host_);
      WriteControls();
      return true;
    case IDC_CAT_ENTRIESALL:
    case IDC_CAT_ENTRIESSEL:
    case IDC_CAT_ENTRIESCHK:
    case IDC_CAT_ATTRIBUTES:
    case IDC_CAT_CHECKSUMS:
    case IDC_CAT_PATHCOMPLETE:
    case IDC_CAT_PATHNEEDED:
    case IDC_CAT_PATHRELATIVE:
      if (code != BN_CLICKED) return false;
      ReadControls();
      WriteControls();
      return true;
    default:
      return false;
  }
}

}  // namespace

bool CreateCatalogDialog(HWND owner, TCatalogDialogModel& model, TResultList& list, IHost& host,
                         TCatFileOptions& out) {
  model.Prepare(list);
  TCatalogDialog dialog(model, host, out);
  return dialog.DoModal(owner, IDD_CREATE_CATFILE) == IDOK;
}

}  // namespace zw::win
