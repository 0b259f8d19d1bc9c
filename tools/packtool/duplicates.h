// The same fact asked twice. A player who meets a statement twice learns nothing new, and
// one who meets a fact and a near variant of it with the other truth value (the same
// subject and relation with a different year, club or score) has the second answered for
// him. Statements are compared across all packs on their normalised words, the names in
// them and their numbers; a pair that is truly two facts is accepted by name in a file of
// accepted pairs, each with the reason it is two facts.
#pragma once

#include <string>
#include <vector>

#include "giveaway.h"

namespace packtool {

// The file beside the sources that holds the accepted pairs.
inline constexpr char kAcceptedPairsFile[] = "accepted-pairs.txt";

enum class MatchKind {
  Exact,          // the same words in the same order
  NearDuplicate,  // the same fact in other words, or both false with a different year
  Paired,         // the same fact, or a near variant of it, on both sides of the answer
};

struct StatementMatch {
  MatchKind kind = MatchKind::Exact;
  int first = 0, second = 0;  // indexes into the statements, first < second
  double similarity = 0;      // 0..1, the share of the shorter one's weighted words shared
  bool accepted = false;      // listed in the accepted pairs
};

struct AcceptedPair {
  std::string where;                  // "accepted-pairs.txt:12"
  std::string reason;                 // its comment lines
  std::string file[2], statement[2];  // "Data05.txt" and the statement as shown
};

// Reads the accepted pairs: blocks apart by blank lines, each one or more "# reason" lines
// and then two "File.txt: statement" lines (a block of "#" lines alone is a note). Each
// malformed block is one problem.
std::vector<AcceptedPair> ParseAcceptedPairs(const std::string& text, const std::string& fileName,
                                             std::vector<std::string>* problems);

// Every exact duplicate, near duplicate and paired fact among the statements (whose
// `where` names their file and line), best matches first within each kind.
std::vector<StatementMatch> FindMatches(const std::vector<Statement>& statements);

struct DuplicateReport {
  std::vector<StatementMatch> matches;
  int exact = 0, near = 0, paired = 0, accepted = 0;  // counts exclude the accepted ones
  std::vector<std::string> problems;  // one per match not accepted, and per bad accepted pair
};
// Finds the matches, marks the accepted ones and lists the rest (and any accepted pair that
// names no statement or is no longer flagged) as problems.
DuplicateReport CheckDuplicates(const std::vector<Statement>& statements,
                                const std::vector<AcceptedPair>& accepted);

std::string FormatDuplicateReport(const DuplicateReport& report);

}  // namespace packtool
