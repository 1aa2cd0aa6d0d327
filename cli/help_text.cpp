#include "help_text.h"

#include "option_words.h"

#ifndef TW_VERSION_TEXT
#error "TW_VERSION_TEXT: the project version, defined by CMake"
#endif

namespace tw::cli {

std::string help_text() {
  return std::string(
             "Usage: tarnwick-cli COMMAND [options] ARGUMENTS\n"
             "\n"
             "Packs a folder into one self-extracting Windows executable (an SFX file),\n"
             "and lists, verifies or unpacks such a file without running it. Never shows\n"
             "a window; errors and warnings go to standard error, one line each.\n"
             "\n"
             "  tarnwick-cli build [options] SOURCE TARGET\n"
             "    --run FILE              extract, then run FILE (a file inside SOURCE)\n"
             "    --args TEXT             parameters for the run file\n"
             "    --folder WHERE          extraction folder: ") +
         word_list(kFolderWords) +
         " (temp)\n"
         "    --custom-folder TEXT    the custom folder, kept as written (%VAR% expands\n"
         "                            when the SFX file runs); implies --folder custom\n"
         "    --overwrite MODE        existing files at extraction: " +
         word_list(kOverwriteWords) +
         " (ask)\n"
         "    --delete WHEN           with --run, remove the extracted files: " +
         word_list(kDeleteWords) +
         " (now)\n"
         "    --workdir WHICH         with --run, its working folder: " +
         word_list(kWorkdirWords) +
         "\n"
         "                            (extraction)\n"
         "    --uac LEVEL             elevation the SFX file asks for: " +
         word_list(kUacWords) +
         " (none)\n"
         "    --silent                no progress window and no messages at extraction\n"
         "    --one-instance          the SFX file refuses to run twice at once\n"
         "    --self-delete           the SFX file deletes itself after the run\n"
         "    --open-folder           without --run, open the folder after extraction\n"
         "    --icon FILE             icon from an .ico file or an executable\n"
         "    --version-from FILE     version information from an executable\n"
         "    --force                 replace an existing TARGET\n"
         "    --strict                a failed icon or version edit is an error\n"
         "    --threads N             compression workers, 1 to 64 (one per processor)\n"
         "    --codepage N|utf8       code page of the stored names (Windows: the ANSI\n"
         "                            code page, UTF-8 when a name does not fit it;\n"
         "                            Linux: UTF-8)\n"
         "    --run-id HEX            ten hexadecimal digits; with the same tree, time\n"
         "                            zone and code page, builds give the same bytes\n"
         "                            (default: from SOURCE_DATE_EPOCH when set)\n"
         "\n"
         "  tarnwick-cli list [--json] SFX       options, records and totals\n"
         "  tarnwick-cli verify SFX              check every chunk and checksum\n"
         "  tarnwick-cli extract [--overwrite MODE] SFX DIR\n"
         "                            unpack the records into DIR; runs nothing\n"
         "                            (MODE: the SFX file's own unless given)\n"
         "  tarnwick-cli --help | --version\n"
         "\n"
         "Options may stand before or after the arguments; --name=VALUE works too;\n"
         "-- ends the options.\n"
         "\n"
         "Exit codes: 0 done; 1 the build failed (a previous TARGET is kept);\n"
         "2 wrong command line; 3 refused input, nothing written (missing source,\n"
         "run file or icon, existing TARGET without --force, a source the format\n"
         "cannot hold: names Windows cannot hold, links, files of 2 GB, ...;\n"
         "an SFX file that cannot be opened). list, verify and extract end like\n"
         "the SFX file itself for a damaged file: 38 no SFX data, 13 damaged\n"
         "records, 23 checksum mismatch, 8 chunk too large, 160 chunk not\n"
         "inflatable; extract also with the Windows error code of a file it\n"
         "cannot write (5 access denied, 112 disk full, ...).\n";
}

std::string version_text() { return "tarnwick-cli " TW_VERSION_TEXT "\n"; }

}  // namespace tw::cli
