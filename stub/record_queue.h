#pragma once
// Carries the records of the extraction pass's reading half to its writing
// half through a ring of slots: the reader fills one slot with what it
// hands on while the writer takes the slots filled before. Portable; the
// waiting is the caller's (the stub's reader thread, or nothing at all
// where a filled slot is delivered at once).
//
//   slot:   used u32 (bytes of the slot in use, this field included), then
//           events one after another
//   event:  type u32, n u32, then a payload of n bytes padded to 4
//     begin  EntryHead, then the name's characters and a 0
//     data   the bytes (a piece may be split over slots)
//     end    no payload: n is the record's code
//     close  no payload: n is the reading half's result; the last event
#include <stdint.h>

#include "extract_pass.h"

namespace tw {

// The smallest slot: room for the longest name.
const uint32_t kQueueMinSlot = 4 + 8 + ((sizeof(EntryHead) + (kNameMax + 1) * sizeof(wchar_t) + 3) & ~3u);

struct RecordQueue {
  unsigned char* slots;  // slot_count * slot_size bytes, 4-aligned
  uint32_t slot_size;    // kQueueMinSlot or more, a multiple of 4
  uint32_t slot_count;
  void* ctx;
  // The reader is done with its slot; it goes to the writer.
  void (*publish)(void* ctx);
  // The reader needs the next slot: returns once the writer has given it
  // back.
  void (*take)(void* ctx);

  // The reader's slot and how much of it is used.
  uint32_t fill;
  uint32_t used;
};

// Starts the reader on the first slot.
void queue_start(RecordQueue* q);

// The sink the reading half fills the queue through.
RecordSink queue_sink(RecordQueue* q);

// The reading half's result: the last event, and its slot goes out.
void queue_close(RecordQueue* q, uint32_t code);

// Hands the events of a filled slot to writer, in order. True when the
// slot held the close event (its code in *code): nothing follows it.
bool queue_deliver(const RecordQueue& q, uint32_t slot, const RecordSink& writer, uint32_t* code);

}  // namespace tw
