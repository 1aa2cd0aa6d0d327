// Threads of the native build: the standard library's.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "threads.h"

namespace tw {

struct Mutex::Impl {
  std::mutex m;
};
Mutex::Mutex() : impl_(new Impl) {}
Mutex::~Mutex() = default;

Lock::Lock(Mutex& m) : m_(m) { m_.impl_->m.lock(); }
Lock::~Lock() { m_.impl_->m.unlock(); }

struct CondVar::Impl {
  std::condition_variable cv;
};
CondVar::CondVar() : impl_(new Impl) {}
CondVar::~CondVar() = default;

void CondVar::wait(Lock& l) {
  std::unique_lock<std::mutex> held(l.m_.impl_->m, std::adopt_lock);
  impl_->cv.wait(held);
  held.release();  // the Lock unlocks it
}
void CondVar::wait_for(Lock& l, unsigned ms) {
  std::unique_lock<std::mutex> held(l.m_.impl_->m, std::adopt_lock);
  impl_->cv.wait_for(held, std::chrono::milliseconds(ms));
  held.release();
}
void CondVar::notify_one() { impl_->cv.notify_one(); }
void CondVar::notify_all() { impl_->cv.notify_all(); }

struct Thread::Impl {
  std::thread t;
};
Thread::Thread(std::function<void()> body) : impl_(new Impl) { impl_->t = std::thread(std::move(body)); }
Thread::~Thread() { impl_->t.join(); }

unsigned processor_count() {
  unsigned n = std::thread::hardware_concurrency();
  return n ? n : 1;
}

}  // namespace tw
