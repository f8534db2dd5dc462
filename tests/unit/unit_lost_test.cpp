// A unit that stopped answering against one that refused or answered late.

#include <gtest/gtest.h>

#include "protocol/register_map.h"
#include "tests/unit/client_fixture.h"

namespace endcap {
namespace {

using testing::UnitClientTest;
using testing::ReadReply;

class UnitLostTest : public UnitClientTest {
protected:
  bool ReadFails() {
    uint16_t value = 0;
    return !client.ReadInputRegisters(reg::kMeasurementReady, 1, &value, 1);
  }
};

TEST_F(UnitLostTest, SilenceAndASilentHandshakeLoseTheUnitUntilItIsForgotten) {
  peer.QueueSilence();
  peer.QueueSilence();
  ASSERT_TRUE(ReadFails());
  EXPECT_TRUE(client.UnitLost());
  EXPECT_EQ(Sent().back(), "fa 04 00 02 00 03 04 40");
  EXPECT_TRUE(client.UnitLost());
  EXPECT_EQ(Sent().size(), 2u) << "a lost unit is not asked again";
  EXPECT_EQ(client.UnitLostText(), "The unit on COM1 stopped answering\r\nThe procedure has stopped");
  client.ForgetLostUnit();
  peer.QueueSilence();
  peer.QueueWithCrc(ReadReply({1, 2, 'A'}));
  ASSERT_TRUE(ReadFails());
  EXPECT_FALSE(client.UnitLost());
}

TEST_F(UnitLostTest, AnExceptionIsAnAnswerAndNeedsNoHandshake) {
  peer.QueueWithCrc({0xfa, 0x84, 0x02});
  ASSERT_TRUE(ReadFails());
  EXPECT_FALSE(client.UnitLost());
  EXPECT_EQ(Sent().size(), 1u);
}

}  // namespace
}  // namespace endcap
