#include "app/Unit1.h"

#include "list/ListEditing.h"
#include "list/ListFile.h"
#include "list/RowText.h"
#include "platform/Texts.h"

namespace vimbrel {

TForm1::TForm1(const FormServices& services, const FormControls& controls)
    : Browser(services.automation),
      BrowserFrame(services.desktop, StringGrid1),
      Tour({services.timers, controls.Button5, controls.Edit1, StringGrid1, Browser, BrowserFrame}),
      services_(services) {}

void TForm1::FormCreate() {
  static constexpr int kColWidths[] = {60, 400, 60, 60};
  for (int col = 0; col < StringGrid1.ColCount(); ++col) {
    StringGrid1.SetColWidth(col, kColWidths[col]);
  }
  StringGrid1.SetCell(0, 0, texts::kHeaderNo);
  StringGrid1.SetCell(1, 0, texts::kHeaderUrl);
  StringGrid1.SetCell(2, 0, texts::kHeaderTabs);
  StringGrid1.SetCell(3, 0, texts::kHeaderReverseTabs);
  SetRowText(StringGrid1, 1, "1,,,,");
  Button1Click();
}

bool TForm1::FormCloseQuery() {
  if (SessionEnding || !Modified) return true;
  switch (services_.boxes.AskYesNoCancel(texts::kSavePrompt, texts::kSavePromptCaption)) {
    case BoxAnswer::Cancel:
      return false;
    case BoxAnswer::Yes:
      Button2Click();
      return true;
    default:
      return true;
  }
}

bool TForm1::EndSessionQuery() {
  SessionEnding = true;
  return FormCloseQuery();
}

void TForm1::Button1Click() {
  LoadListFile(services_.files, StringGrid1, ListFile());
  Modified = false;
}

void TForm1::Button2Click() {
  SaveListFile(services_.files, StringGrid1, ListFile());
  Modified = false;
}

void TForm1::Button3Click() {
  AddRow(StringGrid1);
  Modified = true;
}

void TForm1::Button4Click() {
  DeleteCurrentRow(StringGrid1);
  Modified = true;
}

void TForm1::Button5Click() { Tour.Button5Click(); }

void TForm1::StringGrid1SetEditText(int, int, const std::string&) { Modified = true; }

Path TForm1::ListFile() const { return ListFilePath(services_.files.ProgramPath()); }

}  // namespace vimbrel
