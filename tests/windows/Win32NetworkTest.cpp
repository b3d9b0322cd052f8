// The Win32 network and keyboard backends under the connection engine. Wine
// has no network provider, so every connection call ends in
// ERROR_NO_NETWORK; that is the code the engine must report.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "connect/ConnectUnit.h"
#include "platform/windows/Win32Network.h"
#include "platform/windows/Win32System.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"

using testsupport::ScriptedPlatform;

namespace {

bool ShiftDown() {
  return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
}

// The real backend, noting whether Shift was down while it was called.
class ObservedNetwork : public platform::Win32Network {
 public:
  std::uint32_t AddConnection(const platform::NetResource& request, const std::string& password,
                              const std::string& userName, std::uint32_t flags) override {
    ShiftDuringCall.push_back(ShiftDown());
    return Win32Network::AddConnection(request, password, userName, flags);
  }
  std::vector<bool> ShiftDuringCall;
};

struct Attempt {
  explicit Attempt(const std::string& netPath) {
    settings.EntryCount = 1;
    DefUnit::SetField(settings.NetPath[0], netPath);
    DefUnit::SetField(settings.LocalDrive[0], "Q:");
    DefUnit::SetField(settings.UserName[0], "KAYOIJI\\user");
    DefUnit::SetField(settings.UserPasswd[0], "secret");
    // Boxes, title and labels are recorded; the network and the keyboard are real.
    p.Services().Network = &network;
    p.Services().Keys = &keyboard;
  }
  int Connect() { return Connection::ConnectEntry(settings, p.Services(), p, 0); }

  DefUnit::RunningSettings settings;
  ScriptedPlatform p;
  ObservedNetwork network;
  platform::Win32Keyboard keyboard;
};

}  // namespace

TEST(Win32Network, ConnectEntryReportsTheNoNetworkCode) {
  Attempt a("\\\\kayoiji-nohost\\share\\");
  EXPECT_EQ(a.Connect(), -1);
  ASSERT_EQ(a.network.ShiftDuringCall.size(), 1u);
  ASSERT_EQ(a.p.Boxes.Shown.size(), 1u);
  EXPECT_EQ(a.p.Boxes.Shown[0].Kind, platform::BoxKind::Error);
  EXPECT_EQ(a.p.Boxes.Shown[0].Title, "エラー");
  EXPECT_EQ(a.p.Boxes.Shown[0].Text, "ネットワーク接続が出来ません。");
  EXPECT_EQ(a.p.StateText, "ネットワーク接続が出来ません。");
  EXPECT_EQ(a.p.PathText, "\\\\kayoiji-nohost\\share");
  EXPECT_EQ(a.p.CurrentTitle, " Kayoiji");

  a.p.Ticked = true;
  EXPECT_EQ(a.Connect(), -1);
  EXPECT_EQ(a.p.Boxes.Shown.size(), 1u) << "no box while errors are ignored";
}

TEST(Win32Network, CallsReturnTheSystemsCodeForAnyRequest) {
  platform::Win32Network net;
  platform::NetResource request;
  request.RemoteName = "\\\\kayoiji-nohost\\share";
  request.LocalName = "Q:";
  EXPECT_EQ(net.AddConnection(request, "", "", 0), platform::code::NoNetwork);
  // Empty texts go to the call as empty texts, not as nothing.
  request.LocalName.clear();
  EXPECT_EQ(net.AddConnection(request, "", "", 0), platform::code::NoNetwork);
  request.RemoteName.clear();
  EXPECT_NE(net.AddConnection(request, "pw", "user", 0), platform::code::NoError);
  // Nothing is connected, so there is nothing to cancel.
  EXPECT_NE(net.CancelConnection("Q:", 0, true), platform::code::NoError);
}

TEST(Win32Keyboard, ShiftIsDownForTheCallOnlyWhenAsked) {
  Attempt held("\\\\kayoiji-nohost\\share");
  held.settings.HoldShiftKey = true;
  EXPECT_EQ(held.Connect(), -1);
  EXPECT_EQ(held.network.ShiftDuringCall, std::vector<bool>{true});
  EXPECT_FALSE(ShiftDown()) << "released after a failed call";

  Attempt plain("\\\\kayoiji-nohost\\share");
  EXPECT_EQ(plain.Connect(), -1);
  EXPECT_EQ(plain.network.ShiftDuringCall, std::vector<bool>{false});
}

TEST(Win32Probe, OpensOnlyWhatExistsAndNeverHangsOnAnUnknownHost) {
  platform::Win32Network net;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(net.ProbeOpen("\\\\kayoiji-nohost\\share\\*.*", 63), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

  testsupport::TempDir dir;
  EXPECT_EQ(net.ProbeOpen(dir.File("missing") + "\\*.*", 63), 0);
  dir.Write("a.txt", "x");
  const std::intptr_t search = net.ProbeOpen(dir.Path().string() + "\\*.*", 63);
  ASSERT_NE(search, 0);
  net.ProbeClose(search);
}
