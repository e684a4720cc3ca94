#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string_view>
#include <utility>

namespace vimbrel::win32 {

// A wide string of the automation library, freed once.
class Bstr {
 public:
  Bstr() = default;
  // Raises EOleSysError when there is no memory for it.
  explicit Bstr(std::wstring_view text);
  Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr& operator=(Bstr&&) = delete;
  ~Bstr() { SysFreeString(value_); }

  BSTR Get() const { return value_; }
  // Where a by-reference argument or a call's result goes.
  BSTR* Address() { return &value_; }
  std::wstring_view View() const { return View(value_); }
  static std::wstring_view View(BSTR text) {
    return text ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view();
  }

 private:
  BSTR value_ = nullptr;
};

// A variant that a call fills in, cleared whatever the call did.
struct Variant {
  Variant() { VariantInit(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value); }

  VARIANT value;
};

// One reference to a COM interface, released once.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr& operator=(ComPtr&&) = delete;
  ~ComPtr() {
    if (pointer_) pointer_->Release();
  }

  Interface* operator->() const { return pointer_; }
  Interface* Get() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // Where a call puts the reference it returns; only while empty.
  Interface** Address() { return &pointer_; }
  void** AddressAsVoid() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace vimbrel::win32
