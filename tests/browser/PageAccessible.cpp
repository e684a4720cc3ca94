#include "PageAccessible.h"

#include <oleacc.h>

#include <utility>

#include "TestBrowser.h"
#include "platform/win32/Msaa.h"

namespace vimbrel::testbrowser {

namespace {

using vimbrel::win32::msaa::kIidAccessible;

enum class Kind { Root, Document, Link };

// A root, a document or a link of a page. Calls come on the browser's
// thread only.
class Accessible final : public IAccessible {
 public:
  Accessible(std::shared_ptr<Page> page, Kind kind, int link = Page::kOnPage)
      : page_(std::move(page)), kind_(kind), link_(link) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
        !IsEqualIID(iid, kIidAccessible)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    *parent = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    *count = Children();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override {
    Target target;
    *child = V_VT(&id) == VT_I4 && V_I4(&id) != CHILDID_SELF && Resolve(id, target)
                 ? new Accessible(page_, target.kind, target.link)
                 : nullptr;
    return *child ? S_OK : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override {
    return Text(id, 0, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override {
    return Text(id, 1, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override {
    Target target;
    if (!Resolve(id, target)) return E_INVALIDARG;
    V_VT(role) = VT_I4;
    V_I4(role) = target.kind == Kind::Link       ? ROLE_SYSTEM_LINK
                 : target.kind == Kind::Document ? ROLE_SYSTEM_DOCUMENT
                                                 : ROLE_SYSTEM_WINDOW;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override {
    Target target;
    if (!Resolve(id, target)) return E_INVALIDARG;
    LONG flags = STATE_SYSTEM_FOCUSABLE;
    if (target.kind == Kind::Link) flags |= STATE_SYSTEM_LINKED;
    if (target.kind == Kind::Document && page_->Loading()) flags |= STATE_SYSTEM_BUSY;
    if (target.kind != Kind::Root && page_->focus == target.link) flags |= STATE_SYSTEM_FOCUSED;
    V_VT(state) = VT_I4;
    V_I4(state) = flags;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR*, VARIANT, long*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    VariantInit(focus);
    Sleep(page_->hang_ms);
    if (kind_ != Kind::Document || page_->focus == Page::kOutside) return S_FALSE;
    if (page_->focus == Page::kOnPage || page_->focus_as_child_id) {
      V_VT(focus) = VT_I4;
      V_I4(focus) = page_->focus + 1;  // CHILDID_SELF for the page itself
    } else {
      V_VT(focus) = VT_DISPATCH;
      V_DISPATCH(focus) = new Accessible(page_, Kind::Link, page_->focus);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE accLocation(long*, long*, long*, long*, VARIANT) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long relation, VARIANT, VARIANT* end) override {
    VariantInit(end);
    Sleep(page_->hang_ms);
    if (kind_ != Kind::Root || relation != vimbrel::win32::msaa::kNavRelationEmbeds) {
      return E_NOTIMPL;
    }
    V_VT(end) = VT_DISPATCH;
    V_DISPATCH(end) = new Accessible(page_, Kind::Document);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long, long, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  struct Target {
    Kind kind;
    int link;
  };

  long Children() const {
    return kind_ == Kind::Root ? 1 : kind_ == Kind::Document && page_->content ? kLinkCount : 0;
  }

  // The object itself or the child that `id` names; false for none.
  bool Resolve(const VARIANT& id, Target& target) const {
    Sleep(page_->hang_ms);
    if (V_VT(&id) != VT_I4) return false;
    const long child = V_I4(&id);
    if (child == CHILDID_SELF) {
      target = {kind_, link_};
      return true;
    }
    if (child < 1 || child > Children()) return false;
    target = kind_ == Kind::Root ? Target{Kind::Document, Page::kOnPage}
                                 : Target{Kind::Link, static_cast<int>(child) - 1};
    return true;
  }

  // The name (0) or value (1) of the object or a child.
  HRESULT Text(const VARIANT& id, int which, BSTR* text) {
    *text = nullptr;
    Target target;
    if (!Resolve(id, target)) return E_INVALIDARG;
    std::wstring result;
    if (target.kind != Kind::Link) {
      result = which == 0 ? page_->caption : page_->address;
      if (which == 0 && target.kind == Kind::Document && page_->on_name_read) {
        page_->on_name_read();
      }
    } else if (!page_->first_read_empty || std::exchange(page_->read[which][target.link], true)) {
      const std::wstring number = std::to_wstring(target.link + 1);
      result = which == 0 ? L"\u30EA\u30F3\u30AF" + number : page_->address + L"#link" + number;
    }
    *text = SysAllocString(result.c_str());
    return S_OK;
  }

  std::shared_ptr<Page> page_;
  Kind kind_;
  int link_;  // a link's index
  ULONG references_ = 1;
};

}  // namespace

Page::Page(std::wstring address_, std::wstring caption_, DWORD load_ms)
    : address(std::move(address_)),
      caption(std::move(caption_)),
      loaded_at(GetTickCount() + load_ms) {}

void Page::MoveFocus(bool backwards) {
  const int places = kLinkCount + 1;  // the links and the address bar
  if (focus == kOnPage) {
    focus = backwards ? kLinkCount - 1 : 0;
  } else {
    focus = (focus + (backwards ? places - 1 : 1)) % places;
  }
}

DWORD LoadMs(const std::wstring& address, const Settings& settings) {
  const std::size_t at = address.find(L"load=");
  return at == std::wstring::npos ? settings.load_ms
                                  : std::wcstoul(address.c_str() + at + 5, nullptr, 10);
}

LRESULT AnswerGetObject(const std::shared_ptr<Page>& page, bool root, WPARAM wparam,
                        LPARAM object_id, const Settings& settings, const EventLog& log) {
  log.Write("getobject " + std::to_string(static_cast<LONG>(object_id)));
  page->hang_ms = settings.accessible_hang_ms;
  Sleep(page->hang_ms);
  if (static_cast<LONG>(object_id) != OBJID_CLIENT) return 0;
  auto* object = new Accessible(page, root ? Kind::Root : Kind::Document);
  const LRESULT result = LresultFromObject(kIidAccessible, wparam, object);
  object->Release();
  return result;
}

}  // namespace vimbrel::testbrowser
