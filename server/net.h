// The listening socket of moneyd.
#pragma once

#include <netinet/in.h>

#include <string>

namespace money {

// Accepts only addresses in 127.0.0.0/8: the money is never served beyond this machine.
bool ParseLoopbackAddress(const std::string& text, in_addr& address, std::string& error);

// A non-blocking listening TCP socket on the address and port (0: any free port), or -1 with
// a message. `bound_port` is the port actually taken.
int OpenListener(const in_addr& address, int port, int& bound_port, std::string& error);

// "127.0.0.1:50123".
std::string AddressText(const sockaddr_in& address);

}  // namespace money
