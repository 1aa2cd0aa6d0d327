// Threads of the MinGW builds: SRW locks, condition variables and
// CreateThread (the toolchain's win32 thread model has no std::thread).
#include <windows.h>

#include <system_error>

#include "threads.h"

namespace tw {

struct Mutex::Impl {
  SRWLOCK lock = SRWLOCK_INIT;
};
Mutex::Mutex() : impl_(new Impl) {}
Mutex::~Mutex() = default;

Lock::Lock(Mutex& m) : m_(m) { AcquireSRWLockExclusive(&m_.impl_->lock); }
Lock::~Lock() { ReleaseSRWLockExclusive(&m_.impl_->lock); }

struct CondVar::Impl {
  CONDITION_VARIABLE cv = CONDITION_VARIABLE_INIT;
};
CondVar::CondVar() : impl_(new Impl) {}
CondVar::~CondVar() = default;
void CondVar::wait(Lock& l) { SleepConditionVariableSRW(&impl_->cv, &l.m_.impl_->lock, INFINITE, 0); }
void CondVar::wait_for(Lock& l, unsigned ms) {
  SleepConditionVariableSRW(&impl_->cv, &l.m_.impl_->lock, ms, 0);
}
void CondVar::notify_one() { WakeConditionVariable(&impl_->cv); }
void CondVar::notify_all() { WakeAllConditionVariable(&impl_->cv); }

struct Thread::Impl {
  std::function<void()> body;
  HANDLE handle = nullptr;
  static DWORD WINAPI run(void* self) {
    static_cast<Impl*>(self)->body();
    return 0;
  }
};

Thread::Thread(std::function<void()> body) : impl_(new Impl) {
  impl_->body = std::move(body);
  impl_->handle = CreateThread(nullptr, 0, &Impl::run, impl_.get(), 0, nullptr);
  if (!impl_->handle) throw std::system_error(int(GetLastError()), std::system_category());
}

Thread::~Thread() {
  WaitForSingleObject(impl_->handle, INFINITE);
  CloseHandle(impl_->handle);
}

unsigned processor_count() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors ? unsigned(info.dwNumberOfProcessors) : 1;
}

}  // namespace tw
