// Only permitted local users are served: a connection from any other is closed at once,
// journalled as REFUSED and logged with who it was. The test changes users, so it runs as
// root only.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "support.h"

namespace money_test {
namespace {

// What a child connecting as `user` saw: 0 served (a reply to CGET), 1 closed at once with
// nothing said, 2 anything else.
int ConnectAs(const passwd& user, int port) {
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(user.pw_gid) != 0 || setuid(user.pw_uid) != 0) _exit(3);
    Conn c(port);
    if (!c.connected()) _exit(2);
    const std::string reply = c.Exchange("CGET\r\n");
    if (reply.rfind("CTEL,", 0) == 0) _exit(0);
    _exit(reply.empty() && c.ClosedByServer() ? 1 : 2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(MoneydPeers, RefusesAUserNotPermittedAndServesThoseWhoAre) {
  if (geteuid() != 0) GTEST_SKIP() << "changes users: root only";
  // getpwnam answers in one static record: each is copied before the next look-up.
  const passwd* found = getpwnam("nobody");
  if (found == nullptr) GTEST_SKIP() << "no nobody user";
  const passwd refused = *found;
  found = getpwnam("daemon");
  if (found == nullptr) GTEST_SKIP() << "no daemon user";
  const passwd permitted = *found;
  TempDir dir;
  Daemon daemon;
  // The daemon user is permitted as a member of its own group.
  ASSERT_TRUE(daemon.Start({"--db", dir.File("m.db"), "--allow-group", "daemon"}, dir.File("log")));

  EXPECT_EQ(ConnectAs(refused, daemon.port()), 1);
  EXPECT_EQ(ConnectAs(permitted, daemon.port()), 0);
  Conn root(daemon.port());  // root is always served
  EXPECT_EQ(root.Exchange("CGET\r\n"), "CTEL,0\r\n");
  EXPECT_EQ(daemon.Stop(SIGTERM), 0);

  const std::string log = Slurp(dir.File("log"));
  EXPECT_NE(
      log.find("by nobody (uid " + std::to_string(refused.pw_uid) + "): not a permitted user"),
      std::string::npos)
      << log;
  const ProgramResult journal = RunProgram(MONEYCTL_PATH, {"--db", dir.File("m.db"), "journal"});
  EXPECT_EQ(journal.exit_code, 0);
  EXPECT_NE(journal.out.find("REFUSED"), std::string::npos) << journal.out;
  EXPECT_NE(journal.out.find("by nobody (uid"), std::string::npos) << journal.out;
  // The refused connection got no client number; the two served did.
  size_t connects = 0;
  for (size_t at = journal.out.find(" CONNECT "); at != std::string::npos;
       at = journal.out.find(" CONNECT ", at + 1))
    ++connects;
  EXPECT_EQ(connects, 2u) << journal.out;
}

// Without --allow-user or --allow-group every local user is served, as before.
TEST(MoneydPeers, ServesEveryLocalUserWhenNobodyIsNamed) {
  if (geteuid() != 0) GTEST_SKIP() << "changes users: root only";
  const passwd* nobody = getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no nobody user";
  const passwd anyone = *nobody;
  TempDir dir;
  Daemon daemon;
  ASSERT_TRUE(daemon.Start({"--db", dir.File("m.db")}, dir.File("log")));
  EXPECT_EQ(ConnectAs(anyone, daemon.port()), 0);
  EXPECT_EQ(daemon.Stop(SIGTERM), 0);
}

}  // namespace
}  // namespace money_test
