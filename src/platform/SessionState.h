// What the program and the reconnect watcher share within one log-on
// session of the user: the credentials servers refused, the mounts their
// connections made, and a mark held while the program's log-in run goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Services.h"

namespace platform {

// The user's folder for it, made if need be and readable by the user only:
// on Linux "kayoiji" in $XDG_RUNTIME_DIR (which goes with the user's last
// session; without it, in the cache folder, as GVfs does), on Windows
// "Kayoiji" in the local application data. Empty when there is none.
std::string SessionFolder();
// Different for each log-on; empty where the system does not say.
std::string SessionIdentity();

// The refused credentials as a small file in `folder`, replaced in one step
// at each change, so that another process reads either the old or the new
// list. Records of another session are none. Where the file cannot be read
// or written, what this process recorded still counts.
class SessionRefusals : public RefusedCredentials {
 public:
  SessionRefusals(const std::string& folder, std::string session);
  bool Refused(const std::string& config, const std::string& remoteName,
               const std::string& userName) override;
  void Record(const std::string& config, const std::string& remoteName, const std::string& userName,
              bool refused) override;

 private:
  struct Entry {
    std::string Config;
    std::string RemoteName;
    std::string UserName;
    // The same credentials: names compared as Windows compares them.
    bool operator()(const Entry& other) const;
  };
  // The file's list; empty when it is missing, unreadable or of another session.
  std::vector<Entry> Load() const;
  void Store(const std::vector<Entry>& entries) const;

  std::string path_;
  std::string session_;
  // What this process recorded, whether or not the file took it.
  std::vector<Entry> own_;
};

// The mounts this user's connections made in this session (by their local
// folders), kept beside the refusals: the watcher takes down only those when
// their server stops answering, never a mount another program made. A mount
// the connection found already there is not recorded.
class SessionMounts {
 public:
  SessionMounts(const std::string& folder, std::string session);
  bool Made(const std::string& root) const;
  // `made` false forgets it: the mount went.
  void Record(const std::string& root, bool made);
  // Forgets those not among `present`: one that went without us (ejected
  // by hand) is not ours when something else mounts it again.
  void KeepOnly(const std::vector<std::string>& present);

 private:
  std::string path_;
  std::string session_;
};

// The mark the program holds while its log-in run goes.
constexpr const char* LogInRunMark = "login-run";

// A mark that one process holds and others can see, gone with the process
// that held it even when it was killed (a lock on a file in `folder`).
class SessionMark {
 public:
  SessionMark(const std::string& folder, const std::string& name);
  ~SessionMark();
  SessionMark(const SessionMark&) = delete;
  SessionMark& operator=(const SessionMark&) = delete;

  // False where the mark cannot be made (no folder).
  bool Hold();
  void Release();
  // Whether another process holds it now.
  bool HeldElsewhere() const;

 private:
  std::string path_;
  std::intptr_t handle_ = -1;
};

}  // namespace platform
