#include "platform/win32/Win32PageReader.h"

#include <oleacc.h>

#include <algorithm>
#include <exception>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "platform/win32/Com.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Msaa.h"
#include "platform/win32/Wide.h"

namespace vimbrel::win32 {

namespace {

// How long a page window may take to hand out its object: less than the
// bound, so that a window that does not answer costs the thread nothing.
constexpr UINT kGetObjectTimeoutMs = PageReader::kBoundMs * 3 / 4;
// How many threads may be stuck in browsers that stopped answering before
// every call is "not told" at once.
constexpr std::size_t kMaxStuckThreads = 2;
// The search for the document in a Chromium window's own tree: at most this
// many calls, so that an odd tree costs a moment, not the bound.
constexpr int kDocumentSearchCalls = 150;
// How long the first SwitchOn for Chromium waits for its hook to be in place.
constexpr DWORD kHookWaitMs = PageReader::kBoundMs / 4;
constexpr UINT kLoadCompletedMessage = WM_APP;

// Ends the caller's apartment if it entered one.
class ThreadApartment {
 public:
  ThreadApartment() : status_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ThreadApartment() {
    if (SUCCEEDED(status_)) CoUninitialize();
  }
  ThreadApartment(const ThreadApartment&) = delete;
  ThreadApartment& operator=(const ThreadApartment&) = delete;

 private:
  HRESULT status_;
};

HWND AsWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }

struct DescendantSearch {
  const wchar_t* class_name;
  HWND found = nullptr;
};

BOOL CALLBACK MatchDescendant(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<DescendantSearch*>(context);
  wchar_t name[64];
  if (GetClassNameW(window, name, 64) == 0 || wcscmp(name, search.class_name) != 0) return TRUE;
  search.found = window;
  return !IsWindowVisible(window);
}

// A descendant of `top` of that class, a visible one where there are several
// (the page of the tab in front); null for none.
HWND FindDescendant(HWND top, const wchar_t* class_name) {
  DescendantSearch search{class_name};
  EnumChildWindows(top, MatchDescendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The window whose object is the page's document, or the root it is
// reached from; null when the family has none there.
HWND PageWindow(WindowHandle window, BrowserFamily family) {
  const HWND top = AsWindow(window);
  if (!IsWindow(top)) return nullptr;
  switch (family) {
    case BrowserFamily::InternetExplorer:
      return FindDescendant(top, msaa::kInternetExplorerPageClass);
    case BrowserFamily::Chromium:
      if (const HWND page = FindDescendant(top, msaa::kChromiumPageClass)) return page;
      return top;
    case BrowserFamily::Firefox:
      return top;
  }
  return nullptr;
}

VARIANT ChildId(long child) {
  VARIANT id;
  VariantInit(&id);
  V_VT(&id) = VT_I4;
  V_I4(&id) = child;
  return id;
}

ComPtr<IAccessible> AccessibleOf(const VARIANT& value) {
  ComPtr<IAccessible> object;
  if (V_VT(&value) == VT_DISPATCH && V_DISPATCH(&value)) {
    V_DISPATCH(&value)->QueryInterface(msaa::kIidAccessible, object.AddressAsVoid());
  }
  return object;
}

// Takes over the caller's reference to `dispatch`, which may be null.
ComPtr<IAccessible> AccessibleOf(IDispatch* dispatch) {
  ComPtr<IAccessible> object;
  if (dispatch) {
    dispatch->QueryInterface(msaa::kIidAccessible, object.AddressAsVoid());
    dispatch->Release();
  }
  return object;
}

std::uint32_t RoleOrState(HRESULT status, const Variant& value) {
  return status == S_OK && V_VT(&value.value) == VT_I4
             ? static_cast<std::uint32_t>(V_I4(&value.value))
             : 0;
}

// Role, state, name and value of `object`'s child `child`; false when the
// object does not tell even its role. A name or value it lacks is empty.
bool ReadFacts(IAccessible& object, long child, AccessibleFacts& facts) {
  const VARIANT id = ChildId(child);
  Variant role;
  const HRESULT role_status = object.get_accRole(id, &role.value);
  if (role_status != S_OK) return false;
  facts.role = RoleOrState(role_status, role);
  Variant state;
  facts.state = RoleOrState(object.get_accState(id, &state.value), state);
  Bstr name;
  if (object.get_accName(id, name.Address()) == S_OK) facts.name = NarrowCp932(name.View());
  Bstr value;
  if (object.get_accValue(id, value.Address()) == S_OK) facts.value = NarrowCp932(value.View());
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------

// oleacc.dll, from the system folder only, and the one function of it that
// the reader calls. Kept by every read that may still be running.
class Oleacc {
 public:
  static std::shared_ptr<Oleacc> Load() {
    Module module(LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!module.Valid()) {
      // Windows that does not know the flag (7 without KB2533623): the full
      // path, so that nothing else is searched.
      wchar_t folder[MAX_PATH];
      const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
      if (length == 0 || length >= MAX_PATH) return nullptr;
      const std::wstring path = std::wstring(folder, length) + L"\\oleacc.dll";
      module.Reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    }
    const auto object_from_lresult = reinterpret_cast<decltype(&::ObjectFromLresult)>(
        reinterpret_cast<void (*)()>(GetProcAddress(module.Get(), "ObjectFromLresult")));
    if (!object_from_lresult) return nullptr;
    return std::shared_ptr<Oleacc>(new Oleacc(std::move(module), object_from_lresult));
  }

  // The object that `window` hands out for `object_id`, asked with a
  // timeout; empty when it hands out none or does not answer.
  ComPtr<IAccessible> ObjectOf(HWND window, LPARAM object_id) const {
    ComPtr<IAccessible> object;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, WM_GETOBJECT, 0, object_id, SMTO_ABORTIFHUNG,
                            kGetObjectTimeoutMs, &result) &&
        static_cast<LRESULT>(result) > 0) {
      // Taken even when unwanted: the window keeps the object until it is.
      object_from_lresult_(static_cast<LRESULT>(result), msaa::kIidAccessible, 0,
                           object.AddressAsVoid());
    }
    return object;
  }

 private:
  Oleacc(Module module, decltype(&::ObjectFromLresult) object_from_lresult)
      : module_(std::move(module)), object_from_lresult_(object_from_lresult) {}

  Module module_;
  decltype(&::ObjectFromLresult) object_from_lresult_;
};

namespace {

// The first object of role document in `root`'s tree, breadth first, within
// a budget of calls: Chromium without a page window keeps the page's
// document in the tree of its top-level window.
ComPtr<IAccessible> FindDocument(ComPtr<IAccessible> root) {
  std::vector<ComPtr<IAccessible>> queue;
  queue.push_back(std::move(root));
  int calls = kDocumentSearchCalls;
  for (std::size_t next = 0; next < queue.size() && calls > 0; ++next) {
    IAccessible& object = *queue[next].Get();
    Variant role;
    --calls;
    if (RoleOrState(object.get_accRole(ChildId(CHILDID_SELF), &role.value), role) ==
        accessible::kRoleDocument) {
      return std::move(queue[next]);
    }
    long count = 0;
    --calls;
    if (object.get_accChildCount(&count) != S_OK) continue;
    for (long child = 1; child <= count && calls > 0; ++child, --calls) {
      IDispatch* dispatch = nullptr;
      if (object.get_accChild(ChildId(child), &dispatch) != S_OK) continue;
      if (ComPtr<IAccessible> found = AccessibleOf(dispatch)) queue.push_back(std::move(found));
    }
  }
  return {};
}

// The page's document: the page window's own object (Internet Explorer,
// Chromium's page window), the one the root's EMBEDS relation names
// (Firefox), or one found in the top-level window's tree (Chromium without
// a page window).
ComPtr<IAccessible> DocumentOf(const Oleacc& oleacc, HWND page, WindowHandle window,
                               BrowserFamily family) {
  ComPtr<IAccessible> root = oleacc.ObjectOf(page, OBJID_CLIENT);
  if (!root) return {};
  if (family == BrowserFamily::Firefox) {
    Variant embedded;
    if (root->accNavigate(msaa::kNavRelationEmbeds, ChildId(CHILDID_SELF), &embedded.value) !=
        S_OK) {
      return {};
    }
    return AccessibleOf(embedded.value);
  }
  if (family == BrowserFamily::Chromium && page == AsWindow(window))
    return FindDocument(std::move(root));
  return root;
}

FocusFacts ReadFocus(IAccessible& document) {
  FocusFacts facts;
  Variant focus;
  if (FAILED(document.get_accFocus(&focus.value))) return facts;
  switch (V_VT(&focus.value)) {
    case VT_EMPTY:
      facts.where = FocusFacts::Where::OutsidePage;
      return facts;
    case VT_I4: {
      const long child = V_I4(&focus.value);
      if (child == CHILDID_SELF) {
        facts.where = FocusFacts::Where::Page;
        return facts;
      }
      // A child that is an object of its own is asked itself.
      IDispatch* dispatch = nullptr;
      if (document.get_accChild(focus.value, &dispatch) != S_OK) dispatch = nullptr;
      const ComPtr<IAccessible> object = AccessibleOf(dispatch);
      if (object ? ReadFacts(*object.Get(), CHILDID_SELF, facts.element)
                 : ReadFacts(document, child, facts.element)) {
        facts.where = FocusFacts::Where::Element;
      }
      return facts;
    }
    case VT_DISPATCH: {
      const ComPtr<IAccessible> object = AccessibleOf(focus.value);
      if (object && ReadFacts(*object.Get(), CHILDID_SELF, facts.element)) {
        facts.where = FocusFacts::Where::Element;
      }
      return facts;
    }
    default:
      return facts;
  }
}

// Asks the browser to fill its pages in: Chromium by the object id for it
// and then a read of the document's name, Firefox by any call on its root.
void AskForPages(const Oleacc& oleacc, HWND page, WindowHandle window, BrowserFamily family) {
  if (family == BrowserFamily::Chromium) oleacc.ObjectOf(page, msaa::kChromiumSwitchOnObjectId);
  if (const ComPtr<IAccessible> document = DocumentOf(oleacc, page, window, family)) {
    Bstr name;
    document->get_accName(ChildId(CHILDID_SELF), name.Address());
  }
}

}  // namespace

// ---------------------------------------------------------------------------

// A thread in the multithreaded apartment that runs one read at a time. Once
// retired it ends after the read it is in, if any.
class ReaderThread {
 public:
  static std::shared_ptr<ReaderThread> Start() {
    auto shared = std::make_shared<Shared>();
    if (!shared->wake.Valid() || !shared->done.Valid()) return nullptr;
    auto* handed_over = new std::shared_ptr<Shared>(shared);
    KernelObject thread(CreateThread(nullptr, 0, ThreadMain, handed_over, 0, nullptr));
    if (!thread.Valid()) {
      delete handed_over;
      return nullptr;
    }
    return std::shared_ptr<ReaderThread>(new ReaderThread(std::move(shared), std::move(thread)));
  }
  ~ReaderThread() { Retire(); }
  ReaderThread(const ReaderThread&) = delete;
  ReaderThread& operator=(const ReaderThread&) = delete;

  // Whether `read` ran to its end within `ms`; if not, the thread is retired.
  bool Run(std::function<void()> read, DWORD ms) {
    {
      const std::lock_guard<std::mutex> lock(shared_->mutex);
      shared_->read = std::move(read);
    }
    SetEvent(shared_->wake.Get());
    if (WaitForSingleObject(shared_->done.Get(), ms) == WAIT_OBJECT_0) return true;
    Retire();
    return false;
  }
  bool Ended() const { return WaitForSingleObject(thread_.Get(), 0) == WAIT_OBJECT_0; }

 private:
  struct Shared {
    std::mutex mutex;
    std::function<void()> read;
    bool retired = false;
    KernelObject wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    KernelObject done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  };

  ReaderThread(std::shared_ptr<Shared> shared, KernelObject thread)
      : shared_(std::move(shared)), thread_(std::move(thread)) {}

  void Retire() {
    {
      const std::lock_guard<std::mutex> lock(shared_->mutex);
      shared_->retired = true;
    }
    SetEvent(shared_->wake.Get());
  }

  static DWORD WINAPI ThreadMain(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Shared>> handed_over(
        static_cast<std::shared_ptr<Shared>*>(parameter));
    Shared& shared = **handed_over;
    const ThreadApartment apartment;
    for (;;) {
      WaitForSingleObject(shared.wake.Get(), INFINITE);
      std::function<void()> read;
      {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.retired) return 0;  // nobody waits for what it would read
        read = std::move(shared.read);
        shared.read = nullptr;
      }
      if (!read) continue;
      try {
        read();
      } catch (const std::exception&) {
        // Out of memory: the read tells what it had.
      }
      read = nullptr;  // what it held goes in this apartment
      SetEvent(shared.done.Get());
    }
  }

  std::shared_ptr<Shared> shared_;
  KernelObject thread_;
};

// ---------------------------------------------------------------------------

// Which page windows have fired Chromium's load-complete event since the
// hook was set: an out-of-context WinEvent hook, whose callback runs on a
// thread of its own that only pumps messages, so that a browser never waits
// for it. The callback has no context: it posts the window to its own thread,
// whose loop holds the state. A page window is new with its row's window, so
// what it fired is its page's.
class LoadEvents {
 public:
  ~LoadEvents() {
    if (!thread_.Valid()) return;
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_.Get(), PageReader::kBoundMs);
  }

  // Starts the thread and waits until its hook is in place; false when the
  // hook could not be set in time.
  bool Start() {
    if (!shared_->ready.Valid()) return false;
    auto* handed_over = new std::shared_ptr<Shared>(shared_);
    thread_.Reset(CreateThread(nullptr, 0, ThreadMain, handed_over, 0, &thread_id_));
    if (!thread_.Valid()) {
      delete handed_over;
      return false;
    }
    const HANDLE waits[] = {shared_->ready.Get(), thread_.Get()};
    return WaitForMultipleObjects(2, waits, FALSE, kHookWaitMs) == WAIT_OBJECT_0;
  }

  bool Completed(HWND page) const {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->completed.count(page) != 0;
  }

 private:
  struct Shared {
    std::mutex mutex;
    std::set<HWND> completed;  // the windows heard, those that are gone pruned
    KernelObject ready{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // the hook is in place
  };

  static void CALLBACK Heard(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
    PostThreadMessageW(GetCurrentThreadId(), kLoadCompletedMessage,
                       reinterpret_cast<WPARAM>(window), 0);
  }

  static DWORD WINAPI ThreadMain(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Shared>> handed_over(
        static_cast<std::shared_ptr<Shared>*>(parameter));
    Shared& shared = **handed_over;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue, for the posts
    const HWINEVENTHOOK hook =
        SetWinEventHook(msaa::kEventDocumentLoadComplete, msaa::kEventDocumentLoadComplete, nullptr,
                        Heard, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (!hook) return 1;
    SetEvent(shared.ready.Get());
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.hwnd || message.message != kLoadCompletedMessage) continue;
      const std::lock_guard<std::mutex> lock(shared.mutex);
      for (auto window = shared.completed.begin(); window != shared.completed.end();) {
        window = IsWindow(*window) ? std::next(window) : shared.completed.erase(window);
      }
      shared.completed.insert(reinterpret_cast<HWND>(message.wParam));
    }
    UnhookWinEvent(hook);
    return 0;
  }

  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  KernelObject thread_;
  DWORD thread_id_ = 0;
};

// ---------------------------------------------------------------------------

Win32PageReader::Win32PageReader() = default;

Win32PageReader::~Win32PageReader() = default;

bool Win32PageReader::Run(DWORD start, HWND page, std::function<void(const Oleacc&)> read) {
  if (!page) return false;
  stuck_.erase(std::remove_if(stuck_.begin(), stuck_.end(),
                              [](const Stuck& stuck) { return stuck.thread->Ended(); }),
               stuck_.end());
  if (stuck_.size() >= kMaxStuckThreads ||
      std::any_of(stuck_.begin(), stuck_.end(),
                  [page](const Stuck& stuck) { return stuck.page == page; })) {
    return false;
  }
  if (!oleacc_) oleacc_ = Oleacc::Load();
  if (!idle_) idle_ = ReaderThread::Start();
  if (!oleacc_ || !idle_) return false;
  const DWORD spent = GetTickCount() - start;
  if (idle_->Run([read = std::move(read), oleacc = oleacc_] { read(*oleacc); },
                 spent < kBoundMs ? kBoundMs - spent : 0)) {
    return true;
  }
  stuck_.push_back({std::move(idle_), page});
  idle_ = nullptr;
  return false;
}

bool Win32PageReader::SwitchesOn(WindowHandle window, HWND page, BrowserFamily family, bool asked) {
  if (!page || family == BrowserFamily::InternetExplorer) return false;
  if (family == BrowserFamily::Firefox) return asked;
  // Chromium: also when the page window has changed since the top-level
  // window was switched on, having come after it.
  const HWND top = AsWindow(window);
  const auto known = switched_on_.find(top);
  if (!asked && (known == switched_on_.end() || known->second == page)) return false;
  for (auto entry = switched_on_.begin(); entry != switched_on_.end();) {
    entry = IsWindow(entry->first) ? std::next(entry) : switched_on_.erase(entry);
  }
  switched_on_[top] = page;
  // Without its hook no page tells that it has loaded.
  Listen();
  return true;
}

void Win32PageReader::Listen() {
  if (load_events_) return;
  load_events_ = std::make_unique<LoadEvents>();
  load_events_->Start();
}

void Win32PageReader::SwitchOn(WindowHandle window, BrowserFamily family) {
  const DWORD start = GetTickCount();
  const HWND page = PageWindow(window, family);
  if (!SwitchesOn(window, page, family, true)) return;
  Run(start, page,
      [page, window, family](const Oleacc& oleacc) { AskForPages(oleacc, page, window, family); });
}

template <typename Facts, typename ReadDocument>
Facts Win32PageReader::ReadPage(WindowHandle window, BrowserFamily family, ReadDocument read) {
  const DWORD start = GetTickCount();
  const HWND page = PageWindow(window, family);
  const bool ask = SwitchesOn(window, page, family, false);
  auto facts = std::make_shared<Facts>();
  const bool ran = Run(start, page, [facts, page, window, family, ask, read](const Oleacc& oleacc) {
    if (ask) AskForPages(oleacc, page, window, family);
    if (const ComPtr<IAccessible> document = DocumentOf(oleacc, page, window, family)) {
      read(*document.Get(), *facts);
    }
  });
  return ran ? *facts : Facts{};
}

FocusFacts Win32PageReader::Focus(WindowHandle window, BrowserFamily family) {
  return ReadPage<FocusFacts>(window, family, [](IAccessible& document, FocusFacts& facts) {
    facts = ReadFocus(document);
  });
}

DocumentFacts Win32PageReader::Document(WindowHandle window, BrowserFamily family) {
  DocumentFacts facts =
      ReadPage<DocumentFacts>(window, family, [](IAccessible& document, DocumentFacts& facts) {
        if (!ReadFacts(document, CHILDID_SELF, facts.document)) return;
        long children = 0;
        facts.has_children = document.get_accChildCount(&children) == S_OK && children > 0;
        facts.told = true;
      });
  if (!facts.told) return {};
  facts.load_completed = family == BrowserFamily::Chromium && load_events_ &&
                         load_events_->Completed(PageWindow(window, family));
  return facts;
}

}  // namespace vimbrel::win32
