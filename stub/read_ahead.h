#pragma once
// The stub's carrier for the extraction pass: the reading half (reading the
// SFX file, inflating, checking) runs on a thread of its own a few pieces
// ahead, on the second core, while this thread makes the file calls and
// keeps the window alive. The thread never touches the file system beyond
// the SFX file it reads, and it has ended when the pass returns.
#include "extract_pass.h"

// Null when the process has one processor or the ring cannot be had (the
// pass then runs on one thread).
const tw::RecordCarrier* read_ahead_carrier();
