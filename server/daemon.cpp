#include "server/daemon.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "server/event_log.h"
#include "server/exchange.h"
#include "server/net.h"
#include "server/protocol.h"

namespace money {

namespace {

using ll = long long;

// A client that does not read its replies is not served past this much queued output.
constexpr size_t kOutputHighWater = 64 * 1024;
constexpr size_t kReadChunk = 16 * 1024;
// A client is not read from while this many of its lines wait to be answered.
constexpr size_t kMaxWaitingLines = 256;

using Clock = std::chrono::steady_clock;

struct Client {
  int fd = -1;
  Session session;
  LineFramer framer;
  Clock::time_point last_heard;  // when it connected or last sent anything
  bool closing = false;          // read no more; close once its lines are answered and sent
  std::string why;               // why it is closing, for the journal
};

void Journal(Ledger& ledger, Kind kind, int64_t client, const std::string& detail) {
  const RecordResult result = Record(ledger, Entry{kind, client, 0, detail});
  if (result.outcome != Outcome::kApplied) {
    LogEventAt(kLogError, "client %lld: could not journal %s: %s", static_cast<ll>(client),
               KindName(kind), result.error.c_str());
  }
}

void CloseClient(Ledger& ledger, Client& client) {
  if (!client.framer.pending.empty()) {
    client.why += ", " + std::to_string(client.framer.pending.size()) +
                  " bytes of an unfinished line dropped";
  }
  close(client.fd);
  client.fd = -1;
  LogEvent("client %lld disconnected (%s)", static_cast<ll>(client.session.client),
           client.why.c_str());
  Journal(ledger, Kind::kDisconnect, client.session.client, client.why);
}

// `drop` forgets the unanswered lines and the unsent replies: nobody is there to take them.
void StartClosing(Client& client, std::string why, bool drop) {
  if (!client.closing) client.why = std::move(why);
  client.closing = true;
  if (drop) {
    client.session.out.clear();
    client.session.lines.clear();
  }
}

void Flush(Client& client) {
  std::string& out = client.session.out;
  while (!out.empty()) {
    const ssize_t sent = send(client.fd, out.data(), out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      out.erase(0, static_cast<size_t>(sent));
    } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      return;
    } else {
      StartClosing(client, std::string("send failed: ") + strerror(errno), true);
      return;
    }
  }
}

void ReadFrom(Client& client) {
  char buffer[kReadChunk];
  const ssize_t got = recv(client.fd, buffer, sizeof buffer, 0);
  if (got < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
    StartClosing(client, std::string("connection lost: ") + strerror(errno), true);
    return;
  }
  if (got == 0) {
    // The client has stopped sending; its lines are still answered and the replies sent.
    StartClosing(client, "closed by the client", false);
    return;
  }
  client.last_heard = Clock::now();
  std::vector<Line> lines;
  FeedBytes(client.framer, std::string_view(buffer, static_cast<size_t>(got)), lines);
  for (Line& line : lines) client.session.lines.push_back(std::move(line));
}

// Worth serving this round: lines waiting and room for the replies.
bool Servable(const Client& c) {
  return c.fd >= 0 && HasWork(c.session) && c.session.out.size() < kOutputHighWater;
}

bool Finished(const Client& c) {
  return c.closing && c.session.out.empty() && !HasWork(c.session);
}

// Every slot is taken: the connection that has been quiet longest makes room, so that the
// game can always get in however many other local programs hold connections open.
void CloseLongestIdle(Ledger& ledger, std::vector<Client>& clients, const std::string& from) {
  auto idlest = clients.begin();
  for (auto c = clients.begin(); c != clients.end(); ++c) {
    if (c->last_heard < idlest->last_heard) idlest = c;
  }
  const double idle = std::chrono::duration<double>(Clock::now() - idlest->last_heard).count();
  LogEvent(
      "all %zu connections are taken and %s is connecting: closing client %lld, silent "
      "for %.1f s, the longest",
      clients.size(), from.c_str(), static_cast<ll>(idlest->session.client), idle);
  Flush(*idlest);
  StartClosing(*idlest, "closed to make room: the longest idle when every connection was taken",
               true);
  CloseClient(ledger, *idlest);
  clients.erase(idlest);
}

// A connection from a user who may not be served is closed at once, journalled and logged
// with who it was. True when it may be served.
bool Admit(Ledger& ledger, const PeerPolicy& peers, int fd, const sockaddr_in& peer,
           const std::string& from) {
  if (!peers.Checks()) return true;
  sockaddr_in local{};
  socklen_t size = sizeof local;
  uid_t uid = 0;
  std::string who;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
    who = std::string("an unknown user (") + strerror(errno) + ")";
  } else if (!PeerOwner(local, peer, uid, who)) {
    who = "an unknown user (" + who + ")";
  } else if (Permitted(peers, uid)) {
    return true;
  } else {
    who = UserText(uid);
  }
  close(fd);
  LogEventAt(kLogWarning, "refused a connection from %s by %s: not a permitted user", from.c_str(),
             who.c_str());
  Journal(ledger, Kind::kRefused, 0, "from " + from + " by " + who);
  return false;
}

void AcceptAll(Ledger& ledger, const PeerPolicy& peers, int listen_fd, std::vector<Client>& clients,
               int64_t& next_id, size_t max_clients) {
  for (;;) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    const int fd =
        accept4(listen_fd, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) {
        LogEventAt(kLogError, "cannot accept a connection: %s", strerror(errno));
      }
      return;
    }
    const std::string from = AddressText(peer);
    if (max_clients == 0) {
      LogEventAt(kLogWarning, "refused a connection from %s: no connections are served",
                 from.c_str());
      close(fd);
      continue;
    }
    if (!Admit(ledger, peers, fd, peer, from)) continue;
    if (clients.size() >= max_clients) CloseLongestIdle(ledger, clients, from);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    Client client;
    client.fd = fd;
    client.session.client = next_id++;
    client.last_heard = Clock::now();
    LogEvent("client %lld connected from %s", static_cast<ll>(client.session.client), from.c_str());
    Journal(ledger, Kind::kConnect, client.session.client, "from " + from);
    clients.push_back(std::move(client));
  }
}

// Sends what is queued and closes the clients that are done.
void FlushAll(Ledger& ledger, std::vector<Client>& clients) {
  for (Client& c : clients) {
    if (c.fd < 0) continue;
    Flush(c);
    if (Finished(c)) CloseClient(ledger, c);
  }
}

}  // namespace

int Serve(Ledger& ledger, const ServeConfig& config, const volatile sig_atomic_t& stop) {
  std::vector<Client> clients;
  std::vector<pollfd> fds;
  std::vector<Session*> sessions;
  int64_t next_id = config.first_client;
  int status = 0;
  const timespec at_once{0, 0};
  while (!stop) {
    fds.clear();
    fds.push_back({config.listen_fd, POLLIN, 0});
    bool work_waiting = false;
    for (const Client& c : clients) {
      short events = 0;
      if (!c.closing && c.session.lines.size() < kMaxWaitingLines &&
          c.session.out.size() < kOutputHighWater) {
        events |= POLLIN;
      }
      if (!c.session.out.empty()) events |= POLLOUT;
      fds.push_back({c.fd, events, 0});
      work_waiting = work_waiting || Servable(c);
    }
    // Lines left from the last round are served without waiting for more to arrive.
    if (ppoll(fds.data(), fds.size(), work_waiting ? &at_once : nullptr, &config.wait_mask) < 0) {
      if (errno == EINTR) continue;
      LogEventAt(kLogError, "poll failed: %s", strerror(errno));
      status = 1;
      break;
    }
    for (size_t i = 0; i < clients.size(); ++i) {
      Client& c = clients[i];
      const short revents = fds[i + 1].revents;
      if (!c.closing && (revents & (POLLIN | POLLHUP | POLLERR))) ReadFrom(c);
      if (c.closing && (revents & (POLLHUP | POLLERR | POLLNVAL))) {
        StartClosing(c, "connection lost", true);
      }
    }

    // One round: every client's queries at once, then every client's changes in one commit.
    sessions.clear();
    for (Client& c : clients) {
      if (Servable(c)) sessions.push_back(&c.session);
    }
    ServeQueries(ledger, sessions, config.limits);
    FlushAll(ledger, clients);
    if (ServeChanges(ledger, sessions, config.limits).outcome_unknown) {
      // Nothing more is written: whatever state the commit left is for a restart to recover.
      return kExitCommitUnknown;
    }
    for (Client& c : clients) {
      if (c.fd >= 0 && c.session.ended && !c.closing) {
        c.framer = LineFramer{};
        StartClosing(c, "after TERM", false);
      }
    }
    FlushAll(ledger, clients);
    std::erase_if(clients, [](const Client& c) { return c.fd < 0; });

    if (fds[0].revents & POLLIN) {
      AcceptAll(ledger, config.peers, config.listen_fd, clients, next_id, config.max_clients);
    }
  }
  for (Client& c : clients) {
    Flush(c);
    StartClosing(c, "server stopping", true);
    CloseClient(ledger, c);
  }
  return status;
}

}  // namespace money
