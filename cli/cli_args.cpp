#include "cli_args.h"

#include <stdlib.h>

#include <algorithm>

#include "nearest_name.h"
#include "option_words.h"
#include "run_id.h"

namespace tw::cli {

namespace {

enum CommandBit : unsigned { kBuild = 1, kList = 2, kVerify = 4, kExtract = 8 };

struct CommandDef {
  const char* name;
  Command command;
  unsigned bit;
  size_t operands;
  const char* operand_names;
};

const CommandDef kCommands[] = {
    {"build", Command::kBuild, kBuild, 2, "SOURCE and TARGET"},
    {"list", Command::kList, kList, 1, "SFX"},
    {"verify", Command::kVerify, kVerify, 1, "SFX"},
    {"extract", Command::kExtract, kExtract, 2, "SFX and DIR"},
};

// Stores an option's value; returns "" or what is wrong with the value.
using Apply = std::string (*)(Arguments& a, const std::string& value);

struct OptionDef {
  const char* name;  // without the dashes
  unsigned commands;
  bool takes_value;
  Apply apply;
};

std::string word(const WordTable& table, const std::string& value, uint8_t* out) {
  if (value_of_word(table, value, out)) return std::string();
  std::string text = "'" + value + "' is not one of " + word_list(table);
  std::vector<std::string> words;
  for (size_t i = 0; i < table.count; ++i) words.push_back(table.words[i].word);
  std::string near = nearest_name(value, words);
  if (!near.empty()) text += " (did you mean '" + near + "'?)";
  return text;
}

bool parse_number(const std::string& s, unsigned long max, unsigned long* out) {
  if (s.empty() || s.size() > 10 || s.find_first_not_of("0123456789") != std::string::npos) return false;
  *out = strtoul(s.c_str(), nullptr, 10);
  return *out <= max;
}

std::string threads(Arguments& a, const std::string& v) {
  unsigned long n;
  if (!parse_number(v, 64, &n) || n == 0) return "'" + v + "' is not a number from 1 to 64";
  a.build.threads = unsigned(n);
  return std::string();
}

std::string codepage(Arguments& a, const std::string& v) {
  unsigned long n = 0;
  if (v == "utf8" || v == "utf-8" || v == "UTF-8") n = 65001;
  if (!n && (!parse_number(v, 65535, &n) || !is_storable_code_page(uint32_t(n))))
    return "'" + v + "' is not utf8 or one of 874, 932, 936, 949, 950, 1250 to 1258, 65001";
  a.build.codepage = uint32_t(n);
  return std::string();
}

std::string run_id(Arguments& a, const std::string& v) {
  std::string id = v;
  for (char& c : id) c = char(toupper(static_cast<unsigned char>(c)));
  if (!is_run_id_text(id))
    return "'" + v + "' is not ten hexadecimal digits";
  a.build.run_id = id;
  return std::string();
}

const OptionDef kOptions[] = {
    {"run", kBuild, true, [](Arguments& a, const std::string& v) { a.build.run_file = v; return std::string(); }},
    {"args", kBuild, true, [](Arguments& a, const std::string& v) { a.build.args = v; return std::string(); }},
    {"folder", kBuild, true,
     [](Arguments& a, const std::string& v) { return word(kFolderWords, v, &a.build.folder); }},
    {"custom-folder", kBuild, true,
     [](Arguments& a, const std::string& v) { a.build.custom_folder = v; return std::string(); }},
    {"overwrite", kBuild | kExtract, true,
     [](Arguments& a, const std::string& v) {
       std::string e = word(kOverwriteWords, v, &a.build.overwrite);
       a.overwrite = a.build.overwrite;
       return e;
     }},
    {"silent", kBuild, false, [](Arguments& a, const std::string&) { a.build.silent = true; return std::string(); }},
    {"one-instance", kBuild, false,
     [](Arguments& a, const std::string&) { a.build.one_instance = true; return std::string(); }},
    {"self-delete", kBuild, false,
     [](Arguments& a, const std::string&) { a.build.self_delete = true; return std::string(); }},
    {"delete", kBuild, true,
     [](Arguments& a, const std::string& v) { return word(kDeleteWords, v, &a.build.delete_mode); }},
    {"workdir", kBuild, true,
     [](Arguments& a, const std::string& v) { return word(kWorkdirWords, v, &a.build.workdir); }},
    {"uac", kBuild, true, [](Arguments& a, const std::string& v) { return word(kUacWords, v, &a.build.uac); }},
    {"icon", kBuild, true, [](Arguments& a, const std::string& v) { a.build.icon = v; return std::string(); }},
    {"version-from", kBuild, true,
     [](Arguments& a, const std::string& v) { a.build.version_from = v; return std::string(); }},
    {"open-folder", kBuild, false,
     [](Arguments& a, const std::string&) { a.build.open_folder = true; return std::string(); }},
    {"force", kBuild, false, [](Arguments& a, const std::string&) { a.build.force = true; return std::string(); }},
    {"strict", kBuild, false, [](Arguments& a, const std::string&) { a.build.strict = true; return std::string(); }},
    {"threads", kBuild, true, threads},
    {"codepage", kBuild, true, codepage},
    {"run-id", kBuild, true, run_id},
    {"json", kList, false, [](Arguments& a, const std::string&) { a.json = true; return std::string(); }},
};

const OptionDef* find_option(const std::string& name) {
  for (const OptionDef& o : kOptions)
    if (name == o.name) return &o;
  return nullptr;
}

std::string unknown_option(const std::string& given, unsigned bit) {
  std::vector<std::string> names;
  for (const OptionDef& o : kOptions)
    if (o.commands & bit) names.push_back(o.name);
  size_t dashes = given.compare(0, 2, "--") == 0 ? 2 : given[0] == '-' ? 1 : 0;
  std::string near = nearest_name(given.substr(dashes, given.find('=') - dashes), names);
  std::string text = "unknown option '" + given + "'";
  if (!near.empty()) text += "; did you mean '--" + near + "'?";
  return text;
}

bool given(const std::vector<std::string>& seen, const char* name) {
  return std::find(seen.begin(), seen.end(), name) != seen.end();
}

// Combinations that would be stored without any effect are refused rather
// than silently kept.
std::string check_build(Arguments& a, const std::vector<std::string>& seen) {
  BuildChoices& b = a.build;
  bool run = given(seen, "run");
  if (!run) {
    for (const char* needs_run : {"args", "delete", "workdir"})
      if (given(seen, needs_run)) return std::string("--") + needs_run + " needs --run";
  } else if (b.open_folder) {
    return "--open-folder applies only without --run";
  }
  if (given(seen, "custom-folder")) {
    if (!given(seen, "folder")) b.folder = 5;
    if (b.folder != 5) return "--custom-folder needs --folder custom";
  } else if (b.folder == 5) {
    return "--folder custom needs --custom-folder";
  }
  return std::string();
}

const CommandDef* find_command(const std::string& name) {
  for (const CommandDef& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

ParseResult fail(std::string error) {
  ParseResult r;
  r.error = std::move(error);
  return r;
}

}  // namespace

bool is_storable_code_page(uint32_t cp) {
  return cp == 874 || cp == 932 || cp == 936 || cp == 949 || cp == 950 || (cp >= 1250 && cp <= 1258) ||
         cp == 65001;
}

ParseResult parse_arguments(const std::vector<std::string>& argv) {
  ParseResult r;
  for (const std::string& s : argv) {
    if (s == "--") break;
    if (s == "--help" || s == "-h" || s == "help") {
      r.ok = true;
      return r;
    }
    if (s == "--version") {
      r.ok = true;
      r.args.command = Command::kVersion;
      return r;
    }
  }
  if (argv.empty()) return fail("no command given (build, list, verify or extract)");
  const CommandDef* cmd = find_command(argv[0]);
  if (!cmd) {
    std::vector<std::string> names;
    for (const CommandDef& c : kCommands) names.push_back(c.name);
    std::string near = nearest_name(argv[0], names);
    std::string text = "unknown command '" + argv[0] + "'";
    return fail(near.empty() ? text : text + "; did you mean '" + near + "'?");
  }
  Arguments& a = r.args;
  a.command = cmd->command;
  std::vector<std::string> operands, seen;
  bool options_end = false;
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& s = argv[i];
    if (options_end || s.size() < 2 || s[0] != '-') {
      operands.push_back(s);
      continue;
    }
    if (s == "--") {
      options_end = true;
      continue;
    }
    size_t eq = s.find('=');
    std::string name = s.compare(0, 2, "--") == 0 ? s.substr(2, eq == std::string::npos ? eq : eq - 2) : "";
    const OptionDef* o = name.empty() ? nullptr : find_option(name);
    if (!o) return fail(unknown_option(s, cmd->bit));
    if (!(o->commands & cmd->bit)) return fail("option --" + name + " does not apply to " + cmd->name);
    if (given(seen, o->name)) return fail("option --" + name + " is given twice");
    seen.push_back(o->name);
    std::string value;
    if (o->takes_value) {
      if (eq != std::string::npos) {
        value = s.substr(eq + 1);
      } else if (i + 1 < argv.size()) {
        value = argv[++i];
      } else {
        return fail("option --" + name + " needs a value");
      }
    } else if (eq != std::string::npos) {
      return fail("option --" + name + " takes no value");
    }
    std::string problem = o->apply(a, value);
    if (!problem.empty()) return fail("--" + name + ": " + problem);
  }
  if (operands.size() < cmd->operands)
    return fail(std::string(cmd->name) + " needs " + cmd->operand_names);
  if (operands.size() > cmd->operands) return fail("unexpected argument '" + operands[cmd->operands] + "'");
  if (cmd->command == Command::kBuild) {
    a.build.source = operands[0];
    a.build.target = operands[1];
    std::string problem = check_build(a, seen);
    if (!problem.empty()) return fail(problem);
  } else {
    a.sfx = operands[0];
    if (operands.size() > 1) a.folder = operands[1];
  }
  r.ok = true;
  return r;
}

}  // namespace tw::cli
