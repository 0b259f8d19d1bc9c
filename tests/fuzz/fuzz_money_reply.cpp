// The game's side of the money protocol fed arbitrary server bytes: every exchange must
// end with a value or a failure, never a read or write out of bounds.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "accounting/money_link.h"
#include "platform/headless/headless_platform.h"
#include "shell/entry.h"
#include "shell/system.h"

std::vector<std::string> FuzzSeeds() {
  return {"CTEL,250\r\n",
          "BTEL,-5\r\nCTEL,70000\r\n",
          "FAIL\r\n",
          "CTEL\r\n",
          "CTEL," + std::string(300, '7') + "\r\n",
          "CTEL,12000\r\nBTEL,1\r\nCTEL,2\r\nBTEL,3\r\nCTEL,4\r\n",
          std::string(5000, 'C')};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static platform::HeadlessPlatform system;
  SetSystem(&system);
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) return 0;
  // The whole reply stream is queued, then the server side hangs up.
  size_t queued = size < 100000 ? size : 100000;
  for (size_t sent = 0; sent < queued;) {
    ssize_t n = ::send(pair[1], data + sent, queued - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  ::shutdown(pair[1], SHUT_WR);
  ServerSocket = pair[0];
  QueryCredits();
  GetBank();
  UseCredits(50);
  PayToPlayer(250);
  GetCredits();
  if (std::strlen(ReplyValue) > 255) __builtin_trap();
  ::close(pair[0]);
  ::close(pair[1]);
  ServerSocket = -1;
  return 0;
}
