#include "app/MainForm.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include "app/ErrorBox.h"
#include "list/ListEditing.h"
#include "list/ListFile.h"
#include "list/RowText.h"
#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "tour/ReadIntField.h"

namespace vimbrel {

namespace {
constexpr char kBrowserSetting[] = "Browser";
constexpr char kReadPagesSetting[] = "ReadPages";
}  // namespace

MainForm::MainForm(const FormServices& services, const FormControls& controls,
                   const StartOptions& options)
    : Browser(services.automation, services.desktop),
      BrowserFrame(services.desktop, Grid),
      internet_explorer_(Browser, BrowserFrame),
      Tour({services.timers, controls.TourButton, controls.PageTimeField, Grid, internet_explorer_,
            *this, services.lock, services.clock, options.unattended_tour ? &watch_ : nullptr}),
      DailyTour({services.scheduler, services.files, services.clock, controls.PageTimeField,
                 [this] { return ItemNameOf(SavedBrowser(), services_.files); }}),
      services_(services),
      window_(controls.MainWindow),
      page_time_field_(controls.PageTimeField),
      browser_list_(controls.BrowserList),
      daily_tour_button_(controls.DailyTourButton),
      try_row_button_(controls.TryRowButton),
      browser_switch_(options.browser),
      started_with_tour_(options.unattended_tour),
      log_(services.files, services.clock, ListFile()),
      settings_(services.files, ListFile()),
      page_view_(services.page_reader, services.desktop, services.clock),
      watch_(services.clock) {}

MainForm::~MainForm() { StopWatchdog(); }

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
  // Before the list, whose load may fail: the browser is there all the same.
  UseBrowser(browser_switch_ ? BrowserChoiceFromSwitch(*browser_switch_) : SavedBrowser());
  ShowBrowserChoice();
  if (!started_with_tour_) return LoadListClick();
  try {
    LoadListClick();
  } catch (const std::exception& error) {
    load_error_ = ErrorBoxText(MessageOf(error));
  }
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

void MainForm::TourClick() { Tour.TourClick(); }

void MainForm::BrowserPicked(int index) {
  if (index < 0 || index >= static_cast<int>(listed_.size())) return;
  const BrowserChoice picked = listed_[index];
  // The drop-down is disabled during a tour; a pick that arrives all the
  // same changes nothing.
  if (picked == browser_ || !Tour.Idle()) return ShowBrowserChoice();
  try {
    settings_.Write(kBrowserSetting, SettingOf(picked, services_.files));
  } catch (const EInOutError& error) {
    ShowBrowserChoice();
    throw Exception(services_.files.SystemErrorText(error.ErrorCode()));
  } catch (...) {
    ShowBrowserChoice();
    throw;
  }
  UseBrowser(picked);
  ShowBrowserChoice();
}

BrowserChoice MainForm::SavedBrowser() const {
  if (const std::optional<std::string> value = settings_.Read(kBrowserSetting)) {
    if (std::optional<BrowserChoice> saved = BrowserChoiceFromSetting(*value, services_.files)) {
      return *saved;
    }
  }
  // Where Windows registers Edge, Internet Explorer is turned off or hands
  // its pages to Edge.
  if (services_.programs.Registered(RegisteredProgramOf(BrowserChoice::Kind::Edge))) {
    return {BrowserChoice::Kind::Edge, {}};
  }
  return {};
}

void MainForm::UseBrowser(const BrowserChoice& choice) {
  if (choice.kind == BrowserChoice::Kind::InternetExplorer) {
    Tour.UseBrowser(internet_explorer_);
    started_browser_.reset();
  } else {
    auto started =
        std::make_unique<StartedBrowser>(services_.desktop, services_.programs, Grid, choice);
    Tour.UseBrowser(*started);
    started_browser_ = std::move(started);
  }
  browser_ = choice;
}

TourBrowser& MainForm::ChosenBrowser() {
  if (started_browser_) return *started_browser_;
  return internet_explorer_;
}

bool MainForm::ToursReadPages() const { return settings_.Read(kReadPagesSetting) != "0"; }

void MainForm::ShowBrowserChoice() {
  if (listed_.empty()) {
    for (BrowserChoice::Kind kind : kListedBrowsers) listed_.push_back({kind, {}});
  }
  if (browser_.kind == BrowserChoice::Kind::Program &&
      std::find(listed_.begin(), listed_.end(), browser_) == listed_.end()) {
    listed_.resize(std::size(kListedBrowsers));
    listed_.push_back(browser_);
  }
  std::vector<std::string> items;
  for (const BrowserChoice& choice : listed_) {
    std::string item = ItemNameOf(choice, services_.files);
    const char* registered = RegisteredProgramOf(choice.kind);
    const bool missing = choice.kind == BrowserChoice::Kind::InternetExplorer
                             ? !Browser.Installed()
                             : registered != nullptr && !services_.programs.Registered(registered);
    if (missing) item += texts::kBrowserMissing;
    items.push_back(std::move(item));
  }
  browser_list_.SetItems(items);
  browser_list_.Select(
      static_cast<int>(std::find(listed_.begin(), listed_.end(), browser_) - listed_.begin()));
}

void MainForm::StartUnattendedTour() {
  if (list_load_ == ListLoad::Missing) {
    return RefuseUnattendedTour(ErrorBoxText(
        cp932::FillText(texts::kErrorNoListToTour, services_.files.PathText(ListFile()))));
  }
  if (list_load_ == ListLoad::Failed) return RefuseUnattendedTour(load_error_);
  // A click of the user's own before this moment is not to be turned into a
  // stop.
  if (!Tour.Idle()) return;
  try {
    // Refused here, before any browser starts, rather than after the first
    // row's address has been opened.
    const std::uint32_t page_ms = Tour.PageDisplayInterval();
    unattended_tour_ = true;
    exit_code_ = 1;
    // Before the start, which is the tour's first move.
    watch_.Begin(page_ms, DataRows());
    Tour.Start(kUnattendedTour);
  } catch (const std::exception& error) {
    unattended_tour_ = false;
    watch_.End();
    return RefuseUnattendedTour(ErrorBoxText(MessageOf(error)));
  }
  // Unless its first step got no timer, which ended it at once.
  if (unattended_tour_) StartWatchdog();
}

void MainForm::StartWatchdog() {
  Browser.window_watcher = [this](WindowHandle window) {
    services_.watchdog.BrowserWindow(window);
  };
  // On the watchdog's thread: only the watch and the log, which lock.
  services_.watchdog.Start([this]() -> std::optional<int> {
    constexpr int kExitCode = 1;
    const std::optional<TourHang> hang = watch_.Hung();
    if (!hang) return std::nullopt;
    log_.TourHung(*hang, kExitCode);
    return kExitCode;
  });
}

void MainForm::StopWatchdog() noexcept {
  watch_.End();
  services_.watchdog.Stop();
  Browser.window_watcher = nullptr;
}

void MainForm::FormDestroy() { Tour.EndAtExit(); }

void MainForm::RefuseUnattendedTour(std::string_view message) {
  log_.NotToured(message);
  exit_code_ = 2;
  window_.RequestClose();
}

std::string MainForm::BrowserName() const { return LogNameOf(browser_, services_.files); }

std::string MainForm::PageSecondsText() const {
  const std::string text = page_time_field_.Text();
  try {
    return std::to_string(ReadIntField(text));
  } catch (const std::exception&) {
    // The tour will halt on it; the log shows what it was.
    return text;
  }
}

void MainForm::OnTourRowChanged(std::int32_t row) { Grid.SetMarkedRow(row); }

void MainForm::OnTourStarted() {
  rows_sent_ = 0;
  every_row_clean_ = true;
  // Taken afresh at each tour, as the browser is.
  ChosenBrowser().ReadPages(ToursReadPages() ? &page_view_ : nullptr);
  log_.TourStarted(BrowserName(), PageSecondsText(), DataRows());
}

void MainForm::OnRowEnded(const RowEnd& row) {
  const bool sent = row.outcome == RowOutcome::Sent;
  if (sent) ++rows_sent_;
  if (!sent || row.left_open) every_row_clean_ = false;
  watch_.Counted(rows_sent_, DataRows());
  log_.RowEnded(row);
}

void MainForm::OnTourEnded(TourEnd how) {
  std::optional<int> exit_code;
  if (unattended_tour_) {
    unattended_tour_ = false;
    StopWatchdog();
    exit_code_ = how == TourEnd::Finished && every_row_clean_ ? 0 : 1;
    exit_code = exit_code_;
  }
  log_.TourEnded(how, rows_sent_, DataRows(), exit_code);
  // A stop is a person's, who is at the program; a closed program is going.
  if (exit_code && (how == TourEnd::Finished || how == TourEnd::Halted)) window_.RequestClose();
}

void MainForm::OnTourIdleChanged(bool idle) {
  browser_list_.SetEnabled(idle);
  daily_tour_button_.SetEnabled(idle);
  try_row_button_.SetEnabled(idle);
}

void MainForm::CellEdited(int, int, const std::string&) { Modified = true; }

std::unique_ptr<TryRowForm> MainForm::TryRowClick(std::function<void()> changed) {
  return std::make_unique<TryRowForm>(
      TryRowForm::Parts{Grid, ChosenBrowser(), page_view_, services_.desktop, services_.clock,
                        page_time_field_, ItemNameOf(browser_, services_.files),
                        [this](int col, int row, const std::string& text) {
                          Grid.SetCell(col, row, text);
                          CellEdited(col, row, text);
                        },
                        std::move(changed)},
      Grid.Row());
}

Path MainForm::ListFile() const { return ListFilePath(services_.files.ProgramPath()); }

}  // namespace vimbrel
