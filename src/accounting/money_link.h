// The game's side of the money server's line protocol: one request, one reply, on the
// single connection the entry point opened. Amounts are whole pence.
#pragma once

#include <cstdint>

// The value text of the last accepted reply (after its first comma), cut to 255.
extern char ReplyValue[256];

uint16_t QueryCredits();  // the total (0..65534), or 65535 on any failure
uint16_t QueryBank();     // the total (0..65534), or 65535 on any failure
bool UseCredits(int32_t amount);
bool AddBank(int32_t amount);
bool AddCredits(int32_t amount);
void SendTerminate();  // "TERM\r\n", no reply expected

uint16_t GetCredits();  // 0..9999 for the panels: 10000 and more reads 9999, a failure 0
uint16_t GetBank();
// Whole pounds to the bank, the pence left over to the credits.
void PayToPlayer(int16_t amount);

void ParseReply();
