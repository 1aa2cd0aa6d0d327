#pragma once
// What the compression workers need of threads: a mutex, a condition
// variable, a joinable thread and the number of processors. One
// implementation per system: Win32 primitives in the MinGW builds (their
// win32 thread model has no std::thread), the standard ones natively.
#include <functional>
#include <memory>

namespace tw {

class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  struct Impl;

 private:
  friend class Lock;
  friend class CondVar;
  std::unique_ptr<Impl> impl_;
};

class Lock {
 public:
  explicit Lock(Mutex& m);
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  friend class CondVar;
  Mutex& m_;
};

class CondVar {
 public:
  CondVar();
  ~CondVar();
  CondVar(const CondVar&) = delete;
  CondVar& operator=(const CondVar&) = delete;
  void wait(Lock& l);
  // Waits at most ms milliseconds (or until notified).
  void wait_for(Lock& l, unsigned ms);
  void notify_one();
  void notify_all();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Runs body on a thread of its own; joined when destroyed. Throws
// std::system_error when the system cannot start one.
class Thread {
 public:
  explicit Thread(std::function<void()> body);
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

unsigned processor_count();

}  // namespace tw
