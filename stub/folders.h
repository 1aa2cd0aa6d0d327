#pragma once
// Creating the extraction folders and removing them again.
#include <windows.h>

#include "path_list.h"

// Creates path (a trailing backslash is ignored) with every missing parent
// and adds each folder it created to `created`, parents first. Failures are
// not reported here: writing into the folder fails later with its own code.
void create_folder_tree(const wchar_t* path, PathList* created);

enum RemoveMode { kRemoveNow = 0, kRemoveAtRestart = 1 };

// Removes the folder and the folders below it, deepest first, each only if
// empty (files the stub did not write keep their folders). At restart:
// marks them for removal instead.
void remove_folder_tree(const wchar_t* path, RemoveMode mode);

// Clears the attributes of a file and deletes it now or marks it for
// deletion at the next restart.
void remove_file(const wchar_t* path, RemoveMode mode);
