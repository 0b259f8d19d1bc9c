#include "server/daemon.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
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

// A client that does not read its replies is not read from past this much queued output.
constexpr size_t kOutputHighWater = 64 * 1024;
constexpr size_t kReadChunk = 16 * 1024;

struct Client {
  int fd = -1;
  int64_t id = 0;
  LineFramer framer;
  std::string out;
  bool closing = false;  // read no more; close once `out` is sent
  std::string why;       // why it is closing, for the journal
};

void Journal(Ledger& ledger, Kind kind, int64_t client, const std::string& detail) {
  const RecordResult result = Record(ledger, Entry{kind, client, 0, detail});
  if (result.outcome != Outcome::kApplied) {
    LogEvent("client %lld: could not journal %s: %s", static_cast<ll>(client), KindName(kind),
             result.error.c_str());
  }
}

void CloseClient(Ledger& ledger, Client& client) {
  if (!client.framer.pending.empty()) {
    client.why += ", " + std::to_string(client.framer.pending.size()) +
                  " bytes of an unfinished line dropped";
  }
  close(client.fd);
  client.fd = -1;
  LogEvent("client %lld disconnected (%s)", static_cast<ll>(client.id), client.why.c_str());
  Journal(ledger, Kind::kDisconnect, client.id, client.why);
}

void StartClosing(Client& client, std::string why, bool drop_output) {
  if (!client.closing) client.why = std::move(why);
  client.closing = true;
  if (drop_output) client.out.clear();
}

void Flush(Client& client) {
  while (!client.out.empty()) {
    const ssize_t sent =
        send(client.fd, client.out.data(), client.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      client.out.erase(0, static_cast<size_t>(sent));
    } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      return;
    } else {
      StartClosing(client, std::string("send failed: ") + strerror(errno), true);
      return;
    }
  }
}

void ReadFrom(Ledger& ledger, Client& client) {
  char buffer[kReadChunk];
  const ssize_t got = recv(client.fd, buffer, sizeof buffer, 0);
  if (got < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
    StartClosing(client, std::string("connection lost: ") + strerror(errno), true);
    return;
  }
  if (got == 0) {
    // The client has stopped sending; whatever is queued for it is still sent.
    StartClosing(client, "closed by the client", false);
    return;
  }
  std::vector<Line> lines;
  FeedBytes(client.framer, std::string_view(buffer, static_cast<size_t>(got)), lines);
  for (const Line& line : lines) {
    ExchangeResult result = HandleLine(ledger, client.id, line);
    client.out += result.reply;
    if (result.close) {
      // TERM ends the connection: what came after it is not read.
      client.framer = LineFramer{};
      StartClosing(client, "after TERM", false);
      break;
    }
  }
}

void AcceptAll(Ledger& ledger, int listen_fd, std::vector<Client>& clients, int64_t& next_id,
               size_t max_clients) {
  for (;;) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    const int fd =
        accept4(listen_fd, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) {
        LogEvent("cannot accept a connection: %s", strerror(errno));
      }
      return;
    }
    const std::string from = AddressText(peer);
    if (clients.size() >= max_clients) {
      LogEvent("refused a connection from %s: already %zu clients", from.c_str(), max_clients);
      close(fd);
      continue;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    Client client;
    client.fd = fd;
    client.id = next_id++;
    LogEvent("client %lld connected from %s", static_cast<ll>(client.id), from.c_str());
    Journal(ledger, Kind::kConnect, client.id, "from " + from);
    clients.push_back(std::move(client));
  }
}

}  // namespace

int Serve(Ledger& ledger, const ServeConfig& config, const volatile sig_atomic_t& stop) {
  std::vector<Client> clients;
  std::vector<pollfd> fds;
  int64_t next_id = config.first_client;
  int status = 0;
  while (!stop) {
    fds.clear();
    fds.push_back({config.listen_fd, POLLIN, 0});
    for (const Client& c : clients) {
      short events = 0;
      if (!c.closing && c.out.size() < kOutputHighWater) events |= POLLIN;
      if (!c.out.empty()) events |= POLLOUT;
      fds.push_back({c.fd, events, 0});
    }
    if (ppoll(fds.data(), fds.size(), nullptr, &config.wait_mask) < 0) {
      if (errno == EINTR) continue;
      LogEvent("poll failed: %s", strerror(errno));
      status = 1;
      break;
    }
    for (size_t i = 0; i < clients.size(); ++i) {
      Client& c = clients[i];
      const short revents = fds[i + 1].revents;
      if (revents == 0) continue;
      if (!c.closing && (revents & (POLLIN | POLLHUP | POLLERR))) ReadFrom(ledger, c);
      if (c.closing && (revents & (POLLHUP | POLLERR | POLLNVAL))) {
        StartClosing(c, "connection lost", true);
      }
      Flush(c);
      if (c.closing && c.out.empty()) CloseClient(ledger, c);
    }
    std::erase_if(clients, [](const Client& c) { return c.fd < 0; });
    if (fds[0].revents & POLLIN) {
      AcceptAll(ledger, config.listen_fd, clients, next_id, config.max_clients);
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
