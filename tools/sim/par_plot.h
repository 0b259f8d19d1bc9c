// The payout sheet's pictures, drawn with Cairo: the return to player against skill with
// its intervals, the main balance over the games with the level thresholds, and the prize
// distribution.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace sim {

struct PlotRow {
  double skill = 0;
  std::string collect;
  double rtp = 0, rtpLow = 0, rtpHigh = 0;  // shares of the stakes
  std::vector<int> balance;                 // the main balance after each game of one replication
  std::map<int, double> prizeShares;        // share of games won at each amount, pence
};

// Writes rtp-by-skill.png, balance.png and prizes.png into dir; false with a reason.
// `thresholds` are the balance levels' lower bounds, highest first.
bool WriteParPictures(const std::vector<PlotRow>& rows, const std::vector<int>& thresholds,
                      const std::string& dir, std::string& error);

}  // namespace sim
