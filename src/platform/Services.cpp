#include "platform/Services.h"

namespace platform {

Box ErrorBox(const std::string& text) {
  return Box{BoxKind::Error, "エラー", text, BoxButtons::Ok};
}

Box InformationBox(const std::string& text, BoxButtons buttons) {
  return Box{BoxKind::Information, "情報", text, buttons};
}

Services& CurrentServices() {
  static Services services;
  return services;
}

}  // namespace platform
