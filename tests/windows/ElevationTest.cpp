// Whether the drives an elevated program connects stay hidden from the
// user's other programs, for each answer the system can give.
#include <gtest/gtest.h>

#include "connect/ConnectUnit.h"
#include "support/FakeElevationQueries.h"

TEST(Win32OsIdentity, OnlyTheElevatedHalfOfASplitTokenHidesDrives) {
  struct Case {
    std::uint32_t type, linked;
    bool hidden;
  };
  // No split (1), the elevated half (2), the limited half (3), no answer (0);
  // a machine that links connections shows them to both halves.
  const Case cases[] = {{2, 0, true},  {2, 1, false}, {1, 0, false},
                        {3, 0, false}, {0, 0, false}, {2, 2, false}};
  for (const Case& c : cases) {
    testsupport::FakeElevationQueries queries;
    queries.elevationType = c.type;
    queries.linkedConnections = c.linked;
    platform::Win32OsIdentity os(queries);
    EXPECT_EQ(os.DrivesHiddenFromUser(), c.hidden) << c.type << " " << c.linked;
    EXPECT_EQ(Connection::DrivesHiddenWarning(&os).empty(), !c.hidden);
  }
}
