#pragma once
// The resource edits of an SFX file, done on the bytes of the executable
// in memory. Each one either succeeds and leaves the complete new image in
// *target, or fails, says why and leaves *target exactly as it was. Source
// files (icon files, executables) that are damaged make an edit fail; they
// are never read past their end, and what an edit copies from one adds up
// to no more than the file's size and kMaxResourceGain. Memory running out
// throws std::bad_alloc, with *target unchanged.
#include <functional>

#include "copy_budget.h"
#include "resource_tree.h"
#include "result.h"

namespace tw::peres {

// Replaces the target's first icon group (all its languages and the images
// it names) by the images of an icon file: images 1..count and the group
// under the old group's name (1 when the target had none), in the language
// of GetVersionLanguage(target). An icon file without images gives an
// empty group.
Result ReplaceIconFromIco(ByteView icon_file, Bytes* target);

// Replaces the target's first icon group by the first icon group of an
// executable, in every language of that group, with the images it names
// under their identifiers. The group keeps the target's group name (the
// source's when the target had none).
Result CopyIconFromExecutable(ByteView source, Bytes* target);

// Replaces all version information of the target by the source's, every
// name and language as they are. Fails when the source has none.
Result CopyVersionInfo(ByteView source, Bytes* target);

// Writes data under type and name in the language of
// GetVersionLanguage(target). The name is replaced in every language, so
// that the file never carries two resources of that type and name.
Result WriteResource(Bytes* target, const ResName& type, const ResName& name, const Bytes& data);

// Writes data under type, name and language, replacing only that language.
Result WriteResourceInLanguage(Bytes* target, const ResName& type, const ResName& name,
                             uint16_t language, const Bytes& data);

// The language of the file's version information (the first entry of its
// translation table); 0 when it has none or cannot be read.
uint16_t GetVersionLanguage(ByteView file);

// Reads the target's resources, lets `edit` change them and writes the
// target back with them; a fault (target untouched) when the target cannot be
// read or written (Fault::kTargetRefused) or `edit` fails.
Result edit_resources(Bytes* target, const std::function<Result(ResourceTree&)>& edit);

}  // namespace tw::peres
