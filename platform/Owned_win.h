// One move-only owner for every kind of Win32 resource the program holds: kernel handles,
// find handles, registry keys, GDI objects, device contexts, icons and COM interfaces.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <utility>

namespace pictavo {

template <typename Traits>
class Owned {
 public:
  using Type = typename Traits::Type;

  Owned() noexcept = default;
  explicit Owned(Type value) noexcept : value_(value) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : value_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~Owned() { reset(); }

  Type get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

  Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }
  void reset(Type value = Traits::Invalid()) noexcept {
    Type old = std::exchange(value_, value);
    if (old != Traits::Invalid()) Traits::Close(old);
  }
  // For out-parameters: frees what is held and hands out the slot.
  Type* put() noexcept {
    reset();
    return &value_;
  }

 private:
  Type value_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::FindClose(h); }
};
struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::RegCloseKey(h); }
};
template <typename G>
struct GdiObjectTraits {
  using Type = G;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteObject(h); }
};
struct MemoryDcTraits {
  using Type = HDC;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DeleteDC(h); }
};
struct IconTraits {
  using Type = HICON;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyIcon(h); }
};
template <typename I>
struct ComTraits {
  using Type = I*;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type p) noexcept { p->Release(); }
};

using UniqueHandle = Owned<KernelHandleTraits>;
using UniqueFile = Owned<FileHandleTraits>;
using UniqueFind = Owned<FindHandleTraits>;
using UniqueKey = Owned<RegKeyTraits>;
using UniqueBitmap = Owned<GdiObjectTraits<HBITMAP>>;
using UniqueFont = Owned<GdiObjectTraits<HFONT>>;
using UniqueBrush = Owned<GdiObjectTraits<HBRUSH>>;
using UniquePen = Owned<GdiObjectTraits<HPEN>>;
using UniqueMemoryDc = Owned<MemoryDcTraits>;
using UniqueIcon = Owned<IconTraits>;
template <typename I>
using ComPtr = Owned<ComTraits<I>>;

// A DC borrowed with GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  HDC get() const noexcept { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Selects an object into a DC for the lifetime of the scope.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(::SelectObject(dc, obj)) {}
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;
  ~SelectScope() { ::SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// COM for this thread, for the lifetime of the scope: a single-threaded apartment for a thread that owns
// windows, the multithreaded one for a worker.
class ComScope {
 public:
  explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED) noexcept : ok_(SUCCEEDED(::CoInitializeEx(nullptr, model))) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (ok_) ::CoUninitialize();
  }
  bool ok() const noexcept { return ok_; }

 private:
  bool ok_;
};

}  // namespace pictavo
