#include "app/MainForm.h"

#include "list/ListEditing.h"
#include "list/ListFile.h"
#include "list/RowText.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "tour/StartedBrowser.h"

namespace vimbrel {

MainForm::MainForm(const FormServices& services, const FormControls& controls,
                   std::optional<Path> browser)
    : Browser(services.automation),
      BrowserFrame(services.desktop, Grid),
      ChosenBrowser(browser ? std::unique_ptr<TourBrowser>(std::make_unique<StartedBrowser>(
                                  services.desktop, services.programs, Grid, std::move(*browser)))
                            : std::make_unique<InternetExplorer>(Browser, BrowserFrame)),
      Tour({services.timers, controls.TourButton, controls.PageTimeField, Grid, *ChosenBrowser,
            *this}),
      services_(services),
      window_(controls.MainWindow) {}

void MainForm::FormCreate() {
  static constexpr int kColWidths[] = {60, 400, 60, 60};
  for (int col = 0; col < Grid.ColCount(); ++col) {
    Grid.SetColWidth(col, kColWidths[col]);
  }
  Grid.SetCell(0, 0, texts::kHeaderNo);
  Grid.SetCell(1, 0, texts::kHeaderUrl);
  Grid.SetCell(2, 0, texts::kHeaderTabs);
  Grid.SetCell(3, 0, texts::kHeaderReverseTabs);
  SetRowText(Grid, 1, "1,,,,");
  LoadListClick();
}

bool MainForm::FormCloseQuery() {
  if (SessionEnding || !Modified) return true;
  switch (services_.boxes.AskYesNoCancel(texts::kSavePrompt, texts::kSavePromptCaption)) {
    case BoxAnswer::Cancel:
      return false;
    case BoxAnswer::Yes:
      SaveListClick();
      return true;
    default:
      return true;
  }
}

bool MainForm::EndSessionQuery() {
  SessionEnding = true;
  return FormCloseQuery();
}

void MainForm::LoadListClick() {
  list_load_ = ListLoad::Failed;
  list_load_ = LoadListFile(services_.files, Grid, ListFile()) ? ListLoad::Read : ListLoad::Missing;
  Modified = false;
}

void MainForm::SaveListClick() {
  SaveListFile(services_.files, Grid, ListFile());
  Modified = false;
}

void MainForm::AddRowClick() {
  AddRow(Grid);
  Modified = true;
}

void MainForm::DeleteRowClick() {
  DeleteCurrentRow(Grid);
  Modified = true;
}

void MainForm::TourClick() {
  // A click of the user's own: whatever the tour started by /tour ends in,
  // the window stays open.
  close_after_tour_ = false;
  Tour.TourClick();
}

void MainForm::StartUnattendedTour() {
  if (list_load_ == ListLoad::Missing) {
    throw Exception(
        cp932::FillText(texts::kErrorNoListToTour, services_.files.PathText(ListFile())));
  }
  // A failed load has shown its box already. A click of the user's own
  // before this moment is not to be turned into a stop.
  if (list_load_ != ListLoad::Read || !Tour.Idle()) return;
  Tour.TourClick();
  close_after_tour_ = true;
}

void MainForm::OnTourRowChanged(std::int32_t row) { Grid.SetMarkedRow(row); }

void MainForm::OnTourFinished() {
  if (!close_after_tour_) return;
  close_after_tour_ = false;
  window_.RequestClose();
}

void MainForm::CellEdited(int, int, const std::string&) { Modified = true; }

Path MainForm::ListFile() const { return ListFilePath(services_.files.ProgramPath()); }

}  // namespace vimbrel
