#pragma once
// What happens after a good extraction: open the folder, or run the file of
// the run record with its parameters and wait for it. Never returns.
[[noreturn]] void after_extraction();
