// The real moneyd over real sockets.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "support.h"

namespace money_test {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Start()) << ReadFile(log_); }

  bool Start(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--db", db_};
    args.insert(args.end(), extra.begin(), extra.end());
    return daemon_.Start(args, log_);
  }

  // The journal's kinds (and client numbers), one "KIND client" per line.
  std::string JournalKinds() {
    const ProgramResult r = RunMoneyctl(db_, {"journal"});
    std::istringstream lines(r.out);
    std::string line;
    std::string kinds;
    std::getline(lines, line);  // the two heading lines
    std::getline(lines, line);
    while (std::getline(lines, line)) {
      std::istringstream fields(line);
      std::string seq, date, time, kind, client;
      fields >> seq >> date >> time >> kind >> client;
      kinds += kind + " " + client + "\n";
    }
    return kinds;
  }

  void ExpectVerified() {
    const ProgramResult r = RunMoneyctl(db_, {"verify"});
    EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  }

  TempDir dir_;
  std::string db_ = dir_.File("money.db");
  std::string log_ = dir_.File("moneyd.log");
  Daemon daemon_;
};

TEST_F(ServerTest, AnswersEveryRequest) {
  Conn c(daemon_.port());
  ASSERT_TRUE(c.connected());
  EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL,0\r\n");
  EXPECT_EQ(c.Exchange("BGET\r\n"), "BTEL,0\r\n");
  EXPECT_EQ(c.Exchange("CADD,75\r\n"), "CTEL,75\r\n");
  EXPECT_EQ(c.Exchange("BADD,200\r\n"), "BTEL,200\r\n");
  EXPECT_EQ(c.Exchange("CUSE,50\r\n"), "CTEL,25\r\n");
  EXPECT_EQ(c.Exchange("CUSE,50\r\n"), "CTEL,0\r\n");  // 25 from the credits, 25 from the bank
  EXPECT_EQ(c.Exchange("BGET\r\n"), "BTEL,175\r\n");
  EXPECT_EQ(c.Exchange("CUSE,176\r\n"), "FAIL\r\n");
  EXPECT_EQ(c.Exchange("CUSE,175\r\n"), "CTEL,0\r\n");
  EXPECT_EQ(c.Exchange("BGET\r\n"), "BTEL,0\r\n");
  ASSERT_TRUE(c.Send("TERM\r\n"));
  EXPECT_TRUE(c.ClosedByServer());
  c.Close();
  EXPECT_EQ(daemon_.Stop(SIGTERM), 0);
  EXPECT_EQ(JournalKinds(),
            "START -\nCONNECT 1\nCADD 1\nBADD 1\nCUSE 1\nCUSE 1\nCUSE 1\nTERM 1\n"
            "DISCONNECT 1\nSTOP -\n");
  ExpectVerified();
}

TEST_F(ServerTest, RefusesBadLinesAndKeepsTheConnection) {
  Conn c(daemon_.port());
  ASSERT_EQ(c.Exchange("CADD,10\r\n"), "CTEL,10\r\n");
  for (const char* bad : {"HELLO\r\n", "CGET \r\n", "cget\r\n", "CUSE\r\n", "CUSE,\r\n",
                          "CUSE,0\r\n", "CUSE,-5\r\n", "CADD,+5\r\n", "CADD,007\r\n",
                          "BADD,100001\r\n", "CADD,5x\r\n", "TERM,1\r\n", "\r\n", "CUSE,11\r\n"}) {
    EXPECT_EQ(c.Exchange(bad), "FAIL\r\n") << bad;
  }
  EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL,10\r\n");
  EXPECT_EQ(c.Exchange("BGET\r\n"), "BTEL,0\r\n");
  EXPECT_NE(ReadFile(log_).find("refused \"HELLO\""), std::string::npos);
}

TEST_F(ServerTest, JoinsLinesThatArriveInPieces) {
  Conn c(daemon_.port());
  for (const char* piece : {"CA", "DD", ",1", "2", "3\r", "\n"}) {
    ASSERT_TRUE(c.Send(piece));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // let each piece land alone
  }
  EXPECT_EQ(c.ReadLine(), "CTEL,123\r\n");
  EXPECT_EQ(c.Exchange("BADD,7\n"), "BTEL,7\r\n");  // LF alone ends a line too
}

TEST_F(ServerTest, AnswersSeveralLinesFromOnePieceInOrder) {
  Conn c(daemon_.port());
  ASSERT_TRUE(c.Send("CADD,5\r\nCGET\r\nBADD,9\nBOGUS\r\nBGET\r\nCUSE,14\r\nCGET\nBGET\r\n"));
  for (const char* expected : {"CTEL,5\r\n", "CTEL,5\r\n", "BTEL,9\r\n", "FAIL\r\n", "BTEL,9\r\n",
                               "CTEL,0\r\n", "CTEL,0\r\n", "BTEL,0\r\n"}) {
    EXPECT_EQ(c.ReadLine(), expected);
  }
}

TEST_F(ServerTest, TermEndsTheConnectionAndWhatFollowsIsNotRead) {
  Conn c(daemon_.port());
  ASSERT_TRUE(c.Send("CGET\r\nTERM\r\nCADD,500\r\n"));
  EXPECT_EQ(c.ReadLine(), "CTEL,0\r\n");
  EXPECT_TRUE(c.ClosedByServer());
  Conn other(daemon_.port());
  EXPECT_EQ(other.Exchange("CGET\r\n"), "CTEL,0\r\n");
}

TEST_F(ServerTest, RepliesStillReachAClientThatStoppedSending) {
  Conn c(daemon_.port());
  ASSERT_TRUE(c.Send("CADD,3\r\nCGET\r\n"));
  shutdown(c.fd(), SHUT_WR);
  EXPECT_EQ(c.ReadLine(), "CTEL,3\r\n");
  EXPECT_EQ(c.ReadLine(), "CTEL,3\r\n");
  EXPECT_TRUE(c.ClosedByServer());
}

TEST_F(ServerTest, RefusesOverlongLinesAndCarriesOn) {
  Conn c(daemon_.port());
  EXPECT_EQ(c.Exchange(std::string(4094, 'A') + "\n"), "FAIL\r\n");  // 4095 bytes: a line
  EXPECT_EQ(c.Exchange(std::string(4095, 'A') + "\n"), "FAIL\r\n");  // one byte too many
  // A megabyte without a line end, in pieces: held back, then refused once.
  const std::string chunk(64 * 1024, 'Z');
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(c.Send(chunk));
  EXPECT_EQ(c.Exchange("CADD,5\r\n"), "FAIL\r\n");
  EXPECT_EQ(c.Exchange("CADD,5\r\n"), "CTEL,5\r\n");
  EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL,5\r\n");
  EXPECT_NE(ReadFile(log_).find("longer than 4095 bytes"), std::string::npos);
}

TEST_F(ServerTest, ServesManyClientsAtOnce) {
  constexpr int kClients = 16;
  constexpr int kEach = 40;
  std::vector<std::thread> threads;
  std::vector<std::string> failures(kClients);
  for (int t = 0; t < kClients; ++t) {
    threads.emplace_back([this, t, &failures] {
      Conn c(daemon_.port());
      int64_t last = -1;
      for (int i = 0; i < kEach; ++i) {
        const std::string reply = c.Exchange(t % 2 ? "CADD,1\r\n" : "BADD,2\r\n");
        const int64_t value = reply.size() > 5 ? atoll(reply.c_str() + 5) : -1;
        // Every client sees its own total grow: the others only add to it.
        if (reply.substr(0, 5) != (t % 2 ? "CTEL," : "BTEL,") || value <= last) {
          failures[t] = "client " + std::to_string(t) + " got " + reply;
          return;
        }
        last = value;
      }
      c.Send("TERM\r\n");
    });
  }
  for (std::thread& t : threads) t.join();
  for (const std::string& f : failures) EXPECT_EQ(f, "");
  Conn c(daemon_.port());
  EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL," + std::to_string(kClients / 2 * kEach) + "\r\n");
  EXPECT_EQ(c.Exchange("BGET\r\n"), "BTEL," + std::to_string(kClients / 2 * kEach * 2) + "\r\n");
  ExpectVerified();
}

TEST_F(ServerTest, AClientVanishingMidLineHarmsNobody) {
  Conn steady(daemon_.port());
  ASSERT_EQ(steady.Exchange("CADD,10\r\n"), "CTEL,10\r\n");
  {
    Conn leaver(daemon_.port());
    ASSERT_TRUE(leaver.Send("CADD,50"));  // no line end: never a request
  }
  {
    Conn aborter(daemon_.port());
    ASSERT_TRUE(aborter.Send("CUSE,1"));
    aborter.Abort();
  }
  {
    Conn deaf(daemon_.port());  // asks and leaves without reading the reply
    ASSERT_TRUE(deaf.Send("CADD,1\r\n"));
    deaf.Abort();
  }
  EXPECT_EQ(steady.Exchange("CADD,10\r\n").substr(0, 5), "CTEL,");
  Conn late(daemon_.port());
  const std::string credits = late.Exchange("CGET\r\n");
  // The deaf client's request may or may not have been read before it left.
  EXPECT_TRUE(credits == "CTEL,20\r\n" || credits == "CTEL,21\r\n") << credits;
  late.Close();
  steady.Close();
  EXPECT_EQ(daemon_.Stop(SIGTERM), 0);
  const std::string log = ReadFile(log_);
  EXPECT_NE(log.find("bytes of an unfinished line dropped"), std::string::npos) << log;
  ExpectVerified();
}

TEST_F(ServerTest, AFullHouseMakesRoomByClosingTheLongestIdle) {
  constexpr int kSlots = 64;
  std::vector<std::unique_ptr<Conn>> idle;
  for (int i = 0; i < kSlots; ++i) {
    idle.push_back(std::make_unique<Conn>(daemon_.port()));
    ASSERT_EQ(idle.back()->Exchange("CGET\r\n"), "CTEL,0\r\n") << "connection " << i;
  }
  // The first one speaks again, so the second is now the quietest.
  ASSERT_EQ(idle[0]->Exchange("BGET\r\n"), "BTEL,0\r\n");
  std::vector<std::unique_ptr<Conn>> newcomers;
  for (int k = 0; k < 3; ++k) {
    newcomers.push_back(std::make_unique<Conn>(daemon_.port()));
    EXPECT_EQ(newcomers.back()->Exchange("CADD,1\r\n"), "CTEL," + std::to_string(k + 1) + "\r\n")
        << "newcomer " << k;
    // Each newcomer closed the quietest: the second, then the third, then the fourth.
    EXPECT_TRUE(idle[1 + k]->ClosedByServer()) << "newcomer " << k;
  }
  EXPECT_EQ(idle[0]->Exchange("CGET\r\n"), "CTEL,3\r\n");
  EXPECT_EQ(idle[4]->Exchange("CGET\r\n"), "CTEL,3\r\n");
  newcomers.clear();
  idle.clear();
  EXPECT_EQ(daemon_.Stop(SIGTERM), 0);
  const ProgramResult journal = RunMoneyctl(db_, {"journal", "--client", "2"});
  EXPECT_NE(journal.out.find("the longest idle when every connection was taken"), std::string::npos)
      << journal.out;
  EXPECT_NE(ReadFile(log_).find("closing client 2, silent for"), std::string::npos);
  ExpectVerified();
}

TEST_F(ServerTest, AnotherClientsQueriesStayQuickWhileOneStreamsChanges) {
  constexpr int kStream = 2000;
  Conn streamer(daemon_.port());
  Conn asker(daemon_.port());
  ASSERT_EQ(asker.Exchange("BGET\r\n"), "BTEL,0\r\n");
  std::string burst;
  for (int i = 0; i < kStream; ++i) burst += "CADD,1\r\n";
  std::thread sender([&] { streamer.Send(burst); });
  // The stream's replies come back in order, each after its own change.
  std::string stream_failure;
  std::atomic<bool> stream_done = false;
  std::thread reader([&] {
    for (int i = 1; i <= kStream && stream_failure.empty(); ++i) {
      const std::string reply = streamer.ReadLine();
      if (reply != "CTEL," + std::to_string(i) + "\r\n") {
        stream_failure = "reply " + std::to_string(i) + ": " + reply;
      }
    }
    stream_done = true;
  });
  using Clock = std::chrono::steady_clock;
  double slowest_ms = 0;
  int asked = 0;
  int64_t last_credits = 0;
  while (!stream_done) {
    const Clock::time_point t0 = Clock::now();
    const std::string reply = asker.Exchange(asked % 2 ? "BGET\r\n" : "CGET\r\n");
    slowest_ms =
        std::max(slowest_ms, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    if (asked % 2) {
      ASSERT_EQ(reply, "BTEL,0\r\n");
    } else {
      ASSERT_EQ(reply.substr(0, 5), "CTEL,") << reply;
      const int64_t credits = atoll(reply.c_str() + 5);
      EXPECT_GE(credits, last_credits);  // what it sees only ever grows
      last_credits = credits;
    }
    ++asked;
  }
  sender.join();
  reader.join();
  EXPECT_EQ(stream_failure, "");
  // A loose bound: moneyd-bench shows the real figure, a few milliseconds. One commit after
  // another for the whole stream took about two seconds.
  EXPECT_LT(slowest_ms, 250.0) << asked << " exchanges";
  EXPECT_GT(asked, 10);
  EXPECT_EQ(streamer.Exchange("CGET\r\n"), "CTEL," + std::to_string(kStream) + "\r\n");
  ExpectVerified();
}

TEST_F(ServerTest, SigtermClosesCleanlyWithClientsConnected) {
  Conn c(daemon_.port());
  ASSERT_EQ(c.Exchange("CADD,42\r\n"), "CTEL,42\r\n");
  EXPECT_EQ(daemon_.Stop(SIGTERM), 0);
  EXPECT_TRUE(c.ClosedByServer());
  const std::string kinds = JournalKinds();
  EXPECT_NE(kinds.find("DISCONNECT 1\nSTOP -\n"), std::string::npos) << kinds;
  ExpectVerified();
  // The money is still there next time.
  ASSERT_TRUE(Start());
  Conn again(daemon_.port());
  EXPECT_EQ(again.Exchange("CGET\r\n"), "CTEL,42\r\n");
  EXPECT_EQ(again.Exchange("CADD,1\r\n"), "CTEL,43\r\n");
}

TEST_F(ServerTest, SeesTheOperatorsChanges) {
  Conn c(daemon_.port());
  ASSERT_EQ(c.Exchange("CGET\r\n"), "CTEL,0\r\n");
  const ProgramResult r = RunMoneyctl(db_, {"insert", "200"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL,200\r\n");
  EXPECT_EQ(c.Exchange("CUSE,50\r\n"), "CTEL,150\r\n");
  ASSERT_EQ(RunMoneyctl(db_, {"cashout"}).exit_code, 0);
  EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL,0\r\n");
  ExpectVerified();
}

TEST_F(ServerTest, DemoCreditTopsTheCreditsUp) {
  daemon_.Stop(SIGTERM);
  ASSERT_TRUE(Start({"--demo-credit", "500"}));
  {
    Conn c(daemon_.port());
    EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL,500\r\n");
    EXPECT_EQ(c.Exchange("CUSE,50\r\n"), "CTEL,450\r\n");
  }
  daemon_.Stop(SIGTERM);
  ASSERT_TRUE(Start({"--demo-credit", "500"}));
  {
    Conn c(daemon_.port());
    EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL,500\r\n");
    EXPECT_EQ(c.Exchange("CADD,100\r\n"), "CTEL,600\r\n");
  }
  daemon_.Stop(SIGTERM);
  ASSERT_TRUE(Start({"--demo-credit", "500"}));  // above it already: nothing inserted
  Conn c(daemon_.port());
  EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL,600\r\n");
  const ProgramResult journal = RunMoneyctl(db_, {"journal"});
  size_t inserts = 0;
  for (size_t at = 0; (at = journal.out.find("demo credit", at)) != std::string::npos; ++at) {
    ++inserts;
  }
  EXPECT_EQ(inserts, 2u) << journal.out;
  ExpectVerified();
}

TEST_F(ServerTest, ABusyPortEndsASecondServer) {
  const ProgramResult r = RunProgram(
      MONEYD_PATH, {"--port", std::to_string(daemon_.port()), "--db", dir_.File("second.db")});
  EXPECT_NE(r.exit_code, 0);
  EXPECT_NE(r.err.find("in use"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(access(dir_.File("second.db").c_str(), F_OK), 0) << "made a database all the same";
  Conn c(daemon_.port());  // the first one carries on
  EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL,0\r\n");
}

TEST(MoneydStart, RefusesAnUnreadableDatabase) {
  TempDir dir;
  std::ofstream(dir.File("junk.db")) << std::string(10000, '?');
  for (const std::string& db : {dir.File("junk.db"), dir.File("absent/money.db"), dir.File("")}) {
    const ProgramResult r = RunProgram(MONEYD_PATH, {"--port", "0", "--db", db});
    EXPECT_EQ(r.exit_code, 1) << db << r.out;
    EXPECT_NE(r.err.find("cannot use the money database"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("listening"), std::string::npos);
  }
}

TEST(MoneydStart, RefusesANonLoopbackAddress) {
  TempDir dir;
  for (const char* address : {"0.0.0.0", "192.168.1.10", "::1", "localhost"}) {
    const ProgramResult r =
        RunProgram(MONEYD_PATH, {"--port", "0", "--db", dir.File("m.db"), "--bind", address});
    EXPECT_EQ(r.exit_code, 2) << address;
    EXPECT_NE(r.err.find("refusing to start"), std::string::npos) << r.err;
  }
}

// Read by journald (JOURNAL_STREAM names its standard error), moneyd stamps no time of its
// own and starts each line with its syslog priority; read by anything else, each line has
// its time.
TEST(MoneydLog, GivesJournaldPrioritiesAndNoTimeOfItsOwn) {
  TempDir dir;
  for (const bool journald : {true, false}) {
    const std::string log = dir.File(journald ? "journal.log" : "plain.log");
    std::ofstream{log};
    struct stat info {};
    ASSERT_EQ(stat(log.c_str(), &info), 0);
    const std::string names = std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    Daemon daemon;
    ASSERT_TRUE(daemon.Start({"--db", dir.File(journald ? "j.db" : "p.db")}, log, true,
                             {"JOURNAL_STREAM=" + (journald ? names : "1:1")}));
    Conn c(daemon.port());
    EXPECT_EQ(c.Exchange("CGET\r\n"), "CTEL,0\r\n");
    c.Send("NONSENSE\r\n");
    c.ReadLine();
    EXPECT_EQ(daemon.Stop(SIGTERM), 0);
    std::ifstream in(log);
    std::string line, text;
    int lines = 0;
    while (std::getline(in, line)) {
      ++lines;
      text += line + "\n";
      if (journald) {
        EXPECT_TRUE(line.size() > 3 && line[0] == '<' && line[2] == '>' && line[1] >= '3' &&
                    line[1] <= '6')
            << line;
        EXPECT_EQ(line.find("Z "), std::string::npos) << line;
      } else {
        EXPECT_EQ(line.rfind("moneyd: 20", 0), 0u) << line;
      }
    }
    EXPECT_GT(lines, 3);
    if (journald) {
      EXPECT_NE(text.find("<6>listening on 127.0.0.1:"), std::string::npos) << text;
      EXPECT_NE(text.find("<4>client 1: refused \"NONSENSE\""), std::string::npos) << text;
    }
  }
}

TEST(MoneydStart, ListensOnAnotherLoopbackAddress) {
  TempDir dir;
  Daemon daemon;
  ASSERT_TRUE(daemon.Start({"--db", dir.File("m.db"), "--bind", "127.0.0.2"}, dir.File("log")));
  EXPECT_EQ(daemon.Stop(SIGINT), 0);
}

TEST(MoneydStart, RefusesBadArguments) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--port", "http"},
                                             {"--port", "70000"},
                                             {"--port"},
                                             {"--demo-credit", "10000"},
                                             {"--colour", "red"}}) {
    const ProgramResult r = RunProgram(MONEYD_PATH, args);
    EXPECT_EQ(r.exit_code, 64) << args[0];
    EXPECT_NE(r.err.find(args[0]), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Try 'moneyd --help'"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace money_test
