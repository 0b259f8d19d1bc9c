// The line framer and the request parser, without sockets.
#include "server/protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace money {
namespace {

std::vector<Line> FeedAll(LineFramer& framer, const std::vector<std::string>& pieces) {
  std::vector<Line> lines;
  for (const std::string& piece : pieces) FeedBytes(framer, piece, lines);
  return lines;
}

std::vector<std::string> Texts(const std::vector<Line>& lines) {
  std::vector<std::string> texts;
  for (const Line& line : lines) texts.push_back(line.too_long ? "<too long>" : line.text);
  return texts;
}

TEST(Framer, CutsLinesEndingInCrLfOrLf) {
  LineFramer framer;
  const auto lines = FeedAll(framer, {"CGET\r\nBGET\nCADD,5\r\n"});
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"CGET", "BGET", "CADD,5"}));
  EXPECT_TRUE(framer.pending.empty());
}

TEST(Framer, JoinsPiecesSplitAnywhere) {
  const std::string stream = "CUSE,50\r\nCGET\nTERM\r\n";
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    LineFramer framer;
    const auto lines = FeedAll(framer, {stream.substr(0, cut), stream.substr(cut)});
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"CUSE,50", "CGET", "TERM"})) << cut;
  }
  LineFramer byte_by_byte;
  std::vector<Line> lines;
  for (const char c : stream) FeedBytes(byte_by_byte, std::string(1, c), lines);
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"CUSE,50", "CGET", "TERM"}));
}

TEST(Framer, HoldsAnUnfinishedLineUntilItsEnd) {
  LineFramer framer;
  auto lines = FeedAll(framer, {"CGET\r\nCAD"});
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"CGET"}));
  EXPECT_EQ(framer.pending, "CAD");
  lines = FeedAll(framer, {"D,1\r", "\n"});
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"CADD,1"}));
}

TEST(Framer, KeepsEmptyLinesAndInnerCarriageReturns) {
  LineFramer framer;
  const auto lines = FeedAll(framer, {"\r\n\nCG\rET\r\r\n"});
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"", "", "CG\rET\r"}));
}

TEST(Framer, AcceptsALineOfExactlyTheLimitWithItsLineEnd) {
  LineFramer framer;
  const std::string lf_body(kMaxLineBytes - 1, 'A');
  const std::string crlf_body(kMaxLineBytes - 2, 'B');
  const auto lines = FeedAll(framer, {lf_body + "\n" + crlf_body + "\r\n"});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_FALSE(lines[0].too_long);
  EXPECT_EQ(lines[0].text, lf_body);
  EXPECT_FALSE(lines[1].too_long);
  EXPECT_EQ(lines[1].text, crlf_body);
}

TEST(Framer, MarksALineOneByteOverTheLimit) {
  for (const std::string& line :
       {std::string(kMaxLineBytes, 'A') + "\n", std::string(kMaxLineBytes - 1, 'A') + "\r\n"}) {
    LineFramer framer;
    const auto lines = FeedAll(framer, {line + "CGET\r\n"});
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"<too long>", "CGET"}));
  }
}

TEST(Framer, NeverHoldsMoreThanTheLimitOfAnEndlessLine) {
  LineFramer framer;
  std::vector<Line> lines;
  const std::string chunk(10000, 'X');
  for (int i = 0; i < 100; ++i) {
    FeedBytes(framer, chunk, lines);
    ASSERT_LT(framer.pending.size(), kMaxLineBytes);
  }
  EXPECT_TRUE(lines.empty());
  FeedBytes(framer, "\r\nBGET\r\n", lines);
  EXPECT_EQ(Texts(lines), (std::vector<std::string>{"<too long>", "BGET"}));
  EXPECT_TRUE(framer.pending.empty());
}

TEST(Parser, ReadsEveryRequest) {
  struct Case {
    const char* text;
    Verb verb;
    int64_t amount;
  };
  const Case cases[] = {
      {"CGET", Verb::kCreditQuery, 0},    {"BGET", Verb::kBankQuery, 0},
      {"CUSE,50", Verb::kUseCredits, 50}, {"BADD,200", Verb::kAddBank, 200},
      {"CADD,1", Verb::kAddCredits, 1},   {"CADD,100000", Verb::kAddCredits, 100000},
      {"TERM", Verb::kTerm, 0},           {"CUSE,99999", Verb::kUseCredits, 99999},
  };
  for (const Case& c : cases) {
    const Request r = ParseRequest(c.text);
    EXPECT_EQ(r.verb, c.verb) << c.text;
    EXPECT_EQ(r.amount, c.amount) << c.text;
  }
}

TEST(Parser, RefusesAnythingElse) {
  const std::string refused[] = {
      "",
      "cget",
      "CGET ",
      " CGET",
      "CGET,1",
      "CGET,",
      "BGET,0",
      "TERM,1",
      "TERMX",
      "CUSE",
      "CUSE,",
      "CUSE,0",
      "CUSE,-5",
      "CUSE,+5",
      "CUSE,05",
      "CUSE, 5",
      "CUSE,5 ",
      "CUSE,5,6",
      "CUSE,1e3",
      "CUSE,100001",
      "BADD,999999",
      "CADD,99999999999999999999",
      "CADD;5",
      "XXXX,5",
      "CTEL,5",
      "FAIL",
      std::string("CGET\0", 5),
      "CADD,5\r",
      "CADD,0x10",
      "CA DD,5",
  };
  for (const std::string& text : refused) {
    EXPECT_EQ(ParseRequest(text).verb, Verb::kInvalid) << Printable(text);
  }
}

TEST(Parser, AmountsAreStrictDecimal) {
  EXPECT_EQ(ParseAmount("1"), 1);
  EXPECT_EQ(ParseAmount("100000"), 100000);
  EXPECT_EQ(ParseAmount("100001"), std::nullopt);
  EXPECT_EQ(ParseAmount("0"), std::nullopt);
  EXPECT_EQ(ParseAmount("007"), std::nullopt);
  EXPECT_EQ(ParseAmount("1234567"), std::nullopt);
  EXPECT_EQ(ParseAmount("12a"), std::nullopt);
}

TEST(Parser, FormattedRequestsReadBack) {
  for (const Request r : {Request{Verb::kCreditQuery, 0}, Request{Verb::kBankQuery, 0},
                          Request{Verb::kUseCredits, 50}, Request{Verb::kAddBank, 300},
                          Request{Verb::kAddCredits, 75}, Request{Verb::kTerm, 0}}) {
    const std::string line = FormatRequest(r);
    ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
    const Request back = ParseRequest(line.substr(0, line.size() - 2));
    EXPECT_EQ(back.verb, r.verb) << line;
    EXPECT_EQ(back.amount, r.amount) << line;
  }
  EXPECT_EQ(FormatRequest({Verb::kUseCredits, 50}), "CUSE,50\r\n");
}

TEST(Replies, AreTagCommaValueCrLf) {
  EXPECT_EQ(CreditReply(250), "CTEL,250\r\n");
  EXPECT_EQ(BankReply(1200), "BTEL,1200\r\n");
  EXPECT_EQ(CreditReply(0), "CTEL,0\r\n");
  EXPECT_EQ(kFailReply, "FAIL\r\n");
}

TEST(Replies, LogTextIsPrintableAndShort) {
  EXPECT_EQ(Printable("CG\r\nET"), "CG\\x0d\\x0aET");
  EXPECT_EQ(Printable("a\\b"), "a\\x5cb");
  EXPECT_EQ(Printable(std::string(50, 'x'), 4), "xxxx... (50 bytes)");
}

}  // namespace
}  // namespace money
