#include "platform/win32/Win32TaskScheduler.h"

#include <windows.h>
#include <taskschd.h>

#include "platform/Exception.h"
#include "platform/win32/Com.h"
#include "platform/win32/Win32Automation.h"

namespace vimbrel::win32 {

namespace {

void Check(HRESULT status) {
  if (FAILED(status)) throw OleSysError(status);
}

bool IsNoSuchTask(HRESULT status) {
  return status == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
         status == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

Bstr BstrOf(const std::u16string& text) { return Bstr(std::wstring(text.begin(), text.end())); }

// Holds nothing, so it needs no clearing: "none" for an optional argument,
// and the registering user for the task's.
VARIANT Nothing() {
  VARIANT value;
  VariantInit(&value);
  return value;
}

// The root folder, with the service it was reached through kept as long.
struct RootFolder {
  RootFolder() {
    Check(CoCreateInstance(__uuidof(::TaskScheduler), nullptr, CLSCTX_INPROC_SERVER,
                           __uuidof(ITaskService), service.AddressAsVoid()));
    Check(service->Connect(Nothing(), Nothing(), Nothing(), Nothing()));
    Check(service->GetFolder(Bstr(L"\\").Get(), folder.Address()));
  }
  ITaskFolder* operator->() const { return folder.operator->(); }

  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> folder;
};

}  // namespace

std::optional<std::u16string> Win32TaskScheduler::TaskXml(const std::u16string& name) {
  RootFolder root;
  ComPtr<IRegisteredTask> task;
  const HRESULT status = root->GetTask(BstrOf(name).Get(), task.Address());
  if (IsNoSuchTask(status)) return std::nullopt;
  Check(status);
  Bstr xml;
  Check(task->get_Xml(xml.Address()));
  return std::u16string(xml.View().begin(), xml.View().end());
}

void Win32TaskScheduler::Register(const std::u16string& name, const std::u16string& xml) {
  RootFolder root;
  ComPtr<IRegisteredTask> task;
  Check(root->RegisterTask(BstrOf(name).Get(), BstrOf(xml).Get(), TASK_CREATE_OR_UPDATE, Nothing(),
                           Nothing(), TASK_LOGON_INTERACTIVE_TOKEN, Nothing(), task.Address()));
}

void Win32TaskScheduler::Delete(const std::u16string& name) {
  RootFolder root;
  const HRESULT status = root->DeleteTask(BstrOf(name).Get(), 0);
  if (!IsNoSuchTask(status)) Check(status);
}

}  // namespace vimbrel::win32
