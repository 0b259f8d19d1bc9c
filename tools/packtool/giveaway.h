// How far the wording of the statements gives their truth away. A naive Bayes classifier
// on word counts, word-pair counts and a length band is trained on the statements and
// tested on the ones it did not see (k-fold cross-validation); a fair quiz leaves it near
// chance. Also the words and word pairs that sit mostly on one side, and each category's
// mean statement length by truth value.
#pragma once

#include <string>
#include <vector>

namespace packtool {

struct Statement {
  int category = 0;   // 1..25
  int answer = 0;     // 1 true, 0 false
  std::string text;   // what the game shows, without the remark
  std::string where;  // "Data05.txt:13" for a statement from a source file
};

// The classifier's features of a statement: "w:word", "p:word word" for each pair of
// neighbouring words (lower case, letters, digits and apostrophes), and one "len:N" for
// its length in bands of ten characters.
std::vector<std::string> StatementFeatures(const std::string& text);

// Balanced accuracy (the mean of the share of true statements called true and of false
// ones called false; 0.5 is chance whatever the sides' sizes) of a naive Bayes classifier
// with equal priors, each statement predicted by a model trained on the other folds.
// Statement i of each truth value goes to fold (its index among that side) % folds.
double CrossValidatedAccuracy(const std::vector<Statement>& statements, int folds);

struct LopsidedTerm {
  std::string term;  // a word, or two words with a space
  int trueUses = 0;  // statements that hold it
  int falseUses = 0;
};

// A word that claims all or nothing ("every", "always", "both"). Such a word tends to
// mark a false statement, so a fair quiz uses each about as often on either side.
struct AbsoluteWord {
  std::string word;
  int trueUses = 0;  // statements that hold it
  int falseUses = 0;
  bool leans = false;  // breaks GiveawayLimits::absoluteShare and absoluteGap
};

// The absolute words measured, in the order reported.
const std::vector<std::string>& AbsoluteWords();

struct CategoryFigures {
  int category = 0;
  int trueCount = 0, falseCount = 0;
  bool measured = false;  // both sides have at least GiveawayLimits::minPerSide statements
  double accuracy = 0.5;
  double meanLengthTrue = 0, meanLengthFalse = 0;
};

struct GiveawayReport {
  bool measured = false;
  double overall = 0.5;
  std::vector<CategoryFigures> categories;  // those with any statement, in order
  std::vector<LopsidedTerm> lopsided;       // most used first
  std::vector<AbsoluteWord> absolute;       // each of AbsoluteWords() used at all
};

struct GiveawayLimits {
  int folds = 10;
  int minPerSide = 20;       // fewer statements than this on a side: not measured
  int termMinUses = 10;      // a term is lopsided when used this often...
  double termShare = 0.75;   // ...with at least this share of its uses on one side
  double overall = 0.5;      // highest overall accuracy allowed
  double perCategory = 0.5;  // highest accuracy allowed in any one category
  int lopsidedTerms = 0;     // most lopsided terms allowed
  double lengthGap = 0;      // most characters between a category's two mean lengths
  // An absolute word leans when more than this share of its uses sit on one side...
  double absoluteShare = 1;
  int absoluteGap = 0;  // ...and that side holds at least this many more than the other
};

// The limits the real sources are held to (tools/packtool/README.md says why).
GiveawayLimits SourceLimits();

GiveawayReport MeasureGiveaways(const std::vector<Statement>& statements,
                                const GiveawayLimits& limits);
// One line for each limit the report breaks.
std::vector<std::string> GiveawayProblems(const GiveawayReport& report,
                                          const GiveawayLimits& limits);
// The figures for people: overall, each category, and the first `termsShown` lopsided
// terms (all of them when negative).
std::string FormatGiveawayReport(const GiveawayReport& report, const GiveawayLimits& limits,
                                 int termsShown);

}  // namespace packtool
