#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Automation.h"
#include "platform/Exception.h"

namespace vimbrel::win32 {

// The automation library for the calling thread, in a single-threaded
// apartment, for the life of the object. A failed initialisation is not
// reported: a later creation fails with the status the system gives for it.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool Initialized() const { return initialized_; }

 private:
  bool initialized_;
};

// Late-bound calls by member name through IDispatch, on objects created from a
// ProgID in process or as a local server.
class Win32Automation final : public Automation {
 public:
  std::unique_ptr<AutomationObject> CreateObject(std::string_view prog_id) override;
  bool IsRegistered(std::string_view prog_id) override;
};

// Takes over the caller's reference to `dispatch` (which may be null).
std::unique_ptr<AutomationObject> AdoptDispatch(IDispatch* dispatch);

// The message of an EOleSysError for `status`: the system's text for it, cut
// of trailing blanks and dots, or "OLE エラー %.8X".
std::string OleErrorMessage(std::int32_t status);
// The error for a failure status, with that message.
EOleSysError OleSysError(std::int32_t status);

}  // namespace vimbrel::win32
