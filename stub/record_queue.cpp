#include "record_queue.h"

#include <string.h>

namespace tw {

namespace {

enum EventType : uint32_t { kBegin = 1, kData = 2, kEnd = 3, kClose = 4 };

const uint32_t kEventHead = 8;
// A data piece is split rather than started in less room than this.
const uint32_t kMinPiece = 256;

uint32_t padded(uint32_t n) { return (n + 3) & ~3u; }

unsigned char* slot_at(const RecordQueue& q, uint32_t slot) { return q.slots + size_t(slot) * q.slot_size; }

uint32_t room(const RecordQueue& q) { return q.slot_size - q.used; }

// The reader's slot goes out; the next one is taken.
void next_slot(RecordQueue* q) {
  memcpy(slot_at(*q, q->fill), &q->used, 4);
  q->publish(q->ctx);
  q->fill = (q->fill + 1) % q->slot_count;
  q->take(q->ctx);
  q->used = 4;
}

// An event at the end of the reader's slot, which has room for it: `n` is
// the payload's length, or the code of an event without one. Returns where
// the payload goes.
unsigned char* add_event(RecordQueue* q, uint32_t type, uint32_t n, uint32_t payload) {
  unsigned char* p = slot_at(*q, q->fill) + q->used;
  memcpy(p, &type, 4);
  memcpy(p + 4, &n, 4);
  q->used += kEventHead + padded(payload);
  return p + kEventHead;
}

// The same in a new slot when the reader's has too little room.
unsigned char* add_whole_event(RecordQueue* q, uint32_t type, uint32_t n, uint32_t payload) {
  if (room(*q) < kEventHead + padded(payload)) next_slot(q);
  return add_event(q, type, n, payload);
}

void put_begin(void* ctx, const EntryHead& head, const wchar_t* name, uint32_t n) {
  RecordQueue* q = static_cast<RecordQueue*>(ctx);
  uint32_t bytes = uint32_t(sizeof head + (n + 1) * sizeof(wchar_t));
  unsigned char* p = add_whole_event(q, kBegin, bytes, bytes);
  memcpy(p, &head, sizeof head);
  memcpy(p + sizeof head, name, n * sizeof(wchar_t));
  memset(p + sizeof head + n * sizeof(wchar_t), 0, sizeof(wchar_t));
}

void put_data(void* ctx, const unsigned char* data, uint32_t n) {
  RecordQueue* q = static_cast<RecordQueue*>(ctx);
  while (n) {
    if (room(*q) < kEventHead + kMinPiece) next_slot(q);
    uint32_t k = room(*q) - kEventHead;
    if (k > n) k = n;
    memcpy(add_event(q, kData, k, k), data, k);
    data += k;
    n -= k;
  }
}

void put_end(void* ctx, uint32_t code) { add_whole_event(static_cast<RecordQueue*>(ctx), kEnd, code, 0); }

}  // namespace

void queue_start(RecordQueue* q) {
  q->fill = 0;
  q->used = 4;
}

RecordSink queue_sink(RecordQueue* q) { return RecordSink{q, put_begin, put_data, put_end}; }

void queue_close(RecordQueue* q, uint32_t code) {
  add_whole_event(q, kClose, code, 0);
  memcpy(slot_at(*q, q->fill), &q->used, 4);
  q->publish(q->ctx);
}

bool queue_deliver(const RecordQueue& q, uint32_t slot, const RecordSink& writer, uint32_t* code) {
  const unsigned char* s = slot_at(q, slot);
  uint32_t used;
  memcpy(&used, s, 4);
  for (uint32_t at = 4; at + kEventHead <= used;) {
    uint32_t type, n;
    memcpy(&type, s + at, 4);
    memcpy(&n, s + at + 4, 4);
    const unsigned char* p = s + at + kEventHead;
    switch (type) {
      case kBegin: {
        EntryHead head;
        memcpy(&head, p, sizeof head);
        const wchar_t* name = reinterpret_cast<const wchar_t*>(p + sizeof head);
        writer.begin(writer.ctx, head, name, uint32_t((n - sizeof head) / sizeof(wchar_t) - 1));
        at += kEventHead + padded(n);
        break;
      }
      case kData:
        writer.data(writer.ctx, p, n);
        at += kEventHead + padded(n);
        break;
      case kEnd:
        writer.end(writer.ctx, n);
        at += kEventHead;
        break;
      default:
        *code = n;
        return true;
    }
  }
  return false;
}

}  // namespace tw
