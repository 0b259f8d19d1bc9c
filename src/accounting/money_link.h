// The game's side of the money server's line protocol.
#pragma once

// Ends the session with the money server: "TERM\r\n", no reply expected.
void SendTerminate();
