#pragma once
// What the compression workers need of threads: a mutex, a condition
// variable, a joinable thread and the number of processors. The Windows
// build uses Win32 primitives (the MinGW toolchain's win32 thread model has
// no std::thread); the native build, for the unit tests, the standard ones.
#include <functional>
#include <memory>

#ifdef _WIN32
#include <windows.h>

#include "build_error.h"
#else
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace tw {

#ifdef _WIN32

class Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

 private:
  friend class Lock;
  friend class CondVar;
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class Lock {
 public:
  explicit Lock(Mutex& m) : m_(m) { AcquireSRWLockExclusive(&m_.lock_); }
  ~Lock() { ReleaseSRWLockExclusive(&m_.lock_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  friend class CondVar;
  Mutex& m_;
};

class CondVar {
 public:
  void wait(Lock& l) { SleepConditionVariableSRW(&cv_, &l.m_.lock_, INFINITE, 0); }
  void wait_for(Lock& l, unsigned ms) { SleepConditionVariableSRW(&cv_, &l.m_.lock_, ms, 0); }
  void notify_one() { WakeConditionVariable(&cv_); }
  void notify_all() { WakeAllConditionVariable(&cv_); }

 private:
  CONDITION_VARIABLE cv_ = CONDITION_VARIABLE_INIT;
};

class Thread {
 public:
  explicit Thread(std::function<void()> body) : body_(std::move(body)) {
    handle_ = CreateThread(nullptr, 0, &Thread::run, this, 0, nullptr);
    if (!handle_) throw BuildError::system(GetLastError());
  }
  ~Thread() {
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
  }
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

 private:
  static DWORD WINAPI run(void* self) {
    static_cast<Thread*>(self)->body_();
    return 0;
  }
  std::function<void()> body_;
  HANDLE handle_;
};

inline unsigned processor_count() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors ? unsigned(info.dwNumberOfProcessors) : 1;
}

#else

class Mutex {
 private:
  friend class Lock;
  std::mutex m_;
};

class Lock {
 public:
  explicit Lock(Mutex& m) : l_(m.m_) {}

 private:
  friend class CondVar;
  std::unique_lock<std::mutex> l_;
};

class CondVar {
 public:
  void wait(Lock& l) { cv_.wait(l.l_); }
  void wait_for(Lock& l, unsigned ms) { cv_.wait_for(l.l_, std::chrono::milliseconds(ms)); }
  void notify_one() { cv_.notify_one(); }
  void notify_all() { cv_.notify_all(); }

 private:
  std::condition_variable cv_;
};

// Joined when destroyed.
class Thread {
 public:
  explicit Thread(std::function<void()> body) : t_(std::move(body)) {}
  ~Thread() { t_.join(); }
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

 private:
  std::thread t_;
};

inline unsigned processor_count() {
  unsigned n = std::thread::hardware_concurrency();
  return n ? n : 1;
}

#endif

}  // namespace tw
