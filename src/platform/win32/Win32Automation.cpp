#include "platform/win32/Win32Automation.h"

#include <utility>
#include <vector>

#include "platform/Cp932.h"
#include "platform/Exception.h"
#include "platform/Texts.h"
#include "platform/win32/Com.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Wide.h"

namespace vimbrel::win32 {

namespace {

// An exception record whose strings are released whatever the call did.
struct ExceptionRecord {
  ExceptionRecord() = default;
  ExceptionRecord(const ExceptionRecord&) = delete;
  ExceptionRecord& operator=(const ExceptionRecord&) = delete;
  ~ExceptionRecord() {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
  }

  EXCEPINFO info{};
};

// The error a server exception is reported as. A server that fills in only
// the 16-bit wCode gets it as a failure status of the interface facility
// (0x8004xxxx), and one that fills in neither code keeps DISP_E_EXCEPTION:
// the error always carries a failure status.
EOleException ServerException(EXCEPINFO& info) {
  if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
  HRESULT code = info.scode;
  if (code == 0 && info.wCode != 0) code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, info.wCode);
  if (code == 0) code = DISP_E_EXCEPTION;
  std::string message = TrimTrailingBlanksAndDots(NarrowCp932(Bstr::View(info.bstrDescription)));
  if (message.empty()) message = OleErrorMessage(code);
  return EOleException(std::move(message), code);
}

VARIANTARG ArgumentValue(const AutomationArg& arg, std::vector<Bstr>& strings) {
  VARIANTARG value;
  VariantInit(&value);
  switch (arg.type) {
    case AutomationArg::Type::Int32:
      V_VT(&value) = VT_I4;
      V_I4(&value) = arg.integer;
      break;
    case AutomationArg::Type::Bool:
      V_VT(&value) = VT_BOOL;
      V_BOOL(&value) = arg.boolean ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case AutomationArg::Type::StringByRef:
      // The list's text is code page 932, whatever the system's code page.
      strings.emplace_back(WidenCp932(arg.text));
      V_VT(&value) = VT_BSTR | VT_BYREF;
      V_BSTRREF(&value) = strings.back().Address();
      break;
  }
  return value;
}

// An object's dispatch interface held in a variant with one reference.
// Destruction releases it and never asks the object to quit.
class DispatchObject final : public AutomationObject {
 public:
  explicit DispatchObject(IDispatch* dispatch) {
    VariantInit(&object_);
    if (dispatch) {
      V_VT(&object_) = VT_DISPATCH;
      V_DISPATCH(&object_) = dispatch;
    }
  }
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;
  ~DispatchObject() override { VariantClear(&object_); }

  void Invoke(std::string_view name, InvokeKind kind,
              const std::vector<AutomationArg>& args) override;
  std::int64_t GetInteger(std::string_view name) override;

 private:
  IDispatch* Dispatch() const;
  DISPID Lookup(IDispatch* dispatch, std::string_view name) const;
  // Invokes `member`; only S_OK is success, a positive status is a failure too.
  static void Call(IDispatch* dispatch, DISPID member, WORD flags, DISPPARAMS& params,
                   VARIANT* result);

  VARIANT object_;
};

IDispatch* DispatchObject::Dispatch() const {
  IDispatch* dispatch = nullptr;
  if (V_VT(&object_) == VT_DISPATCH) dispatch = V_DISPATCH(&object_);
  if (V_VT(&object_) == (VT_DISPATCH | VT_BYREF)) dispatch = *V_DISPATCHREF(&object_);
  if (!dispatch) throw EOleError(texts::kErrorNotAnObject);
  return dispatch;
}

DISPID DispatchObject::Lookup(IDispatch* dispatch, std::string_view name) const {
  std::wstring wide_name = WidenCp932(name);
  LPOLESTR names[] = {wide_name.data()};
  DISPID member = DISPID_UNKNOWN;
  HRESULT status = dispatch->GetIDsOfNames(IID_NULL, names, 1, GetThreadLocale(), &member);
  if (status == DISP_E_UNKNOWNNAME) {
    throw EOleError(cp932::FillText(texts::kErrorUnknownMember, name));
  }
  if (FAILED(status)) throw OleSysError(status);
  return member;
}

void DispatchObject::Call(IDispatch* dispatch, DISPID member, WORD flags, DISPPARAMS& params,
                          VARIANT* result) {
  ExceptionRecord exception;
  HRESULT status =
      dispatch->Invoke(member, IID_NULL, 0, flags, &params, result, &exception.info, nullptr);
  if (status == S_OK) return;
  if (status == DISP_E_EXCEPTION) throw ServerException(exception.info);
  throw OleSysError(status);
}

void DispatchObject::Invoke(std::string_view name, InvokeKind kind,
                            const std::vector<AutomationArg>& args) {
  IDispatch* dispatch = Dispatch();
  const DISPID member = Lookup(dispatch, name);

  // Arguments stand last first. The strings stay where the by-reference
  // arguments point until the call has returned.
  std::vector<Bstr> strings;
  strings.reserve(args.size());
  std::vector<VARIANTARG> values;
  values.reserve(args.size());
  for (auto arg = args.rbegin(); arg != args.rend(); ++arg) {
    values.push_back(ArgumentValue(*arg, strings));
  }
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{values.data(), nullptr, static_cast<UINT>(values.size()), 0};
  WORD flags = DISPATCH_METHOD;
  if (kind == InvokeKind::PropertyPut) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
    flags = DISPATCH_PROPERTYPUT;
  }
  Call(dispatch, member, flags, params, nullptr);
}

std::int64_t DispatchObject::GetInteger(std::string_view name) {
  IDispatch* dispatch = Dispatch();
  const DISPID member = Lookup(dispatch, name);
  DISPPARAMS params{nullptr, nullptr, 0, 0};
  Variant value;
  Call(dispatch, member, DISPATCH_PROPERTYGET, params, &value.value);
  // A handle comes as VT_I4 from a 32-bit server and as VT_I8 from a 64-bit one.
  Variant integer;
  const HRESULT status = VariantChangeType(&integer.value, &value.value, 0, VT_I8);
  if (FAILED(status)) throw OleSysError(status);
  return V_I8(&integer.value);
}

}  // namespace

Bstr::Bstr(std::wstring_view text)
    : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
  if (!value_) throw OleSysError(E_OUTOFMEMORY);
}

ComApartment::ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (initialized_) CoUninitialize();
}

std::unique_ptr<AutomationObject> Win32Automation::CreateObject(std::string_view prog_id) {
  const std::wstring wide_prog_id = WidenCp932(prog_id);
  CLSID clsid{};
  HRESULT status = CLSIDFromProgID(wide_prog_id.c_str(), &clsid);
  if (FAILED(status)) throw OleSysError(status);
  IDispatch* dispatch = nullptr;
  status = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                            IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  if (FAILED(status)) throw OleSysError(status);
  return AdoptDispatch(dispatch);
}

bool Win32Automation::IsRegistered(std::string_view prog_id) {
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(WidenCp932(prog_id).c_str(), &clsid))) return false;
  wchar_t clsid_text[40];
  if (StringFromGUID2(clsid, clsid_text, 40) == 0) return false;
  // A local server may be registered in either view of the registry.
  for (const wchar_t* server : {L"\\LocalServer32", L"\\InprocServer32"}) {
    const std::wstring key_path = std::wstring(L"CLSID\\") + clsid_text + server;
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      HKEY opened = nullptr;
      if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key_path.c_str(), 0, KEY_QUERY_VALUE | view, &opened) ==
          ERROR_SUCCESS) {
        RegistryKey key(opened);
        return true;
      }
    }
  }
  return false;
}

std::unique_ptr<AutomationObject> AdoptDispatch(IDispatch* dispatch) {
  try {
    return std::make_unique<DispatchObject>(dispatch);
  } catch (...) {
    if (dispatch) dispatch->Release();
    throw;
  }
}

EOleSysError OleSysError(std::int32_t status) {
  return EOleSysError(OleErrorMessage(status), status);
}

std::string OleErrorMessage(std::int32_t status) {
  return EOleSysError::MessageFor(status, NarrowCp932(SystemMessage(static_cast<DWORD>(status))));
}

}  // namespace vimbrel::win32
