// Who may talk to the money server: on loopback TCP the kernel's socket diagnostics
// (NETLINK_SOCK_DIAG, inet_diag) name the owner of the socket at the other end of a
// connection, and only permitted local users are served (root, the users named, the members
// of the groups named). With nobody named, every local connection is served.
#pragma once

#include <netinet/in.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace money {

struct PeerPolicy {
  std::vector<uid_t> users;
  std::vector<gid_t> groups;
  bool Checks() const { return !users.empty() || !groups.empty(); }
};

// Adds the user or group of that name; false with a message when there is none.
bool AllowUser(PeerPolicy& policy, const std::string& name, std::string& error);
bool AllowGroup(PeerPolicy& policy, const std::string& name, std::string& error);

// The owner of the TCP socket whose own address is `peer` and whose other end is `local`
// (the two ends of an accepted connection as this side sees them); false with a message.
bool PeerOwner(const sockaddr_in& local, const sockaddr_in& peer, uid_t& uid, std::string& error);

// Whether that user may be served: root, a user named, or a member (by its primary group or
// any other) of a group named.
bool Permitted(const PeerPolicy& policy, uid_t uid);

// "nobody (uid 65534)".
std::string UserText(uid_t uid);

}  // namespace money
