#include "platform/SecretStore.h"

#include "platform/Codec.h"

namespace platform {

std::string CredentialLabel(const CredentialName& name) {
  std::string label = "Kayoiji: " + SjisToUtf8(name.RemoteName);
  if (!name.UserName.empty()) label += " (" + SjisToUtf8(name.UserName) + ")";
  return label;
}

}  // namespace platform
