// Notices through the desktop's notification service on the session bus.
#pragma once

#include <string>
#include <vector>

#include "platform/Services.h"

namespace platform {

class DesktopNotifier : public Notifier {
 public:
  // Sends one notice and returns without waiting for the service's answer,
  // so the run's timing stays as it is; the message has left the program by
  // then, so it arrives even when the program ends at once. No session bus
  // or no service: nothing happens, silently.
  void ConnectionsFailed(const std::vector<FailedConnection>& failed) override;

  // The notice's text: one line per connection, "path: message", escaped for
  // services that read the text as markup (every common one does).
  static std::string Body(const std::vector<FailedConnection>& failed);
};

}  // namespace platform
