#include "server/peer.h"

#include <grp.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/tcp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace money {

bool AllowUser(PeerPolicy& policy, const std::string& name, std::string& error) {
  const passwd* user = getpwnam(name.c_str());
  if (user == nullptr) {
    error = "no user \"" + name + "\"";
    return false;
  }
  policy.users.push_back(user->pw_uid);
  return true;
}

bool AllowGroup(PeerPolicy& policy, const std::string& name, std::string& error) {
  const group* g = getgrnam(name.c_str());
  if (g == nullptr) {
    error = "no group \"" + name + "\"";
    return false;
  }
  policy.groups.push_back(g->gr_gid);
  return true;
}

bool PeerOwner(const sockaddr_in& local, const sockaddr_in& peer, uid_t& uid, std::string& error) {
  const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
  if (fd < 0) {
    error = std::string("no socket diagnostics: ") + strerror(errno);
    return false;
  }
  struct {
    nlmsghdr header;
    inet_diag_req_v2 request;
  } message{};
  message.header.nlmsg_len = sizeof message;
  message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
  message.header.nlmsg_flags = NLM_F_REQUEST;
  message.request.sdiag_family = AF_INET;
  message.request.sdiag_protocol = IPPROTO_TCP;
  message.request.idiag_states = ~0u;
  // The client's socket: its own address is the peer's, its other end is ours.
  message.request.id.idiag_sport = peer.sin_port;
  message.request.id.idiag_dport = local.sin_port;
  message.request.id.idiag_src[0] = peer.sin_addr.s_addr;
  message.request.id.idiag_dst[0] = local.sin_addr.s_addr;
  message.request.id.idiag_cookie[0] = INET_DIAG_NOCOOKIE;
  message.request.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  if (sendto(fd, &message, sizeof message, 0, reinterpret_cast<const sockaddr*>(&kernel),
             sizeof kernel) < 0) {
    error = std::string("cannot ask the socket diagnostics: ") + strerror(errno);
    close(fd);
    return false;
  }
  alignas(nlmsghdr) char reply[8192];
  const ssize_t got = recv(fd, reply, sizeof reply, 0);
  close(fd);
  if (got < 0) {
    error = std::string("no answer from the socket diagnostics: ") + strerror(errno);
    return false;
  }
  const auto* header = reinterpret_cast<const nlmsghdr*>(reply);
  if (!NLMSG_OK(header, static_cast<unsigned>(got))) {
    error = "a short answer from the socket diagnostics";
    return false;
  }
  if (header->nlmsg_type == NLMSG_ERROR) {
    const auto* failure = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
    error = std::string("the other end's socket is not known: ") + strerror(-failure->error);
    return false;
  }
  if (header->nlmsg_type != SOCK_DIAG_BY_FAMILY ||
      header->nlmsg_len < NLMSG_LENGTH(sizeof(inet_diag_msg))) {
    error = "an unexpected answer from the socket diagnostics";
    return false;
  }
  uid = static_cast<const inet_diag_msg*>(NLMSG_DATA(header))->idiag_uid;
  return true;
}

bool Permitted(const PeerPolicy& policy, uid_t uid) {
  if (uid == 0) return true;
  if (std::find(policy.users.begin(), policy.users.end(), uid) != policy.users.end()) return true;
  if (policy.groups.empty()) return false;
  const passwd* user = getpwuid(uid);
  if (user == nullptr) return false;
  std::vector<gid_t> groups(64);
  int count = static_cast<int>(groups.size());
  if (getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0) {
    groups.resize(static_cast<size_t>(count));
    if (getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0) return false;
  }
  groups.resize(static_cast<size_t>(count));
  for (const gid_t g : policy.groups)
    if (std::find(groups.begin(), groups.end(), g) != groups.end()) return true;
  return false;
}

std::string UserText(uid_t uid) {
  const passwd* user = getpwuid(uid);
  const std::string number = "uid " + std::to_string(uid);
  return user == nullptr ? number : std::string(user->pw_name) + " (" + number + ")";
}

}  // namespace money
