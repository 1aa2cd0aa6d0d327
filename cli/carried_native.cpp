// The files the native console tool carries into every SFX file it builds:
// the stub and the self-delete helper as the win32 build made them, and the
// UAC manifest template, linked in as read-only data.
#include "carried_resources.h"

#if !defined(TW_CARRIED_STUB) || !defined(TW_CARRIED_SELFDELETE) || !defined(TW_CARRIED_MANIFEST)
#error "the carried files' paths are defined by CMake"
#endif

#define TW_CARRY(name, file)                                                          \
  asm(".section .rodata\n.balign 16\n.globl " #name "_begin\n" #name "_begin:\n" \
      ".incbin \"" file "\"\n.globl " #name "_end\n" #name "_end:\n.previous\n");  \
  extern "C" const unsigned char name##_begin[], name##_end[];

TW_CARRY(tw_carried_stub, TW_CARRIED_STUB)
TW_CARRY(tw_carried_selfdelete, TW_CARRIED_SELFDELETE)
TW_CARRY(tw_carried_manifest, TW_CARRIED_MANIFEST)

namespace tw {

namespace {

Blob blob(const unsigned char* begin, const unsigned char* end) { return Blob{begin, size_t(end - begin)}; }

}  // namespace

bool load_carried_resources(CarriedResources* out) {
  out->stub = blob(tw_carried_stub_begin, tw_carried_stub_end);
  out->self_delete = blob(tw_carried_selfdelete_begin, tw_carried_selfdelete_end);
  out->manifest = blob(tw_carried_manifest_begin, tw_carried_manifest_end);
  // The usage text belongs to the window maker's help; the tool has none.
  return out->stub.size && out->self_delete.size && out->manifest.size;
}

}  // namespace tw
