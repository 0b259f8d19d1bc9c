// The game's side of its journal "data\Zemblar.journal": before every request that moves
// money the intent is made durable (game number, kind, amount), and after the reply its
// result; a game's end is written in one transaction with the record image that books it,
// and the cashpot's reset with the intent to pay it. At start-up a record image whose file
// write was cut off is written again, and every game that leaves money to settle is
// logged for the operator (moneyctl reconcile settles it).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "accounting/journal_store.h"

inline constexpr const char* kJournalPath = "data\\Zemblar.journal";

// Opens (or makes) the journal, notes this run and the local port of its link to the money
// server, and writes again a record image left pending. False, logged, when it cannot:
// then no stake may be taken.
bool OpenGameJournal(uint16_t localPort);
void CloseGameJournal();
bool GameJournalOpen();
// Logs every open game (and takes in a game-in-play marker left by an older version).
// Returns how many there are.
int ReportOpenGames();

// A new game's number, before its stake is asked for (the game is written with the
// stake's intent). False (logged) when the journal cannot give one: the stake must not be
// asked for.
bool JournalGameStart();
int64_t CurrentGameNumber();  // 0 outside a game

// The intents of the requests about to be sent, durable together with the record image
// (when given). The step numbers in order; empty when they could not be written (logged).
// Outside a game, or with no journal open (unit tests of the link), nothing is written and
// each step number is 0.
std::vector<int64_t> JournalIntents(const std::vector<journal::Intent>& intents,
                                    const std::string* recordImage);
void JournalResult(int64_t step, journal::StepResult result, const std::string& reply);
// The game's end and the record that books it: the journal first, then the record file.
// The record image may be null (a game whose stake was not taken).
void JournalGameEnd(const char* outcome, int32_t win, const std::string* recordImage);
// A record image about to be written on its own (durable first, so that a start-up never
// writes an older image over a newer file).
void JournalPendingRecord(const std::string& recordImage);
// The record file written, and the journal told so.
void RecordWritten();

// The steps of the game in play (see game_steps.h): kept in memory and written with the next
// intent or with the game's end, so that a game cut off is found with its steps up to its
// last money step. Numbered 1, 2, ... from JournalStepsBegin.
void JournalStepsBegin();
void JournalStep(const std::string& kind, int64_t atMs, const std::string& data);
// Told of every step as it is kept (a replay checks the game against its record).
void SetStepObserver(std::function<void(const journal::StepRow&)> observer);
