#include "platform/Services.h"

namespace platform {

Box ErrorBox(const std::string& text) {
  return Box{BoxKind::Error, "エラー", text, BoxButtons::Ok};
}

Box InformationBox(const std::string& text, BoxButtons buttons) {
  return Box{BoxKind::Information, "情報", text, buttons};
}

}  // namespace platform
