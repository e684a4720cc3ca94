#pragma once

#include <windows.h>
#include <oaidl.h>

#include "TestBrowser.h"

namespace vimbrel::testbrowser {

// Hands out the process's one browser object, then refuses: each client that
// creates a browser gets a process of its own. Where one process serves them
// all, it hands out one object after another, offering its class again (for
// one use) as each is taken, so that the class is offered for as long as the
// process runs.
class BrowserFactory final : public IClassFactory {
 public:
  explicit BrowserFactory(TestBrowser& browser) : browser_(browser) {}
  ~BrowserFactory() { Withdraw(); }

  // Offers the class to clients, for one use.
  bool Offer();
  void Withdraw();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  TestBrowser& browser_;
  DWORD cookie_ = 0;
};

}  // namespace vimbrel::testbrowser
