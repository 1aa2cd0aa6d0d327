#include "read_ahead.h"

#include <windows.h>

#include "handle.h"
#include "progress_window.h"
#include "record_queue.h"

namespace {

// Four slots of 1 MiB: the reader is at most three ahead.
const uint32_t kSlotSize = 1 << 20;
const uint32_t kSlots = 4;
// How often the window is looked after while the reader is behind.
const DWORD kPumpMs = 50;

struct ReadAhead {
  tw::RecordQueue queue;
  tw::Extraction* x;
  HANDLE filled;  // slots the writer may take
  HANDLE free;    // slots the reader may fill
};

ReadAhead g_ahead;

void publish(void* ctx) { ReleaseSemaphore(static_cast<ReadAhead*>(ctx)->filled, 1, nullptr); }

void take(void* ctx) { WaitForSingleObject(static_cast<ReadAhead*>(ctx)->free, INFINITE); }

DWORD WINAPI reader(void* ctx) {
  ReadAhead* a = static_cast<ReadAhead*>(ctx);
  tw::queue_start(&a->queue);
  tw::queue_close(&a->queue, tw::read_records(a->x, tw::queue_sink(&a->queue)));
  return 0;
}

// Takes the filled slots in order until the close event; every slot is
// given back, so the reader never waits for good.
uint32_t deliver_all(ReadAhead* a, const tw::RecordSink& writer) {
  uint32_t code = 0;
  for (uint32_t slot = 0;; slot = (slot + 1) % kSlots) {
    while (WaitForSingleObject(a->filled, kPumpMs) == WAIT_TIMEOUT) progress::pump();
    bool last = tw::queue_deliver(a->queue, slot, writer, &code);
    ReleaseSemaphore(a->free, 1, nullptr);
    if (last) return code;
  }
}

uint32_t run(void*, tw::Extraction* x, const tw::RecordSink& writer) {
  ReadAhead* a = &g_ahead;
  a->x = x;
  Handle thread(CreateThread(nullptr, 0, reader, a, 0, nullptr));
  if (!thread.get()) return tw::read_records(x, writer);
  uint32_t code = deliver_all(a, writer);
  WaitForSingleObject(thread.get(), INFINITE);
  return code;
}

const tw::RecordCarrier kCarrier = {nullptr, run};

// More than one processor this process may run on: else the thread would
// only add hand-overs.
bool has_second_processor() {
  DWORD_PTR mine = 0, system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &mine, &system)) return false;
  return (mine & (mine - 1)) != 0;
}

}  // namespace

const tw::RecordCarrier* read_ahead_carrier() {
  if (!has_second_processor()) return nullptr;
  ReadAhead* a = &g_ahead;
  void* slots = VirtualAlloc(nullptr, kSlots * kSlotSize, MEM_COMMIT, PAGE_READWRITE);
  a->queue.slots = static_cast<unsigned char*>(slots);
  a->filled = CreateSemaphoreW(nullptr, 0, kSlots, nullptr);
  a->free = CreateSemaphoreW(nullptr, kSlots - 1, kSlots, nullptr);
  if (!a->queue.slots || !a->filled || !a->free) return nullptr;
  a->queue.slot_size = kSlotSize;
  a->queue.slot_count = kSlots;
  a->queue.ctx = a;
  a->queue.publish = publish;
  a->queue.take = take;
  return &kCarrier;
}
