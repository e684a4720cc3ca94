#include "BrowserObject.h"

#include <cstdio>
#include <string>

namespace vimbrel::testbrowser {

namespace {

enum class Member : DISPID {
  Height = 1,
  Width,
  MenuBar,
  StatusBar,
  ToolBar,
  Visible,
  Navigate,
  Gohome,
  Quit,
  Window  // "HWND"
};

struct MemberName {
  const wchar_t* name;
  Member member;
};

constexpr MemberName kMembers[] = {
    {L"Height", Member::Height},       {L"Width", Member::Width},     {L"MenuBar", Member::MenuBar},
    {L"StatusBar", Member::StatusBar}, {L"ToolBar", Member::ToolBar}, {L"Visible", Member::Visible},
    {L"Navigate", Member::Navigate},   {L"Gohome", Member::Gohome},   {L"Quit", Member::Quit},
    {L"HWND", Member::Window},
};

const wchar_t* NameOf(DISPID id) {
  for (const MemberName& entry : kMembers) {
    if (static_cast<DISPID>(entry.member) == id) return entry.name;
  }
  return nullptr;
}

bool IsProperty(Member member) { return member <= Member::Visible; }

std::string Hex8(HRESULT status) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%08lX", static_cast<unsigned long>(status));
  return buffer;
}

// "VT_I4:400", "VT_BOOL:-1", "VT_BSTR|VT_BYREF:0068,0074": the argument's type
// and value as they arrived.
std::string Describe(const VARIANTARG& value) {
  const VARTYPE type = V_VT(&value);
  switch (type) {
    case VT_I4:
      return "VT_I4:" + std::to_string(V_I4(&value));
    case VT_BOOL:
      return "VT_BOOL:" + std::to_string(V_BOOL(&value));
    case VT_BSTR:
      return "VT_BSTR:" + HexUnits({V_BSTR(&value), SysStringLen(V_BSTR(&value))});
    case VT_BSTR | VT_BYREF: {
      const BSTR text = V_BSTRREF(&value) ? *V_BSTRREF(&value) : nullptr;
      return "VT_BSTR|VT_BYREF:" + HexUnits({text, SysStringLen(text)});
    }
    default:
      return "VT_" + std::to_string(type);
  }
}

std::string DescribeCall(const wchar_t* name, WORD flags, const DISPPARAMS& params) {
  std::string line = "invoke " + Utf8(name) + " flags=" + std::to_string(flags) + " named=";
  for (UINT i = 0; i < params.cNamedArgs; ++i) {
    line += (i ? "," : "") + std::to_string(params.rgdispidNamedArgs[i]);
  }
  if (params.cNamedArgs == 0) line += "-";
  line += " args=";
  for (UINT i = 0; i < params.cArgs; ++i) line += (i ? " " : "") + Describe(params.rgvarg[i]);
  if (params.cArgs == 0) line += "-";
  return line;
}

// A variant coerced to `type`, cleared with the object.
struct Coerced {
  Coerced(const VARIANTARG& source, VARTYPE type) {
    VariantInit(&value);
    status = VariantChangeType(&value, const_cast<VARIANTARG*>(&source), 0, type);
  }
  Coerced(const Coerced&) = delete;
  Coerced& operator=(const Coerced&) = delete;
  ~Coerced() { VariantClear(&value); }

  VARIANT value;
  HRESULT status;
};

// The browser's automation object: the members the tour uses, answered by
// hand, each call written to the log as it arrived.
class BrowserObject final : public IDispatch {
 public:
  explicit BrowserObject(TestBrowser& browser) : browser_(browser) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      TestBrowser& browser = browser_;
      delete this;
      browser.ObjectReleased();
    }
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override;

 private:
  HRESULT Fail(EXCEPINFO* exception) const;
  HRESULT Put(Member member, WORD flags, const DISPPARAMS& params);
  HRESULT Get(WORD flags, const DISPPARAMS& params, VARIANT* result);
  HRESULT Call(Member member, WORD flags, const DISPPARAMS& params);

  TestBrowser& browser_;
  ULONG references_ = 1;
};

HRESULT BrowserObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                     DISPID* ids) {
  if (!names || !ids || count == 0) return E_INVALIDARG;
  char lcid[16];
  std::snprintf(lcid, sizeof lcid, "%04lX", static_cast<unsigned long>(locale));
  browser_.log().Write("lookup " + Utf8(names[0]) + " lcid=" + lcid);
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  // Names are matched regardless of case, as a type library would; named
  // arguments are not known.
  if (count != 1 || _wcsicmp(names[0], browser_.settings().unknown_member.c_str()) == 0) {
    return DISP_E_UNKNOWNNAME;
  }
  for (const MemberName& entry : kMembers) {
    if (_wcsicmp(names[0], entry.name) == 0) {
      ids[0] = static_cast<DISPID>(entry.member);
      return S_OK;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

HRESULT BrowserObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT*) {
  const Settings& settings = browser_.settings();
  if (settings.call_delay_ms) Sleep(settings.call_delay_ms);
  const wchar_t* name = NameOf(id);
  if (!name) return DISP_E_MEMBERNOTFOUND;
  if (!params) return E_INVALIDARG;
  browser_.log().Write(DescribeCall(name, flags, *params));
  const Member member = static_cast<Member>(id);
  if (_wcsicmp(name, settings.hang_member.c_str()) == 0) {
    // It stops answering: this call never returns.
    for (;;) Sleep(INFINITE);
  }
  HRESULT status;
  if (_wcsicmp(name, settings.fail_member.c_str()) == 0) {
    status = Fail(exception);
  } else if (member == Member::Window) {
    status = Get(flags, *params, result);
  } else if (IsProperty(member)) {
    status = Put(member, flags, *params);
  } else {
    status = Call(member, flags, *params);
  }
  if (status != S_OK) browser_.log().Write("status " + Hex8(status));
  return status;
}

HRESULT BrowserObject::Fail(EXCEPINFO* exception) const {
  const Settings& settings = browser_.settings();
  if (settings.fail_status == DISP_E_EXCEPTION && exception) {
    *exception = EXCEPINFO{};
    exception->wCode = settings.fail_wcode;
    exception->scode = settings.fail_scode;
    exception->bstrSource = SysAllocString(L"Vimbrel test browser");
    if (settings.fail_description) {
      exception->bstrDescription = SysAllocString(settings.fail_description->c_str());
    }
  }
  return settings.fail_status;
}

HRESULT BrowserObject::Put(Member member, WORD flags, const DISPPARAMS& params) {
  if (!(flags & DISPATCH_PROPERTYPUT)) return DISP_E_MEMBERNOTFOUND;
  if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
  if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
    return DISP_E_PARAMNOTFOUND;
  }
  const Coerced value(params.rgvarg[0], member == Member::Visible ? VT_BOOL : VT_I4);
  if (FAILED(value.status)) return DISP_E_TYPEMISMATCH;
  switch (member) {
    case Member::Height:
      browser_.SetHeight(V_I4(&value.value));
      break;
    case Member::Width:
      browser_.SetWidth(V_I4(&value.value));
      break;
    case Member::Visible:
      browser_.SetVisible(V_BOOL(&value.value) != VARIANT_FALSE);
      break;
    default:  // the bars: nothing to show them in
      break;
  }
  return S_OK;
}

HRESULT BrowserObject::Get(WORD flags, const DISPPARAMS& params, VARIANT* result) {
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
  if (!result) return E_INVALIDARG;
  // The frame, as Internet Explorer gives it: a 32-bit integer from a 32-bit
  // process, a 64-bit one from a 64-bit process.
  const auto frame = reinterpret_cast<LONG_PTR>(browser_.Frame());
  VariantInit(result);
  if constexpr (sizeof frame == 8) {
    V_VT(result) = VT_I8;
    V_I8(result) = frame;
  } else {
    V_VT(result) = VT_I4;
    V_I4(result) = static_cast<LONG>(frame);
  }
  return S_OK;
}

HRESULT BrowserObject::Call(Member member, WORD flags, const DISPPARAMS& params) {
  if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
  if (params.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (member == Member::Navigate) {
    // The address comes first; the optional flags, target, post data and
    // headers after it are taken and ignored.
    if (params.cArgs < 1 || params.cArgs > 5) return DISP_E_BADPARAMCOUNT;
    const Coerced address(params.rgvarg[params.cArgs - 1], VT_BSTR);
    if (FAILED(address.status)) return DISP_E_TYPEMISMATCH;
    browser_.ShowAddress({V_BSTR(&address.value), SysStringLen(V_BSTR(&address.value))});
    return S_OK;
  }
  if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
  if (member == Member::Gohome) {
    browser_.ShowAddress(L"about:home");
  } else {
    browser_.Quit();
  }
  return S_OK;
}

}  // namespace

HRESULT BrowserFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT BrowserFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  // One object at a time, and none without a frame: the object's members
  // work on the frame.
  if (!browser_.ReadyForObject()) return CO_E_SERVER_STOPPING;
  auto* object = new BrowserObject(browser_);
  const HRESULT status = object->QueryInterface(iid, out);
  if (SUCCEEDED(status)) {
    browser_.ObjectCreated(object);
    if (browser_.settings().one_process) Offer();
  }
  object->Release();
  return status;
}

bool BrowserFactory::Offer() {
  CLSID clsid;
  // An offer that has been used up still counts as this process's own, and
  // would make the system refuse another.
  Withdraw();
  return SUCCEEDED(CLSIDFromString(kClsid, &clsid)) &&
         SUCCEEDED(
             CoRegisterClassObject(clsid, this, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie_));
}

void BrowserFactory::Withdraw() {
  if (cookie_ != 0) CoRevokeClassObject(cookie_);
  cookie_ = 0;
}

}  // namespace vimbrel::testbrowser
