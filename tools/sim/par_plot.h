// The payout sheet's pictures, drawn with Cairo: the return to player of each row with its
// interval (a point a measured row, nothing drawn between them), the main balance over the
// games with the level thresholds, the return of each prize and of the cashpot, and the
// learning curve of a memorising player.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace sim {

struct PlotRow {
  std::string label;
  bool uniform = false;  // a uniform player, drawn at its skill
  double skill = 0;
  double rtp = 0, rtpLow = 0, rtpHigh = 0;  // shares of the stakes
  std::vector<int> balance;                 // the main balance after each game of one replication
  std::map<int, double> prizeReturns;       // each prize's return, a share of the stakes
  double cashpotReturn = 0;
  bool memorises = false;        // a memorising player, drawn in learning.png
  std::vector<double> learning;  // its return of each 100 games
};

// Writes rtp-by-skill.png, balance.png, prizes.png and, when a row has a learning curve,
// learning.png into dir; false with a reason.
// `thresholds` are the balance levels' lower bounds, highest first.
bool WriteParPictures(const std::vector<PlotRow>& rows, const std::vector<int>& thresholds,
                      const std::string& dir, std::string& error);

}  // namespace sim
