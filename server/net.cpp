#include "server/net.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace money {

bool ParseLoopbackAddress(const std::string& text, in_addr& address, std::string& error) {
  if (inet_pton(AF_INET, text.c_str(), &address) != 1) {
    error = "\"" + text + "\" is not an IPv4 address";
    return false;
  }
  if ((ntohl(address.s_addr) >> 24) != 127) {
    error = text + " is not a loopback address: the money is served on 127.x.x.x only";
    return false;
  }
  return true;
}

int OpenListener(const in_addr& address, int port, int& bound_port, std::string& error) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_addr = address;
  where.sin_port = htons(static_cast<uint16_t>(port));
  const std::string name = AddressText(where);

  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("cannot make a socket: ") + strerror(errno);
    return -1;
  }
  // Lets a restarted server take its port back while old connections linger in TIME_WAIT;
  // a port that another server listens on stays refused.
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 ||
      listen(fd, 64) != 0) {
    const int code = errno;
    error = "cannot listen on " + name + ": " + strerror(code);
    if (code == EADDRINUSE) error += " (is another moneyd running?)";
    close(fd);
    return -1;
  }
  socklen_t size = sizeof where;
  getsockname(fd, reinterpret_cast<sockaddr*>(&where), &size);
  bound_port = ntohs(where.sin_port);
  return fd;
}

std::string AddressText(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

}  // namespace money
