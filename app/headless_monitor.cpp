#include "headless_monitor.h"

#include "message_box.h"
#include "message_ids.h"
#include "messages.h"

namespace tw {

void HeadlessMonitor::finished(bool completed) {
  if (!completed) {
    show_warning(load_message(kMsgBuildCancelled));
  } else if (show_success_) {
    show_information(load_message(kMsgBuildSucceeded));
  }
}

}  // namespace tw
