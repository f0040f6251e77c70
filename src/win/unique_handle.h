// Move-only owners for Windows handles and COM references: every handle, key, find handle,
// global block, menu, window, module reference, GDI object, device context, clipboard hold and
// interface pointer is closed exactly once, on every path. What COM itself allocates is owned in
// com_owners.h.
#pragma once

#include <windows.h>

#include <utility>

namespace vlpd {

template <typename T, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T value) : value_(value) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  T Get() const { return value_; }
  bool Valid() const { return value_ != Traits::Invalid(); }
  explicit operator bool() const { return Valid(); }

  // For out-parameters of the Windows calls; drops whatever was held.
  T* Put() {
    Reset();
    return &value_;
  }
  T Release() { return std::exchange(value_, Traits::Invalid()); }
  void Reset(T value = Traits::Invalid()) {
    if (Valid()) Traits::Close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::Invalid();
};

struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct KernelHandleTraits {  // process and thread handles: null when absent
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY k) { RegCloseKey(k); }
};
struct GlobalTraits {
  static HGLOBAL Invalid() { return nullptr; }
  static void Close(HGLOBAL g) { GlobalFree(g); }
};

struct VirtualRangeTraits {  // address space reserved with VirtualAlloc
  static void* Invalid() { return nullptr; }
  static void Close(void* p) { VirtualFree(p, 0, MEM_RELEASE); }
};

struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static void Close(HMENU m) { DestroyMenu(m); }
};

struct GdiObjectTraits {  // bitmaps and the other GDI objects
  static HGDIOBJ Invalid() { return nullptr; }
  static void Close(HGDIOBJ o) { DeleteObject(o); }
};
struct ModuleTraits {  // a reference on a loaded module, taken by GetModuleHandleEx or LoadLibrary
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE m) { FreeLibrary(m); }
};

struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Close(HICON i) { DestroyIcon(i); }
};
struct MemoryDcTraits {  // device contexts made with CreateCompatibleDC
  static HDC Invalid() { return nullptr; }
  static void Close(HDC dc) { DeleteDC(dc); }
};
struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static void Close(HWND w) { DestroyWindow(w); }
};

using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;
using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using FindHandle = UniqueHandle<HANDLE, FindHandleTraits>;
using RegKey = UniqueHandle<HKEY, RegKeyTraits>;
using GlobalBlock = UniqueHandle<HGLOBAL, GlobalTraits>;
using VirtualRange = UniqueHandle<void*, VirtualRangeTraits>;
// A menu until another menu takes it over as a submenu (then Release it).
using MenuHandle = UniqueHandle<HMENU, MenuTraits>;

using GdiObject = UniqueHandle<HGDIOBJ, GdiObjectTraits>;
using IconHandle = UniqueHandle<HICON, IconTraits>;
using ModuleReference = UniqueHandle<HMODULE, ModuleTraits>;
using MemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
// A window of the calling thread (DestroyWindow works on that thread only).
using WindowHandle = UniqueHandle<HWND, WindowTraits>;

// The screen's device context, released when it goes out of scope.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A locked global block, unlocked when it goes out of scope.
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
  ~GlobalLockGuard() {
    if (data_ != nullptr) GlobalUnlock(block_);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  void* Data() const { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

// The clipboard, held open for `owner` (no window: the calling task) until Close or the end of
// the scope; it stays closed when another program holds it.
class ClipboardGuard {
 public:
  explicit ClipboardGuard(HWND owner = nullptr) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardGuard() { Close(); }
  ClipboardGuard(const ClipboardGuard&) = delete;
  ClipboardGuard& operator=(const ClipboardGuard&) = delete;

  bool IsOpen() const { return open_; }
  void Close() {
    if (open_) CloseClipboard();
    open_ = false;
  }

 private:
  bool open_;
};

// A counted COM reference.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ComRef(ComRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      Reset();
      ptr_ = std::exchange(other.ptr_, nullptr);
    }
    return *this;
  }

  // Takes over a reference the caller already holds.
  static ComRef Adopt(T* ptr) {
    ComRef r;
    r.ptr_ = ptr;
    return r;
  }

  // Takes a new reference of its own on `ptr`.
  static ComRef Share(T* ptr) {
    ComRef r;
    r.ptr_ = ptr;
    if (ptr != nullptr) ptr->AddRef();
    return r;
  }

  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  T** Put() {
    Reset();
    return &ptr_;
  }
  void Reset() {
    if (ptr_ != nullptr) std::exchange(ptr_, nullptr)->Release();
  }

 private:
  T* ptr_ = nullptr;
};

}  // namespace vlpd
