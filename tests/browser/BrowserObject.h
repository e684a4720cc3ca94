#pragma once

#include <windows.h>
#include <oaidl.h>

#include "TestBrowser.h"

namespace vimbrel::testbrowser {

// Hands out the process's one browser object, then refuses: each client that
// creates a browser gets a process of its own. Where one process serves them
// all, it hands out one object after another.
class BrowserFactory final : public IClassFactory {
 public:
  explicit BrowserFactory(TestBrowser& browser) : browser_(browser) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  TestBrowser& browser_;
};

}  // namespace vimbrel::testbrowser
