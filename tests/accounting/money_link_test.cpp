// The game's side of the money protocol against a scripted server.
#include "accounting/money_link.h"

#include <string>
#include <vector>

#include "link_fixture.h"

namespace {

using MoneyLink = LinkedGame;

TEST_F(MoneyLink, QueriesReadTheirTotalRawAndClamped) {
  server_.AddReply("CTEL,250\r\n");
  server_.AddReply("CTEL,250\r\n");
  server_.AddReply("CTEL,12000\r\n");
  server_.AddReply("CTEL,12000\r\n");
  server_.AddReply("CTEL,70000\r\n");
  server_.AddReply("BTEL,-5\r\n");
  server_.AddReply("BTEL,-5\r\n");
  server_.AddReply("BTEL,  +42\r\n");
  EXPECT_EQ(QueryCredits(), 250);
  EXPECT_EQ(GetCredits(), 250);
  EXPECT_EQ(QueryCredits(), 12000);
  EXPECT_EQ(GetCredits(), 9999);     // the most the panel holds, never nothing
  EXPECT_EQ(QueryCredits(), 65534);  // the most a query holds, not 70000 modulo 65536
  EXPECT_EQ(QueryBank(), 0);         // a total below nothing is nothing
  EXPECT_EQ(GetBank(), 0);
  EXPECT_EQ(QueryBank(), 42);
  EXPECT_EQ(Sent(), "CGET\r\nCGET\r\nCGET\r\nCGET\r\nCGET\r\nBGET\r\nBGET\r\nBGET\r\n");
}

TEST_F(MoneyLink, RefusalsAndWrongTagsFail) {
  server_.AddReply("FAIL\r\n");
  server_.AddReply("BTEL,300\r\n");  // a bank reply to a credit query
  server_.AddReply("CTEL,300\r\n");  // a credit reply to a bank query
  server_.AddReply("CTEL\r\n");      // accepted, no value
  server_.AddReply("CTEL\r\n");
  EXPECT_FALSE(UseCredits(50));
  EXPECT_EQ(QueryCredits(), 65535);
  EXPECT_EQ(GetBank(), 0);
  EXPECT_TRUE(UseCredits(50));
  EXPECT_EQ(QueryCredits(), 0);
  EXPECT_EQ(Sent(), "CUSE,50\r\nCGET\r\nBGET\r\nCUSE,50\r\nCGET\r\n");
}

TEST_F(MoneyLink, AReplyInPiecesIsReadToItsLineEnd) {
  server_.AddReplyInPieces({"CT", "EL,12", "34\r", "\n"});
  server_.AddReply("CTEL,7\r\n");
  EXPECT_EQ(QueryCredits(), 1234);
  EXPECT_STREQ(ReplyValue, "1234\r\n");
  EXPECT_EQ(QueryCredits(), 7);  // the next exchange is in step
}

TEST_F(MoneyLink, AClosedConnectionFailsInsteadOfRereadingTheLastReply) {
  server_.AddReply("CTEL,250\r\n");
  server_.AddClose();
  EXPECT_EQ(QueryCredits(), 250);
  EXPECT_EQ(QueryCredits(), 65535);
  EXPECT_EQ(GetCredits(), 0);
  EXPECT_FALSE(UseCredits(50));
}

TEST_F(MoneyLink, AReplyWithoutALineEndNeverOverrunsTheBuffer) {
  server_.AddReply("CTEL," + std::string(5000, '9'));
  EXPECT_EQ(QueryCredits(), 65535);
  EXPECT_LE(std::string(ReplyValue).size(), 255u);
}

TEST_F(MoneyLink, PrizesSplitIntoPoundsForTheBankAndPenceForTheCredits) {
  for (const char* r : {"BTEL,200\r\n", "CTEL,50\r\n", "BTEL,500\r\n", "CTEL,125\r\n"})
    server_.AddReply(r);
  PayToPlayer(250);
  PayToPlayer(0);
  PayToPlayer(300);
  PayToPlayer(75);
  EXPECT_EQ(Sent(), "BADD,200\r\nCADD,50\r\nBADD,300\r\nCADD,75\r\n");
  EXPECT_EQ(Log().find("PAYMENT"), std::string::npos);
}

TEST_F(MoneyLink, AnUnacceptedPaymentIsLoggedForTheOperator) {
  server_.AddReply("FAIL\r\n");
  server_.AddReply("FAIL\r\n");
  PayToPlayer(1050);
  std::string log = Log();
  EXPECT_NE(
      log.find("PAYMENT NOT ACCEPTED - bank 1000 pence - game 0 - settle with moneyctl reconcile"),
      std::string::npos)
      << log;
  EXPECT_NE(
      log.find("PAYMENT NOT ACCEPTED - credits 50 pence - game 0 - settle with moneyctl reconcile"),
      std::string::npos)
      << log;
  EXPECT_EQ(log.find("NOT CONFIRMED"), std::string::npos) << log;
}

// The server took the request and the link broke before its reply came: the change may have
// been made, so the log must not say it was refused.
struct LostReply {
  const char* name;
  std::vector<std::string> replies;  // before the connection is closed
  int paid;                          // PayToPlayer's amount, or 0 to charge a stake
  const char* expected;              // the one line logged, without its time
};

class MoneyLinkLostReply : public LinkedGame, public ::testing::WithParamInterface<LostReply> {};

TEST_P(MoneyLinkLostReply, IsLoggedAsNotConfirmed) {
  const LostReply& c = GetParam();
  for (const std::string& r : c.replies) server_.AddReply(r);
  server_.AddClose();
  if (c.paid != 0) {
    PayToPlayer(static_cast<int16_t>(c.paid));
  } else {
    EXPECT_FALSE(UseCredits(50));
  }
  const std::string log = Log();
  EXPECT_NE(log.find(c.expected), std::string::npos) << log;
  EXPECT_EQ(log.find("NOT ACCEPTED"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(
    , MoneyLinkLostReply,
    ::testing::Values(
        LostReply{"Bank",
                  {},
                  300,
                  "PAYMENT NOT CONFIRMED - bank 300 pence - game 0 - settle with moneyctl "
                  "reconcile\n"},
        LostReply{"CreditsAfterTheBank",
                  {"BTEL,200\r\n"},
                  250,
                  "PAYMENT NOT CONFIRMED - credits 50 pence - game 0 - settle with moneyctl "
                  "reconcile\n"},
        LostReply{"Stake",
                  {},
                  0,
                  "STAKE NOT CONFIRMED - credits 50 pence - game 0 - settle with moneyctl "
                  "reconcile\n"}),
    [](const ::testing::TestParamInfo<LostReply>& info) { return std::string(info.param.name); });

TEST_F(MoneyLink, ARefusedStakeIsAnOrdinaryRefusedGame) {
  server_.AddReply("FAIL\r\n");
  EXPECT_FALSE(UseCredits(50));
  EXPECT_EQ(Log().find("STAKE"), std::string::npos) << Log();
}

TEST_F(MoneyLink, TerminationIsSixBytesAndWaitsForNothing) {
  SendTerminate();
  EXPECT_EQ(Sent(), "TERM\r\n");
}

}  // namespace
