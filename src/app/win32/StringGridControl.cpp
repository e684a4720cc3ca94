// The list grid control (window class "TStringGrid"), in the manner of Wine's comctl32
// controls: one state struct per window (GWLP_USERDATA), a window procedure
// that only dispatches, and one small handler per message, each run through
// CallGuarded so that no C++ exception crosses the window system's frames.
//
// The grid shows a StringGrid model and keeps a borderless EDIT child, the
// cell editor, open on the model's current cell once the grid had the focus.
// Text is code page 932 bytes in the model and UTF-16 on screen, always
// converted with code page 932.

#include "app/win32/StringGridControl.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "platform/Exception.h"
#include "platform/win32/Wide.h"

namespace vimbrel::win32 {
namespace {

constexpr int kFirstCol = StringGrid::kFixedCols;  // first ordinary column
constexpr int kFirstRow = StringGrid::kFixedRows;  // first data row
constexpr int kNumberCol = 0;                      // the fixed column of row numbers
constexpr int kTextOffset = 2;    // cell text: 2 px right of and below the top-left corner
constexpr int kDividerReach = 2;  // a divider grabs this many pixels either side of its line
constexpr UINT_PTR kEditorSubclassId = 1;
constexpr int kEditorControlId = 1;
constexpr COLORREF kLineColor = RGB(192, 192, 192);  // lines between ordinary cells
// The number cell of the row a tour is working on: amber, a colour no system
// scheme gives the current cell or a selection.
constexpr COLORREF kTourRowColor = RGB(255, 200, 64);
// Posted to itself: bring the scroll bar up to date with the row count. Row
// count changes come in bursts (the list file loader adds rows one at a
// time), and each SetScrollInfo redraws the bar.
constexpr UINT kSyncScrollBar = WM_USER + 1;

struct CreateParams {
  StringGrid* model;
  StringGridEvents* events;
  const StringGridControl::Options* options;
};

// Where a point of the client area lies.
struct HitResult {
  int col = -1;      // -1: right of the last column
  int row = -1;      // -1: below the last row
  int divider = -1;  // header row only: the column whose right divider is under the point
};

// Sets a flag for as long as it lives.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = saved_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

struct GridInfo final : GridObserver {
  GridInfo(HWND window, const CreateParams& params);
  void OnGridChanged(GridChange change, int col, int row) override;

  HWND hwnd;
  HWND editor = nullptr;
  StringGrid& model;
  StringGridEvents& events;
  StringGridControl::Options options;
  ErrorSink sink;  // cancels the mouse capture, then options.on_error
  HFONT font;
  int top_row = kFirstRow;   // first data row shown below the header
  int left_col = kFirstCol;  // first ordinary column shown right of the number column
  int shown_col;             // the current cell as last drawn
  int shown_row;
  int edit_col = 0;  // the cell the editor is open on; 0: not opened yet
  int edit_row = 0;
  // The editor's text as code page 932 bytes: what it last loaded or wrote
  // back. Every change the user makes is written back at once, so this is
  // what the editor shows, without asking it (a message per program write
  // would make loading 100,000 rows slow).
  std::string edit_text;
  // The cell's bytes when the editor was loaded, and what the editor then
  // showed: writing that same text back puts these bytes back, also those
  // that do not survive the way through UTF-16 (NEC and IBM duplicates, codes
  // with no character, a lone lead byte, what follows a line break).
  std::string loaded_text;
  std::wstring loaded_shown;
  bool setting_text = false;  // the program is setting the editor's text
  bool writing_back = false;  // the editor is writing its text into the model
  bool all_invalid = false;   // the whole client area waits for WM_PAINT
  int drag_col = -1;          // column whose divider is being dragged
  int drag_offset = 0;        // pointer x minus the divider's x at the press
  int drag_original = 0;      // the width before the drag, for Esc
  int wheel_delta = 0;        // wheel rotation not yet turned into rows
  int bar_max = -1;           // the scroll bar as last set
  int bar_page = -1;
  int bar_pos = -1;
  bool bar_sync_posted = false;
  RECT placed{};  // where the editor was last put, while shown
};

GridInfo* GetInfo(HWND hwnd) {
  return reinterpret_cast<GridInfo*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

template <typename Handler>
LRESULT Run(GridInfo* info, LRESULT on_error, Handler&& handler) {
  return CallGuarded(info->sink, on_error, std::forward<Handler>(handler));
}

bool KeyDown(int vk) { return GetKeyState(vk) < 0; }

// ---------------------------------------------------------------------------
// Geometry. Each cell is followed by a 1-pixel grid line.

int Pitch(const GridInfo* info) { return info->options.row_height + 1; }
int RowCount(const GridInfo* info) { return info->model.RowCount(); }
int ColCount(const GridInfo* info) { return info->model.ColCount(); }
int LastCol(const GridInfo* info) { return ColCount(info) - 1; }

struct ClientExtent {
  int cx;
  int cy;
};

ClientExtent ClientSize(const GridInfo* info) {
  RECT rect{};
  GetClientRect(info->hwnd, &rect);
  return {static_cast<int>(rect.right), static_cast<int>(rect.bottom)};
}

bool ColShown(const GridInfo* info, int col) { return col < kFirstCol || col >= info->left_col; }

// The left edge of `col` when the ordinary columns start at `left_col`.
int ColLeftFrom(const GridInfo* info, int left_col, int col) {
  int x = 0;
  for (int c = 0; c < col; ++c) {
    if (c < kFirstCol || c >= left_col) x += info->model.ColWidth(c) + 1;
  }
  return x;
}

int ColLeft(const GridInfo* info, int col) { return ColLeftFrom(info, info->left_col, col); }

int RowTop(const GridInfo* info, int row) {
  return row < kFirstRow ? 0 : Pitch(info) * (kFirstRow + row - info->top_row);
}

// Data rows that fit whole below the header (at least 1).
int PageRows(const GridInfo* info) {
  return std::max(1, (ClientSize(info).cy - Pitch(info)) / Pitch(info));
}

int MaxTopRow(const GridInfo* info) { return std::max(kFirstRow, RowCount(info) - PageRows(info)); }

// The last data row with any pixel in the client area (top_row - 1 if none).
int LastShownRow(const GridInfo* info) {
  const int height = ClientSize(info).cy - Pitch(info);
  if (height <= 0) return info->top_row - 1;
  const int rows = (height + Pitch(info) - 1) / Pitch(info);
  return std::min(RowCount(info) - 1, info->top_row + rows - 1);
}

// The cell's rectangle without its grid lines; false when it is not laid out
// (out of range, scrolled above the view, or a column shifted out at left).
bool CellRect(const GridInfo* info, int col, int row, RECT* rect) {
  if (col < 0 || col >= ColCount(info) || row < 0 || row >= RowCount(info)) return false;
  if (!ColShown(info, col) || (row >= kFirstRow && row < info->top_row)) return false;
  const int x = ColLeft(info, col);
  const int y = RowTop(info, row);
  *rect = {x, y, x + info->model.ColWidth(col), y + info->options.row_height};
  return true;
}

HitResult HitTest(const GridInfo* info, int x, int y) {
  HitResult hit;
  if (x < 0 || y < 0) return hit;
  const int pitch = Pitch(info);
  if (y < pitch) {
    hit.row = 0;
  } else {
    const int row = info->top_row + (y - pitch) / pitch;
    if (row < RowCount(info)) hit.row = row;
  }
  int left = 0;
  for (int col = 0; col < ColCount(info); ++col) {
    if (!ColShown(info, col)) continue;
    const int width = info->model.ColWidth(col);
    if (hit.col < 0 && x < left + width + 1) hit.col = col;
    // The rightmost divider wins, so a column dragged to width 0 can be
    // pulled open again.
    if (hit.row == 0 && std::abs(x - (left + width)) <= kDividerReach) hit.divider = col;
    left += width + 1;
  }
  return hit;
}

bool IsOrdinary(int col, int row) { return col >= kFirstCol && row >= kFirstRow; }

// ---------------------------------------------------------------------------
// Invalidation and scrolling.

void InvalidateAll(GridInfo* info) {
  if (info->all_invalid) return;
  InvalidateRect(info->hwnd, nullptr, FALSE);
  info->all_invalid = true;
}

void InvalidateCell(GridInfo* info, int col, int row) {
  if (info->all_invalid || row > LastShownRow(info)) return;
  RECT rect;
  if (!CellRect(info, col, row, &rect)) return;
  rect.right += 1;  // with its grid lines
  rect.bottom += 1;
  InvalidateRect(info->hwnd, &rect, FALSE);
}

void UpdateScrollBar(GridInfo* info) {
  const int max = RowCount(info) - 1;
  const int page = PageRows(info);
  if (max == info->bar_max && page == info->bar_page && info->top_row == info->bar_pos) return;
  info->bar_max = max;
  info->bar_page = page;
  info->bar_pos = info->top_row;
  // A page that holds the whole range hides the bar: it shows only when the
  // rows do not fit. Showing or hiding it sends WM_SIZE, which comes back
  // here with nothing left to change.
  SCROLLINFO bar{};
  bar.cbSize = sizeof bar;
  bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  bar.nMin = kFirstRow;
  bar.nMax = max;
  bar.nPage = static_cast<UINT>(page);
  bar.nPos = info->top_row;
  SetScrollInfo(info->hwnd, SB_VERT, &bar, TRUE);
}

void RequestScrollBarSync(GridInfo* info) {
  if (info->bar_sync_posted) return;
  info->bar_sync_posted = PostMessageW(info->hwnd, kSyncScrollBar, 0, 0) != FALSE;
  if (!info->bar_sync_posted) UpdateScrollBar(info);
}

std::wstring EditorText(const GridInfo* info) {
  const int length = GetWindowTextLengthW(info->editor);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(info->editor, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

void SetEditorText(GridInfo* info, const std::wstring& text) {
  FlagScope setting(info->setting_text);  // the EN_CHANGE this causes is not the user's
  SetWindowTextW(info->editor, text.c_str());
}

void SelectAll(GridInfo* info) { SendMessageW(info->editor, EM_SETSEL, 0, -1); }

bool EditorVisible(const GridInfo* info) {
  return info->editor != nullptr && (GetWindowLongW(info->editor, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Puts the editor over its cell, or hides it while the cell is out of view.
// A hidden editor hands the focus to the grid, and a shown one takes it back.
void PlaceEditor(GridInfo* info) {
  if (info->editor == nullptr || info->edit_row < kFirstRow) return;
  if (info->edit_row >= RowCount(info)) return;  // its row is going: the model moves the cell next
  RECT rect;
  const bool laid_out = CellRect(info, info->edit_col, info->edit_row, &rect);
  if (laid_out && info->edit_row <= LastShownRow(info)) {
    if (!EditorVisible(info) || !EqualRect(&rect, &info->placed)) {
      SetWindowPos(info->editor, HWND_TOP, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
      info->placed = rect;
      // The edit control keeps the horizontal scroll it chose at its old size;
      // scroll back to the start, then give the selection back.
      DWORD start = 0;
      DWORD end = 0;
      SendMessageW(info->editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
      SendMessageW(info->editor, EM_SETSEL, 0, 0);
      SendMessageW(info->editor, EM_SETSEL, start, end);
    }
    if (GetFocus() == info->hwnd && info->drag_col < 0) SetFocus(info->editor);
  } else if (EditorVisible(info)) {
    if (GetFocus() == info->editor) SetFocus(info->hwnd);
    SetWindowPos(info->editor, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void ScrollTo(GridInfo* info, int top_row) {
  top_row = std::clamp(top_row, kFirstRow, MaxTopRow(info));
  if (top_row == info->top_row) return;
  const int rows = info->top_row - top_row;
  info->top_row = top_row;
  UpdateScrollBar(info);
  if (!info->all_invalid) {
    RECT area{};
    GetClientRect(info->hwnd, &area);
    area.top = Pitch(info);  // the header row stays
    if (std::abs(rows) < PageRows(info) + 1) {
      ScrollWindowEx(info->hwnd, 0, rows * Pitch(info), &area, &area, nullptr, nullptr,
                     SW_INVALIDATE);
    } else {
      InvalidateRect(info->hwnd, &area, FALSE);
    }
  }
  PlaceEditor(info);
}

// Shifts the ordinary columns left no further than needed to show them all.
void FitLeftCol(GridInfo* info) {
  const int width = ClientSize(info).cx;
  int left = info->left_col;
  while (left > kFirstCol && ColLeftFrom(info, left - 1, ColCount(info)) <= width) --left;
  if (left != info->left_col) {
    info->left_col = left;
    InvalidateAll(info);
  }
}

void ScrollIntoView(GridInfo* info, int col, int row) {
  const int page = PageRows(info);
  int top = info->top_row;
  if (row < top) {
    top = row;
  } else if (row > top + page - 1) {
    top = row - page + 1;
  }
  ScrollTo(info, top);

  const int width = ClientSize(info).cx;
  int left = info->left_col;
  if (col < left) left = col;
  while (left < col && ColLeftFrom(info, left, col) + info->model.ColWidth(col) > width) ++left;
  if (left != info->left_col) {
    info->left_col = left;
    InvalidateAll(info);
    PlaceEditor(info);
  }
}

// ---------------------------------------------------------------------------
// The cell editor.

LRESULT CALLBACK EditorProc(HWND edit, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                            DWORD_PTR data);

void EnsureEditor(GridInfo* info) {
  if (info->editor != nullptr) return;
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(info->hwnd, GWLP_HINSTANCE));
  HWND edit = CreateWindowExW(
      0, L"EDIT", L"", WS_CHILD | ES_LEFT | ES_AUTOHSCROLL, 0, 0, 0, 0, info->hwnd,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditorControlId)), instance, nullptr);
  if (edit == nullptr) throw EOutOfResources("StringGrid: cannot create the cell editor");
  SetWindowSubclass(edit, EditorProc, kEditorSubclassId, reinterpret_cast<DWORD_PTR>(info));
  info->editor = edit;
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(info->font), FALSE);
  SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
               MAKELPARAM(kTextOffset, kTextOffset));
  SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
  // The subclass reserves the top strip; recompute the frame with it.
  SetWindowPos(edit, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// Shows a cell's text in the editor, whole text selected. No write-back.
void ShowCell(GridInfo* info, const std::string& text) {
  info->edit_text = text;
  info->loaded_text = text;
  SetEditorText(info, WidenCp932(text));
  info->loaded_shown = EditorText(info);
  SelectAll(info);
}

// Loads the editor with a cell's text, whole text selected. No write-back.
void LoadEditor(GridInfo* info, int col, int row) {
  EnsureEditor(info);
  info->edit_col = col;
  info->edit_row = row;
  ShowCell(info, info->model.Cell(col, row));
}

// A program write reached the editor's cell: show it without a write-back.
void RefreshEditor(GridInfo* info) {
  if (info->editor == nullptr || info->edit_row < kFirstRow || info->writing_back) return;
  const std::string& text = info->model.Cell(info->edit_col, info->edit_row);
  if (text != info->edit_text) {
    ShowCell(info, text);
  } else if (text != info->loaded_text) {
    // The editor shows these bytes already (the cell below moved up into its
    // row, say), but what it loaded came from another cell: only what it
    // remembers changes, not the text, caret and selection the user sees.
    info->loaded_text = text;
    info->loaded_shown = EditorText(info);
  }
}

// Writes the editor's text into its cell and raises the cell edit event,
// also when the text did not change.
void WriteBack(GridInfo* info) {
  if (info->editor == nullptr || info->edit_row < kFirstRow || info->edit_row >= RowCount(info)) {
    return;
  }
  const int col = info->edit_col;
  const int row = info->edit_row;
  const std::wstring shown = EditorText(info);
  // Text the user did not change goes back as the bytes it came from.
  const bool changed = shown != info->loaded_shown;
  const std::string text = changed ? NarrowCp932(shown) : info->loaded_text;
  info->edit_text = text;
  {
    FlagScope writing(info->writing_back);
    info->model.SetCell(col, row, text);
  }
  // A character that code page 932 lacks became '?' in the cell: show it so,
  // keeping the caret where it was.
  const std::wstring stored = changed ? WidenCp932(text) : shown;
  if (stored != shown) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(info->editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    SetEditorText(info, stored);
    const DWORD length = static_cast<DWORD>(stored.size());
    SendMessageW(info->editor, EM_SETSEL, std::min(start, length), std::min(end, length));
  }
  info->events.OnSetEditText(col, row, text);
}

// The user moves the current cell. The editor writes back first (unless the
// caller did), then leaves; the model's notification moves it.
void MoveCurrent(GridInfo* info, int col, int row, bool write_back, int new_top = -1) {
  col = std::clamp(col, kFirstCol, LastCol(info));
  row = std::clamp(row, kFirstRow, RowCount(info) - 1);
  if (col == info->model.Col() && row == info->model.Row()) {
    ScrollIntoView(info, col, row);
    PlaceEditor(info);
    return;
  }
  if (write_back) WriteBack(info);
  if (new_top >= 0) ScrollTo(info, new_top);
  info->model.SetCurrentCell(col, row);
}

bool CaretAtLeftSide(const GridInfo* info) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(info->editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  const DWORD length = static_cast<DWORD>(GetWindowTextLengthW(info->editor));
  return start == 0 && (end == 0 || end == length);
}

bool CaretAtRightSide(const GridInfo* info) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(info->editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  const DWORD length = static_cast<DWORD>(GetWindowTextLengthW(info->editor));
  return (start == 0 || start == end) && end == length;
}

// Enter: whole text selected <-> nothing selected (caret at the end).
void ToggleSelection(GridInfo* info) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(info->editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  const DWORD length = static_cast<DWORD>(GetWindowTextLengthW(info->editor));
  if (start == 0 && end == length) {
    SendMessageW(info->editor, EM_SETSEL, length, length);
  } else {
    SelectAll(info);
  }
}

// Brings the editor onto the screen with the focus (the grid held it).
void ShowEditor(GridInfo* info, bool select_all) {
  if (info->edit_row < kFirstRow) LoadEditor(info, info->model.Col(), info->model.Row());
  ScrollIntoView(info, info->model.Col(), info->model.Row());
  PlaceEditor(info);
  if (GetFocus() != info->editor) SetFocus(info->editor);
  if (select_all) SelectAll(info);
}

void CancelDrag(GridInfo* info, bool restore) {
  if (info->drag_col < 0) return;
  const int col = info->drag_col;
  info->drag_col = -1;
  if (GetCapture() == info->hwnd) ReleaseCapture();
  if (restore) info->model.SetColWidth(col, info->drag_original);
}

// The keys the grid handles itself, in the editor (`in_editor`) or in the
// grid window. False: not a grid key, the control's own handling applies.
bool HandleKey(GridInfo* info, WPARAM key, bool in_editor) {
  const bool ctrl = KeyDown(VK_CONTROL);
  const bool shift = KeyDown(VK_SHIFT);
  const int col = info->model.Col();
  const int row = info->model.Row();
  const int last_col = LastCol(info);
  const int last_row = RowCount(info) - 1;
  const int page = PageRows(info);
  switch (key) {
    case VK_TAB: {
      int next_col = col;
      int next_row = row;
      if (shift) {
        if (--next_col < kFirstCol) {
          next_col = last_col;
          if (--next_row < kFirstRow) next_row = last_row;
        }
      } else if (++next_col > last_col) {
        next_col = kFirstCol;
        if (++next_row > last_row) next_row = kFirstRow;
      }
      MoveCurrent(info, next_col, next_row, true);
      return true;
    }
    case VK_UP:
      MoveCurrent(info, col, ctrl ? kFirstRow : row - 1, true);
      return true;
    case VK_DOWN:
      MoveCurrent(info, col, ctrl ? last_row : row + 1, true);
      return true;
    case VK_PRIOR:
      if (ctrl) {
        MoveCurrent(info, col, info->top_row, true);
      } else {
        MoveCurrent(info, col, row - page, true, info->top_row - page);
      }
      return true;
    case VK_NEXT:
      if (ctrl) {
        MoveCurrent(info, col, info->top_row + page - 1, true);
      } else {
        MoveCurrent(info, col, row + page, true, info->top_row + page);
      }
      return true;
    case VK_LEFT:
    case VK_HOME:
      if (in_editor && !ctrl && !CaretAtLeftSide(info)) return false;
      if (key == VK_LEFT) {
        MoveCurrent(info, ctrl ? kFirstCol : col - 1, row, true);
      } else {
        MoveCurrent(info, kFirstCol, ctrl ? kFirstRow : row, true);
      }
      return true;
    case VK_RIGHT:
    case VK_END:
      if (in_editor && !ctrl && !CaretAtRightSide(info)) return false;
      if (key == VK_RIGHT) {
        MoveCurrent(info, ctrl ? last_col : col + 1, row, true);
      } else {
        MoveCurrent(info, last_col, ctrl ? last_row : row, true);
      }
      return true;
    case VK_RETURN:
      if (in_editor) {
        ToggleSelection(info);
      } else {
        ShowEditor(info, false);
      }
      return true;
    case VK_F2:
      if (in_editor) return false;
      ShowEditor(info, false);
      return true;
    case VK_ESCAPE:
      if (info->drag_col < 0) return false;
      CancelDrag(info, true);
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// Model notifications (the program changed the model, or the grid did).

void OnCurrentCellChanged(GridInfo* info, int col, int row) {
  InvalidateCell(info, info->shown_col, info->shown_row);
  info->shown_col = col;
  info->shown_row = row;
  InvalidateCell(info, col, row);
  if (info->edit_row >= kFirstRow) LoadEditor(info, col, row);
  ScrollIntoView(info, col, row);
  PlaceEditor(info);
}

void OnRowCountChanged(GridInfo* info) {
  const int max_top = MaxTopRow(info);
  if (info->top_row > max_top) {
    info->top_row = max_top;
    PlaceEditor(info);
  }
  InvalidateAll(info);
  RequestScrollBarSync(info);
}

void OnColWidthChanged(GridInfo* info) {
  FitLeftCol(info);
  InvalidateAll(info);
  PlaceEditor(info);
}

GridInfo::GridInfo(HWND window, const CreateParams& params)
    : hwnd(window),
      model(*params.model),
      events(*params.events),
      options(*params.options),
      font(params.options->font != nullptr ? params.options->font
                                           : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))),
      shown_col(params.model->Col()),
      shown_row(params.model->Row()) {
  if (options.row_height < 1) options.row_height = 1;
  // An error that ends a handler cancels any mouse capture (the column drag
  // included) before it is reported.
  sink = [this](const std::exception& error) {
    drag_col = -1;
    if (GetCapture() != nullptr) ReleaseCapture();
    if (options.on_error) options.on_error(error);
  };
}

void GridInfo::OnGridChanged(GridChange change, int col, int row) {
  switch (change) {
    case GridChange::Cell:
      InvalidateCell(this, col, row);
      if (col == edit_col && row == edit_row) RefreshEditor(this);
      break;
    case GridChange::AllCells:
      InvalidateAll(this);
      RefreshEditor(this);
      break;
    case GridChange::RowCount:
      OnRowCountChanged(this);
      break;
    case GridChange::ColWidth:
      OnColWidthChanged(this);
      break;
    case GridChange::CurrentCell:
      OnCurrentCellChanged(this, col, row);
      break;
    case GridChange::MarkedRow:
      if (row >= kFirstRow) InvalidateCell(this, kNumberCol, row);
      if (model.MarkedRow() >= kFirstRow) InvalidateCell(this, kNumberCol, model.MarkedRow());
      break;
  }
}

// ---------------------------------------------------------------------------
// Painting: only the rows that meet the update rectangle.

class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
  ~PaintScope() { EndPaint(hwnd_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const RECT& area() const { return paint_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

bool FocusWithin(const GridInfo* info) {
  HWND focus = GetFocus();
  return focus != nullptr && (focus == info->hwnd || focus == info->editor);
}

// A small arrow at the right edge of a number cell, pointing at its row.
void PaintTourArrow(HDC dc, const RECT& rect) {
  const int size = std::min<int>((rect.bottom - rect.top) / 3, (rect.right - rect.left) / 4);
  if (size < 2) return;
  const int middle = (rect.top + rect.bottom) / 2;
  const int tip = rect.right - 3;
  const POINT arrow[] = {{tip - size, middle - size}, {tip, middle}, {tip - size, middle + size}};
  const HGDIOBJ old_brush = SelectObject(dc, GetSysColorBrush(COLOR_BTNTEXT));
  const HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
  Polygon(dc, arrow, 3);
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
}

void PaintCell(const GridInfo* info, HDC dc, int col, int row, const RECT& rect) {
  const bool fixed = !IsOrdinary(col, row);
  const bool selected =
      !fixed && col == info->model.Col() && row == info->model.Row() && !FocusWithin(info);
  const bool tour_row = col == kNumberCol && row >= kFirstRow && row == info->model.MarkedRow();
  COLORREF back = GetSysColor(COLOR_WINDOW);
  int fore = COLOR_WINDOWTEXT;
  if (fixed) {
    back = tour_row ? kTourRowColor : GetSysColor(COLOR_BTNFACE);
    fore = COLOR_BTNTEXT;
  } else if (selected) {
    back = GetSysColor(COLOR_HIGHLIGHT);
    fore = COLOR_HIGHLIGHTTEXT;
  }
  SetBkColor(dc, back);
  SetTextColor(dc, GetSysColor(fore));
  const std::wstring text = WidenCp932(info->model.Cell(col, row));
  ExtTextOutW(dc, rect.left + kTextOffset, rect.top + kTextOffset, ETO_CLIPPED | ETO_OPAQUE, &rect,
              text.c_str(), static_cast<UINT>(text.size()), nullptr);
  if (tour_row) PaintTourArrow(dc, rect);
  if (fixed && rect.right - rect.left >= 2 && rect.bottom - rect.top >= 2) {
    RECT edge = rect;
    DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
  }
}

void PaintRow(const GridInfo* info, HDC dc, int row, const RECT& area) {
  const int y = RowTop(info, row);
  const int height = info->options.row_height;
  HBRUSH fixed_line = GetSysColorBrush(COLOR_WINDOWFRAME);
  auto line_brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
  int x = 0;
  for (int col = 0; col < ColCount(info) && x < area.right; ++col) {
    if (!ColShown(info, col)) continue;
    const int width = info->model.ColWidth(col);
    if (x + width + 1 > area.left) {
      const RECT cell{x, y, x + width, y + height};
      PaintCell(info, dc, col, row, cell);
      HBRUSH line = fixed_line;
      if (IsOrdinary(col, row)) {
        SetDCBrushColor(dc, kLineColor);
        line = line_brush;
      }
      const RECT right{x + width, y, x + width + 1, y + height + 1};
      const RECT bottom{x, y + height, x + width, y + height + 1};
      FillRect(dc, &right, line);
      FillRect(dc, &bottom, line);
    }
    x += width + 1;
  }
}

LRESULT OnPaint(GridInfo* info) {
  PaintScope paint(info->hwnd);
  info->all_invalid = false;
  HDC dc = paint.dc();
  if (dc == nullptr) return 0;
  const RECT& area = paint.area();
  const HGDIOBJ old_font = SelectObject(dc, info->font);
  const int pitch = Pitch(info);

  if (area.top < pitch) PaintRow(info, dc, 0, area);
  const int last = LastShownRow(info);
  if (area.bottom > pitch) {
    const int first = info->top_row + std::max(0, static_cast<int>(area.top) - pitch) / pitch;
    const int end =
        std::min(last, info->top_row + static_cast<int>(area.bottom - 1 - pitch) / pitch);
    for (int row = first; row <= end; ++row) PaintRow(info, dc, row, area);
  }

  // The window colour right of the columns and below the rows.
  HBRUSH window = GetSysColorBrush(COLOR_WINDOW);
  const int cols_right = ColLeft(info, ColCount(info));
  const int rows_bottom = last >= info->top_row ? RowTop(info, last) + pitch : pitch;
  if (cols_right < area.right) {
    const RECT right{std::max(cols_right, static_cast<int>(area.left)), area.top, area.right,
                     area.bottom};
    FillRect(dc, &right, window);
  }
  if (rows_bottom < area.bottom) {
    const RECT below{area.left, std::max(rows_bottom, static_cast<int>(area.top)),
                     std::min(cols_right, static_cast<int>(area.right)), area.bottom};
    if (below.left < below.right) FillRect(dc, &below, window);
  }
  SelectObject(dc, old_font);
  return 0;
}

// ---------------------------------------------------------------------------
// Message handlers of the grid window.

LRESULT OnSyncScrollBar(GridInfo* info) {
  info->bar_sync_posted = false;
  UpdateScrollBar(info);
  return 0;
}

LRESULT OnCreate(GridInfo* info) {
  UpdateScrollBar(info);
  return 0;
}

LRESULT OnSize(GridInfo* info) {
  const int max_top = MaxTopRow(info);
  if (info->top_row > max_top) {
    info->top_row = max_top;
    InvalidateAll(info);
  }
  FitLeftCol(info);
  UpdateScrollBar(info);
  PlaceEditor(info);
  return 0;
}

LRESULT OnSetFocus(GridInfo* info) {
  InvalidateCell(info, info->model.Col(), info->model.Row());
  if (info->edit_row < kFirstRow) LoadEditor(info, info->model.Col(), info->model.Row());
  PlaceEditor(info);  // hands the focus on to the editor when its cell is in view
  return 0;
}

LRESULT OnKillFocus(GridInfo* info, HWND next) {
  InvalidateCell(info, info->model.Col(), info->model.Row());
  if (next != info->editor) WriteBack(info);  // not merely handing it to the editor
  return 0;
}

LRESULT OnButtonDown(GridInfo* info, UINT msg, LPARAM lparam) {
  const int x = static_cast<short>(LOWORD(lparam));
  const int y = static_cast<short>(HIWORD(lparam));
  const HitResult hit = HitTest(info, x, y);
  const bool editor_open = info->edit_row >= kFirstRow;
  if (!FocusWithin(info)) SetFocus(info->hwnd);
  // A press anywhere on the grid outside the editor commits it.
  if (editor_open) WriteBack(info);
  if (msg != WM_LBUTTONDOWN) return 0;
  if (hit.divider >= 0) {
    info->drag_col = hit.divider;
    info->drag_original = info->model.ColWidth(hit.divider);
    info->drag_offset = x - (ColLeft(info, hit.divider) + info->drag_original);
    SetCapture(info->hwnd);
    return 0;
  }
  if (hit.col >= 0 && hit.row >= 0 && IsOrdinary(hit.col, hit.row)) {
    MoveCurrent(info, hit.col, hit.row, false);
  }
  return 0;
}

LRESULT OnMouseMove(GridInfo* info, LPARAM lparam) {
  if (info->drag_col < 0) return 0;
  const int x = static_cast<short>(LOWORD(lparam));
  SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
  const int width = std::max(0, x - info->drag_offset - ColLeft(info, info->drag_col));
  info->model.SetColWidth(info->drag_col, width);
  return 0;
}

LRESULT OnLButtonUp(GridInfo* info) {
  CancelDrag(info, false);  // the width as dragged stays
  return 0;
}

LRESULT OnCaptureChanged(GridInfo* info) {
  info->drag_col = -1;
  return 0;
}

LRESULT OnCancelMode(GridInfo* info) {
  CancelDrag(info, false);
  return 0;
}

LRESULT OnSetCursor(GridInfo* info, WPARAM wparam, LPARAM lparam) {
  if (reinterpret_cast<HWND>(wparam) == info->hwnd && LOWORD(lparam) == HTCLIENT) {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(info->hwnd, &point);
    if (info->drag_col >= 0 || HitTest(info, point.x, point.y).divider >= 0) {
      SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
      return TRUE;
    }
  }
  return DefWindowProcW(info->hwnd, WM_SETCURSOR, wparam, lparam);
}

LRESULT OnVScroll(GridInfo* info, WPARAM wparam) {
  const int page = PageRows(info);
  int top = info->top_row;
  switch (LOWORD(wparam)) {
    case SB_LINEUP:
      top -= 1;
      break;
    case SB_LINEDOWN:
      top += 1;
      break;
    case SB_PAGEUP:
      top -= page;
      break;
    case SB_PAGEDOWN:
      top += page;
      break;
    case SB_TOP:
      top = kFirstRow;
      break;
    case SB_BOTTOM:
      top = MaxTopRow(info);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO bar{};
      bar.cbSize = sizeof bar;
      bar.fMask = SIF_TRACKPOS;
      GetScrollInfo(info->hwnd, SB_VERT, &bar);  // 32 bits, unlike HIWORD(wparam)
      top = bar.nTrackPos;
      break;
    }
    default:
      return 0;
  }
  ScrollTo(info, top);
  // While the box is dragged the scroll bar runs its own loop: paint now so
  // that the rows follow it continuously.
  if (LOWORD(wparam) == SB_THUMBTRACK) UpdateWindow(info->hwnd);
  return 0;
}

LRESULT OnMouseWheel(GridInfo* info, WPARAM wparam) {
  info->wheel_delta += GET_WHEEL_DELTA_WPARAM(wparam);
  const int steps = info->wheel_delta / WHEEL_DELTA;
  if (steps == 0) return 0;
  info->wheel_delta -= steps * WHEEL_DELTA;
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  const int rows =
      lines == WHEEL_PAGESCROLL ? steps * PageRows(info) : steps * static_cast<int>(lines);
  ScrollTo(info, info->top_row - rows);
  return 0;
}

LRESULT OnKeyDown(GridInfo* info, WPARAM key, LPARAM lparam) {
  if (HandleKey(info, key, false)) return 0;
  return DefWindowProcW(info->hwnd, WM_KEYDOWN, key, lparam);
}

// A character typed while the grid itself holds the focus opens the editor
// on the current cell and replaces its text, as typing into a cell does.
LRESULT OnChar(GridInfo* info, WPARAM ch, LPARAM lparam) {
  if (ch < 0x20 || ch == 0x7F) return 0;
  const bool editing = GetFocus() == info->editor;  // an earlier char of the same input moved it
  ShowEditor(info, !editing);
  SendMessageW(info->editor, WM_CHAR, ch, lparam);
  return 0;
}

LRESULT OnCommand(GridInfo* info, WPARAM wparam, LPARAM lparam) {
  if (HIWORD(wparam) == EN_CHANGE && reinterpret_cast<HWND>(lparam) == info->editor &&
      info->editor != nullptr && !info->setting_text) {
    WriteBack(info);  // the user changed the text
  }
  return 0;
}

LRESULT OnSetFont(GridInfo* info, WPARAM wparam, LPARAM lparam) {
  auto font = reinterpret_cast<HFONT>(wparam);
  info->font = font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (info->editor != nullptr) {
    SendMessageW(info->editor, WM_SETFONT, reinterpret_cast<WPARAM>(info->font), lparam);
    SendMessageW(info->editor, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELPARAM(kTextOffset, kTextOffset));
  }
  if (LOWORD(lparam) != 0) InvalidateAll(info);
  return 0;
}

LRESULT OnNcCreate(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
  const auto* params = static_cast<const CreateParams*>(create->lpCreateParams);
  if (params == nullptr || params->model == nullptr || params->events == nullptr ||
      params->options == nullptr) {
    return FALSE;
  }
  return CallGuarded(params->options->on_error, FALSE, [&]() -> LRESULT {
    auto info = std::make_unique<GridInfo>(hwnd, *params);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(info.get()));
    info->model.SetObserver(info.get());
    info.release();
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  });
}

LRESULT OnNcDestroy(GridInfo* info, WPARAM wparam, LPARAM lparam) {
  HWND hwnd = info->hwnd;
  info->model.SetObserver(nullptr);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  delete info;
  return DefWindowProcW(hwnd, WM_NCDESTROY, wparam, lparam);
}

LRESULT CALLBACK GridWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) return OnNcCreate(hwnd, msg, wparam, lparam);
  GridInfo* info = GetInfo(hwnd);
  if (info == nullptr) return DefWindowProcW(hwnd, msg, wparam, lparam);
  switch (msg) {
    case WM_CREATE:
      return Run(info, -1, [&] { return OnCreate(info); });
    case WM_NCDESTROY:
      return OnNcDestroy(info, wparam, lparam);
    case WM_SIZE:
      return Run(info, 0, [&] { return OnSize(info); });
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT:
      return Run(info, 0, [&] { return OnPaint(info); });
    case WM_SETFOCUS:
      return Run(info, 0, [&] { return OnSetFocus(info); });
    case WM_KILLFOCUS:
      return Run(info, 0, [&] { return OnKillFocus(info, reinterpret_cast<HWND>(wparam)); });
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      return Run(info, 0, [&] { return OnButtonDown(info, msg, lparam); });
    case WM_MOUSEMOVE:
      return Run(info, 0, [&] { return OnMouseMove(info, lparam); });
    case WM_LBUTTONUP:
      return Run(info, 0, [&] { return OnLButtonUp(info); });
    case WM_CAPTURECHANGED:
      return Run(info, 0, [&] { return OnCaptureChanged(info); });
    case WM_CANCELMODE:
      return Run(info, 0, [&] { return OnCancelMode(info); });
    case WM_SETCURSOR:
      return Run(info, FALSE, [&] { return OnSetCursor(info, wparam, lparam); });
    case WM_VSCROLL:
      return Run(info, 0, [&] { return OnVScroll(info, wparam); });
    case WM_MOUSEWHEEL:
      return Run(info, 0, [&] { return OnMouseWheel(info, wparam); });
    case WM_KEYDOWN:
      return Run(info, 0, [&] { return OnKeyDown(info, wparam, lparam); });
    case WM_CHAR:
      return Run(info, 0, [&] { return OnChar(info, wparam, lparam); });
    case WM_GETDLGCODE:
      // TAB, the arrows and Enter belong to the grid, not to IsDialogMessage.
      return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
    case WM_COMMAND:
      return Run(info, 0, [&] { return OnCommand(info, wparam, lparam); });
    case WM_SETFONT:
      return Run(info, 0, [&] { return OnSetFont(info, wparam, lparam); });
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(info->font);
    case kSyncScrollBar:
      return Run(info, 0, [&] { return OnSyncScrollBar(info); });
    case WM_SYSCOLORCHANGE:
      return Run(info, 0, [&] {
        InvalidateAll(info);
        return LRESULT{0};
      });
    default:
      return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
}

// ---------------------------------------------------------------------------
// Message handlers of the cell editor (a subclassed EDIT).

LRESULT EditorKeyDown(GridInfo* info, HWND edit, WPARAM key, LPARAM lparam) {
  if (HandleKey(info, key, true)) return 0;
  return DefSubclassProc(edit, WM_KEYDOWN, key, lparam);
}

LRESULT EditorChar(HWND edit, WPARAM ch, LPARAM lparam) {
  // TAB and Enter are grid commands, Esc does nothing: none is text.
  if (ch == L'\t' || ch == L'\r' || ch == L'\n' || ch == 0x1B) return 0;
  return DefSubclassProc(edit, WM_CHAR, ch, lparam);
}

// The editor covers its whole cell but starts its text 2 pixels below the
// cell's top edge: the top strip is non-client area.
LRESULT EditorNcCalcSize(HWND edit, WPARAM wparam, LPARAM lparam) {
  const LRESULT result = DefSubclassProc(edit, WM_NCCALCSIZE, wparam, lparam);
  auto* client = reinterpret_cast<RECT*>(lparam);  // also rgrc[0] of NCCALCSIZE_PARAMS
  client->top += std::clamp<LONG>(client->bottom - client->top, 0, kTextOffset);
  return result;
}

LRESULT EditorNcPaint(HWND edit, WPARAM wparam, LPARAM lparam) {
  const LRESULT result = DefSubclassProc(edit, WM_NCPAINT, wparam, lparam);
  RECT window{};
  GetWindowRect(edit, &window);
  if (HDC dc = GetWindowDC(edit)) {
    const RECT strip{0, 0, window.right - window.left, kTextOffset};
    FillRect(dc, &strip, GetSysColorBrush(COLOR_WINDOW));
    ReleaseDC(edit, dc);
  }
  return result;
}

LRESULT EditorNcHitTest(HWND edit, WPARAM wparam, LPARAM lparam) {
  RECT window{};
  GetWindowRect(edit, &window);
  const POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  if (PtInRect(&window, point)) return HTCLIENT;  // the top strip is the editor's too
  return DefSubclassProc(edit, WM_NCHITTEST, wparam, lparam);
}

LRESULT CALLBACK EditorProc(HWND edit, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                            DWORD_PTR data) {
  auto* info = reinterpret_cast<GridInfo*>(data);
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      return Run(info, 0, [&] { return EditorKeyDown(info, edit, wparam, lparam); });
    case WM_CHAR:
      return Run(info, 0, [&] { return EditorChar(edit, wparam, lparam); });
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return Run(info, 0, [&] {
        InvalidateCell(info, info->model.Col(), info->model.Row());
        return DefSubclassProc(edit, msg, wparam, lparam);
      });
    case WM_NCCALCSIZE:
      return Run(info, 0, [&] { return EditorNcCalcSize(edit, wparam, lparam); });
    case WM_NCPAINT:
      return Run(info, 0, [&] { return EditorNcPaint(edit, wparam, lparam); });
    case WM_NCHITTEST:
      return Run(info, HTCLIENT, [&] { return EditorNcHitTest(edit, wparam, lparam); });
    case WM_MOUSEWHEEL:
      // The grid scrolls (a single-line EDIT would swallow it under Wine).
      return SendMessageW(info->hwnd, WM_MOUSEWHEEL, wparam, lparam);
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, EditorProc, kEditorSubclassId);
      if (info->editor == edit) info->editor = nullptr;
      return DefSubclassProc(edit, msg, wparam, lparam);
    default:
      return DefSubclassProc(edit, msg, wparam, lparam);
  }
}

}  // namespace

void StringGridControl::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, kClassName, &existing)) return;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = GridWndProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kClassName;
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw EOutOfResources("StringGrid: cannot register the window class");
  }
}

HWND StringGridControl::Create(HWND parent, int control_id, const RECT& bounds, StringGrid& model,
                               StringGridEvents& events, const Options& options) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(instance);
  CreateParams params{&model, &events, &options};
  return CreateWindowExW(
      WS_EX_CLIENTEDGE, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN,
      bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)), instance, &params);
}

HWND StringGridControl::Editor(HWND grid) {
  const GridInfo* info = GetInfo(grid);
  return info != nullptr ? info->editor : nullptr;
}

int StringGridControl::TopRow(HWND grid) {
  const GridInfo* info = GetInfo(grid);
  return info != nullptr ? info->top_row : 0;
}

}  // namespace vimbrel::win32
