#include "app/win32/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "app/JpegImage.h"
#include "app/win32/DailyTourDialog.h"
#include "app/win32/Panel.h"
#include "app/win32/TryRowDialog.h"
#include "platform/Texts.h"
#include "platform/Version.h"
#include "platform/win32/Wide.h"

namespace vimbrel::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TForm1";
constexpr wchar_t kButtonClass[] = L"TButton";
constexpr wchar_t kEditClass[] = L"TEdit";
constexpr wchar_t kUpDownClass[] = L"TUpDown";
constexpr wchar_t kComboBoxClass[] = L"TComboBox";

enum ControlId : int {
  kGridId = 100,
  kFirstButtonId = 101,  // load, save, add row, delete row and tour follow
  kPageTimeFieldId = 106,
  kUpDownId = 107,
  kContactFieldId = 108,
  kBrowserListId = 109,
  kDailyTourButtonId = 110,
  kTryRowButtonId = 111,
};

// Posted by RequestClose: the window closes once the handler asking has returned.
constexpr UINT kCloseRequestMessage = WM_APP + 1;

// The layout at 96 dots per inch with a text height of 12.
constexpr int kClientWidth = 612;
constexpr int kClientHeight = 305;
constexpr int kMinWidth = 620;
constexpr int kMinHeight = 240;
constexpr int kHeaderPanelHeight = 49;
constexpr int kButtonPanelHeight = 65;

// Standard controls under the class names the layout knows them by.
void RegisterSuperclass(HINSTANCE instance, const wchar_t* base, const wchar_t* name) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  if (!GetClassInfoExW(nullptr, base, &window_class)) return;
  window_class.hInstance = instance;
  window_class.lpszClassName = name;
  RegisterClassExW(&window_class);
}

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontFamilyExists(const std::wstring& face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(query.lfFaceName, face.c_str(), LF_FACESIZE);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &query, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// "ＭＳ Ｐゴシック" where it exists; otherwise a Japanese proportional gothic of
// the same build, and the scaling of the layout makes up for its metrics.
std::wstring ChooseFontFace() {
  const std::wstring candidates[] = {WidenCp932(texts::kFontFace),
                                     L"MS PGothic",
                                     L"IPAPGothic",
                                     L"IPA Pゴシック",
                                     L"VL PGothic",
                                     L"Meiryo UI"};
  for (const std::wstring& face : candidates) {
    if (FontFamilyExists(face)) return face;
  }
  return candidates[0];
}

HFONT MakeFont(const std::wstring& face, int height, bool bold) {
  return CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

SIZE TextSize(HFONT font, const std::wstring& text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

// The page display time field selects its whole text when it gets the focus
// other than by a click, also when the window gives the focus back to it.
LRESULT CALLBACK SelectAllOnFocus(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                  DWORD_PTR) {
  LRESULT result = DefSubclassProc(edit, message, wparam, lparam);
  if (message == WM_SETFOCUS && (GetKeyState(VK_LBUTTON) & 0x8000) == 0) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
  }
  return result;
}

// Keys pressed with Alt go on to the window, as the system's combo box lets
// them, but for Alt+Up and Alt+Down, which open its list: Wine's keeps them
// all to itself, so that Alt+F4 would not close the window.
LRESULT CALLBACK PassSystemKeysOn(HWND combo_box, UINT message, WPARAM wparam, LPARAM lparam,
                                  UINT_PTR, DWORD_PTR) {
  if (message == WM_SYSKEYDOWN && wparam != VK_UP && wparam != VK_DOWN) {
    return DefWindowProcW(combo_box, message, wparam, lparam);
  }
  return DefSubclassProc(combo_box, message, wparam, lparam);
}

// The banner picture from the program's resources, as a bitmap for drawing.
HBITMAP LoadBanner(HINSTANCE instance, SIZE& size) {
  HRSRC resource = FindResourceW(instance, L"BANNER", MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (resource == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(instance, resource);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  RgbImage image = DecodeJpeg(bytes, SizeofResource(instance, resource));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  auto* out = static_cast<std::uint8_t*>(bits);
  for (std::size_t pixel = 0; pixel < image.pixels.size() / 3; ++pixel) {
    out[pixel * 4 + 0] = image.pixels[pixel * 3 + 2];
    out[pixel * 4 + 1] = image.pixels[pixel * 3 + 1];
    out[pixel * 4 + 2] = image.pixels[pixel * 3 + 0];
    out[pixel * 4 + 3] = 0;
  }
  size = {image.width, image.height};
  return bitmap;
}

}  // namespace

// The tour button as the tour sees it. The caption is kept as the program's own
// bytes, so that comparing it is exact.
class MainWindow::ButtonControl final : public Button {
 public:
  void Attach(HWND window, std::string_view caption) {
    window_ = window;
    SetCaption(caption);
  }
  std::string Caption() const override { return caption_; }
  void SetCaption(std::string_view caption) override {
    caption_.assign(caption);
    SetWindowTextW(window_, WidenCp932(caption).c_str());
  }
  bool Enabled() const override { return IsWindowEnabled(window_) != FALSE; }
  void SetEnabled(bool enabled) override { EnableWindow(window_, enabled ? TRUE : FALSE); }

 private:
  HWND window_ = nullptr;
  std::string caption_;
};

// The page display time field as the tour reads it.
class MainWindow::EditControl final : public TextField {
 public:
  void Attach(HWND window) { window_ = window; }
  std::string Text() const override {
    int length = GetWindowTextLengthW(window_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    length = GetWindowTextW(window_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return NarrowCp932(text);
  }

 private:
  HWND window_ = nullptr;
};

// The browser drop-down as the main window's logic fills and reads it. Its
// list is made wide enough for its longest item, which the field may cut.
class MainWindow::ComboBoxControl final : public ChoiceList {
 public:
  void Attach(HWND window, HFONT font) {
    window_ = window;
    font_ = font;
  }
  void SetItems(const std::vector<std::string>& items) override {
    SendMessageW(window_, CB_RESETCONTENT, 0, 0);
    int widest = 0;
    for (const std::string& item : items) {
      const std::wstring text = WidenCp932(item);
      SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      widest = std::max(widest, static_cast<int>(TextSize(font_, text).cx));
    }
    RECT field{};
    GetWindowRect(window_, &field);
    const int margins = 2 * GetSystemMetrics(SM_CXEDGE) + 8;
    SendMessageW(window_, CB_SETDROPPEDWIDTH,
                 std::max<int>(field.right - field.left, widest + margins), 0);
  }
  void Select(int index) override { SendMessageW(window_, CB_SETCURSEL, index, 0); }
  int Selected() const { return static_cast<int>(SendMessageW(window_, CB_GETCURSEL, 0, 0)); }
  bool Dropped() const { return SendMessageW(window_, CB_GETDROPPEDSTATE, 0, 0) != FALSE; }
  void SetEnabled(bool enabled) override { EnableWindow(window_, enabled ? TRUE : FALSE); }

 private:
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
};

struct MainWindow::Fonts {
  GdiObject form;       // the window's font, used by every component unless stated
  GdiObject page_time;  // the page display time field
  GdiObject contact;    // the contact address
  HFONT Form() const { return static_cast<HFONT>(form.Get()); }
};

MainWindow::MainWindow(Application& application, const Services& services, StartOptions options)
    : application_(application),
      boxes_(application),
      tour_button_(std::make_unique<ButtonControl>()),
      page_time_field_(std::make_unique<EditControl>()),
      browser_list_(std::make_unique<ComboBoxControl>()),
      daily_tour_button_(std::make_unique<ButtonControl>()),
      try_row_button_(std::make_unique<ButtonControl>()),
      page_time_(std::move(options.page_time)) {
  form_ = std::make_unique<MainForm>(
      FormServices{services.files, services.timers, services.desktop, services.automation, boxes_,
                   services.programs, services.clock, services.lock, services.watchdog,
                   services.scheduler, services.page_reader},
      FormControls{*this, *tour_button_, *page_time_field_, *browser_list_, *daily_tour_button_,
                   *try_row_button_},
      options);
}

MainWindow::~MainWindow() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  form_.reset();
}

RECT MainWindow::ScaledRect(int x, int y, int width, int height) const {
  return {Scale(x), Scale(y), Scale(x) + Scale(width), Scale(y) + Scale(height)};
}

void MainWindow::Create() {
  HINSTANCE instance = application_.Instance();
  INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&common);
  RegisterSuperclass(instance, L"BUTTON", kButtonClass);
  RegisterSuperclass(instance, L"EDIT", kEditClass);
  RegisterSuperclass(instance, UPDOWN_CLASSW, kUpDownClass);
  RegisterSuperclass(instance, WC_COMBOBOXW, kComboBoxClass);
  Panel::RegisterWindowClass(instance);
  StringGridControl::RegisterWindowClass(instance);

  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, 32, 32, 0));
  window_class.hIconSm =
      static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, 16, 16, 0));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  RegisterClassExW(&window_class);

  // Fonts first: the height of "0" in the window's font scales the layout.
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  std::wstring face = ChooseFontFace();
  fonts_ = std::make_unique<Fonts>();
  fonts_->form.Reset(MakeFont(face, MulDiv(12, dpi, 96), false));
  fonts_->page_time.Reset(MakeFont(face, MulDiv(16, dpi, 96), false));
  fonts_->contact.Reset(MakeFont(face, MulDiv(21, dpi, 96), true));
  text_height_ = TextSize(fonts_->Form(), L"0").cy;
  if (text_height_ <= 0) text_height_ = 12;

  RECT outer{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&outer, style, FALSE, WS_EX_CONTROLPARENT);
  window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName,
                            WidenCp932(texts::kMainWindowCaption).c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                            application_.Handle(), nullptr, instance, this);
  if (window_ == nullptr) throw std::runtime_error("cannot create the main window");
  CreateControls();
  application_.SetMainWindow(window_);
  CallGuarded(application_.Errors(), 0, [this] {
    form_->FormCreate();
    return LRESULT{0};
  });
}

void MainWindow::CreateControls() {
  HINSTANCE instance = application_.Instance();
  HFONT font = fonts_->Form();
  auto child = [&](HWND parent, DWORD ex_style, const wchar_t* class_name, const std::wstring& text,
                   DWORD style, const RECT& bounds, int id, HFONT control_font) {
    HWND control = CreateWindowExW(
        ex_style, class_name, text.c_str(), WS_CHILD | WS_VISIBLE | style, bounds.left, bounds.top,
        bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(control_font), FALSE);
    return control;
  };

  // Creation order is tab order: the grid, then the header panel, then the
  // button panel.
  StringGridControl::Options grid_options;
  grid_options.font = font;
  grid_options.row_height = Scale(StringGrid::kRowHeight);
  grid_options.on_error = application_.Errors();
  grid_ = StringGridControl::Create(window_, kGridId,
                                    ScaledRect(0, kHeaderPanelHeight, kClientWidth, 191),
                                    form_->Grid, *this, grid_options);

  SIZE banner_size{};
  banner_.Reset(LoadBanner(instance, banner_size));
  white_brush_.Reset(CreateSolidBrush(RGB(255, 255, 255)));
  const std::wstring version = WidenCp932(texts::kVersionLabel);
  SIZE version_size = TextSize(font, version);
  Panel::Style header{RGB(255, 255, 255), WidenCp932(texts::kHeaderPanelCaption), font, {}, {}};
  if (banner_.Valid()) {
    header.pictures.push_back(
        {{Scale(1), Scale(1)}, static_cast<HBITMAP>(banner_.Get()), banner_size});
  }
  header.labels.push_back(
      {{Scale(328), Scale(24), Scale(328) + version_size.cx, Scale(24) + version_size.cy},
       version,
       font,
       true,
       RGB(255, 255, 255)});
  header_panel_ = Panel::Create(window_, ScaledRect(0, 0, kClientWidth, kHeaderPanelHeight), header,
                                application_.Errors());
  contact_field_ = child(header_panel_, 0, kEditClass, WidenCp932(texts::kContactAddress),
                         ES_READONLY | ES_AUTOHSCROLL, ScaledRect(376, 16, 257, 25),
                         kContactFieldId, static_cast<HFONT>(fonts_->contact.Get()));

  const std::wstring page_time = WidenCp932(texts::kPageTimeLabel);
  SIZE page_time_size = TextSize(font, page_time);
  const std::wstring browser_label = WidenCp932(texts::kBrowserLabel);
  SIZE browser_label_size = TextSize(font, browser_label);
  Panel::Style buttons{GetSysColor(COLOR_BTNFACE), L"", font, {}, {}};
  buttons.labels.push_back(
      {{Scale(496), Scale(8), Scale(496) + page_time_size.cx, Scale(8) + page_time_size.cy},
       page_time,
       font,
       false,
       0});
  // The strip above the buttons, left of the page display time's label.
  buttons.labels.push_back(
      {{Scale(32), Scale(6), Scale(32) + browser_label_size.cx, Scale(6) + browser_label_size.cy},
       browser_label,
       font,
       false,
       0});
  button_panel_ = Panel::Create(
      window_, ScaledRect(0, kClientHeight - kButtonPanelHeight, kClientWidth, kButtonPanelHeight),
      buttons, application_.Errors());
  struct ButtonLayout {
    const char* caption;
    int x;
    int width;
  };
  const ButtonLayout layout[] = {{texts::kLoadButton, 32, 75},
                                 {texts::kSaveButton, 128, 75},
                                 {texts::kAddRowButton, 224, 75},
                                 {texts::kDeleteRowButton, 320, 75},
                                 {texts::kTourIdle, 416, 97}};
  for (int i = 0; i < 5; ++i) {
    HWND button = child(button_panel_, 0, kButtonClass, WidenCp932(layout[i].caption),
                        WS_TABSTOP | BS_PUSHBUTTON,
                        ScaledRect(layout[i].x, 24, layout[i].width, 25), kFirstButtonId + i, font);
    if (i == 4) tour_button_->Attach(button, layout[i].caption);
  }
  HWND page_time_field = child(button_panel_, WS_EX_CLIENTEDGE, kEditClass, L"",
                               WS_TABSTOP | ES_AUTOHSCROLL, ScaledRect(528, 24, 25, 24),
                               kPageTimeFieldId, static_cast<HFONT>(fonts_->page_time.Get()));
  page_time_field_->Attach(page_time_field);
  SendMessageW(page_time_field, EM_SETLIMITTEXT, 0, 0);  // no length limit: any text goes
  SetWindowSubclass(page_time_field, SelectAllOnFocus, 1, 0);
  HWND updown =
      child(button_panel_, 0, kUpDownClass, L"", UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
            ScaledRect(553, 24, 16, 24), kUpDownId, font);
  SendMessageW(updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(page_time_field), 0);
  SendMessageW(updown, UDM_SETRANGE32, 3, 20);
  SendMessageW(updown, UDM_SETPOS32, 0, 6);
  // After the page display time in the tab order. The height is the field's
  // and its list's together.
  HWND browser_list =
      child(button_panel_, 0, kComboBoxClass, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
            ScaledRect(96, 2, 220, 160), kBrowserListId, font);
  browser_list_->Attach(browser_list, font);
  SetWindowSubclass(browser_list, PassSystemKeysOn, 1, 0);
  // As if the user had typed it: whatever it is, the tour reads it.
  if (page_time_)
    SetWindowTextW(page_time_field, std::wstring(page_time_->begin(), page_time_->end()).c_str());

  // In the free strip above the buttons, after the browser's drop-down.
  daily_tour_button_->Attach(
      child(button_panel_, 0, kButtonClass, WidenCp932(texts::kDailyTourButton),
            WS_TABSTOP | BS_PUSHBUTTON, ScaledRect(324, 1, 97, 22), kDailyTourButtonId, font),
      texts::kDailyTourButton);
  // Right of it, in the same strip, and after it in the tab order.
  try_row_button_->Attach(
      child(button_panel_, 0, kButtonClass, WidenCp932(texts::kTryRowButton),
            WS_TABSTOP | BS_PUSHBUTTON, ScaledRect(425, 1, 65, 22), kTryRowButtonId, font),
      texts::kTryRowButton);
}

void MainWindow::OnSetEditText(int col, int row, const std::string& value) {
  form_->CellEdited(col, row, value);
}

void MainWindow::RequestClose() { PostMessageW(window_, kCloseRequestMessage, 0, 0); }

void MainWindow::OnCloseRequest() {
  // While a box is up the user is at the program: it stays open for them.
  if (!IsWindowEnabled(window_)) return;
  if (form_->FormCloseQuery()) DestroyWindow(window_);
}

void MainWindow::OpenDailyTour() {
  DailyTourDialog::Run(application_, window_, form_->DailyTour, fonts_->Form(), text_height_);
}

void MainWindow::OpenTryRow() {
  TryRowDialog::Run(application_, window_, *form_, fonts_->Form(), text_height_);
}

void MainWindow::OnCommand(WORD id, WORD code) {
  if (id == kBrowserListId) return OnBrowserListCommand(code);
  if (id == kDailyTourButtonId && code == BN_CLICKED) return OpenDailyTour();
  if (id == kTryRowButtonId && code == BN_CLICKED) return OpenTryRow();
  // Enter and Esc (IDOK, IDCANCEL) press no button.
  static constexpr void (MainForm::*kClicks[])() = {
      &MainForm::LoadListClick, &MainForm::SaveListClick, &MainForm::AddRowClick,
      &MainForm::DeleteRowClick, &MainForm::TourClick};
  const int button = id - kFirstButtonId;
  if (code != BN_CLICKED || button < 0 || button >= static_cast<int>(std::size(kClicks))) return;
  (form_.get()->*kClicks[button])();
}

void MainWindow::OnBrowserListCommand(WORD code) {
  // A pick is taken once it is made: with the list closed, at each change
  // (the arrow keys, the wheel); with it open, when it closes.
  const bool picked = code == CBN_CLOSEUP || (code == CBN_SELCHANGE && !browser_list_->Dropped());
  if (picked) form_->BrowserPicked(browser_list_->Selected());
}

void MainWindow::OnSize(int width, int height) {
  const int top = Scale(kHeaderPanelHeight);
  const int bottom = Scale(kButtonPanelHeight);
  MoveWindow(header_panel_, 0, 0, width, top, TRUE);
  MoveWindow(button_panel_, 0, height - bottom, width, bottom, TRUE);
  MoveWindow(grid_, 0, top, width, std::max(0, height - top - bottom), TRUE);
}

void MainWindow::OnActivate(WORD state) {
  if (state == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window_, focus)) focused_ = focus;
    return;
  }
  // The grid is the first control to get the focus.
  HWND target =
      (focused_ != nullptr && IsWindow(focused_) && IsWindowEnabled(focused_)) ? focused_ : grid_;
  SetFocus(target);
}

LRESULT MainWindow::OnControlColor(HDC dc, HWND control) {
  if (control == contact_field_) {
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(white_brush_.Get());
  }
  return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(control));
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_SIZE:
      OnSize(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wparam));
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = {Scale(kMinWidth), Scale(kMinHeight)};
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      return OnControlColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_MINIMIZE) {
        application_.Minimize();
        return 0;
      }
      break;
    case WM_CLOSE:
      if (form_->FormCloseQuery()) DestroyWindow(window_);
      return 0;
    case kCloseRequestMessage:
      OnCloseRequest();
      return 0;
    case WM_QUERYENDSESSION:
      return form_->EndSessionQuery() ? TRUE : FALSE;
    case WM_ENDSESSION:
      // The process may end as soon as this returns.
      if (wparam) form_->FormDestroy();
      return 0;
    case WM_DESTROY:
      form_->FormDestroy();
      application_.Terminate();
      return 0;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->form_ == nullptr || self->grid_ == nullptr) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  const LRESULT on_error = message == WM_QUERYENDSESSION ? TRUE : 0;
  return CallGuarded(self->application_.Errors(), on_error,
                     [&] { return self->OnMessage(message, wparam, lparam); });
}

}  // namespace vimbrel::win32
