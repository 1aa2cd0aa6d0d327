#pragma once
// A Win32 handle owned by one object: closed when the owner goes, moved but
// never copied.
#include <windows.h>

class Handle {
 public:
  constexpr Handle() : h_(nullptr) {}
  explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  Handle(Handle&& o) : h_(o.h_) { o.h_ = nullptr; }
  Handle& operator=(Handle&& o) {
    if (this != &o) {
      close();
      h_ = o.h_;
      o.h_ = nullptr;
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { close(); }

  HANDLE get() const { return h_; }
  bool valid() const { return h_ != nullptr; }
  void close() {
    if (h_) CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_;
};
