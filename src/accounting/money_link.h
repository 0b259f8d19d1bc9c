// The game's side of the money server's line protocol: one request, one reply, on the
// single connection the entry point opened. Amounts are whole pence.
#pragma once

#include <cstdint>
#include <string>

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
// Whole pounds to the bank, the pence left over to the credits; every part's intent is in
// the game journal before the first request goes.
void PayToPlayer(int16_t amount);
// The cashpot paid the same way, its intents durable together with the record image that
// resets it (written to the record file before the first request goes).
void PayCashpot(int32_t amount, const std::string& recordImage);

void ParseReply();

// Credits and bank as the server's last replies told them (-1 until one has): a game's
// record notes them at its start and end.
struct MoneySeen {
  int32_t credits = -1, bank = -1;
};
const MoneySeen& LastMoneySeen();
