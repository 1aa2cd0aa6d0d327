#include "console_monitor.h"

#include "report.h"
#include "utf.h"

namespace tw::cli {

std::string edit_failure_words(const EditFailure& f) {
  static const char* const kWhat[] = {"the icon was not changed", "the version information was not copied",
                                      "the UAC manifest was not written"};
  std::string text = f.source.empty() ? std::string() : utf8_of(f.source) + ": ";
  return text + kWhat[f.edit] + " (" + f.reason + ")";
}

void ConsoleMonitor::edit_failed(const EditFailure& f) {
  edit_failed_ = true;
  bar_.clear();
  if (strict_)
    report_error(edit_failure_words(f) + "; --strict: the SFX file is not written");
  else
    report_warning(edit_failure_words(f));
}

}  // namespace tw::cli
