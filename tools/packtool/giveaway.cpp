#include "giveaway.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>

namespace packtool {

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '\'') {
      word += static_cast<char>(std::tolower(u));
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

struct Model {
  std::unordered_map<std::string, int> counts[2];
  long long totals[2] = {0, 0};
  std::set<std::string> vocabulary;

  void Add(const std::vector<std::string>& features, int answer) {
    for (const std::string& f : features) {
      ++counts[answer][f];
      ++totals[answer];
      vocabulary.insert(f);
    }
  }
  // 1 true, 0 false; a tie is called false.
  int Predict(const std::vector<std::string>& features) const {
    double score[2] = {0, 0};
    double v = static_cast<double>(vocabulary.size());
    for (const std::string& f : features) {
      if (!vocabulary.count(f)) continue;
      for (int a = 0; a < 2; ++a) {
        auto it = counts[a].find(f);
        double n = it == counts[a].end() ? 0 : it->second;
        score[a] += std::log((n + 1) / (static_cast<double>(totals[a]) + v));
      }
    }
    return score[1] > score[0] ? 1 : 0;
  }
};

std::string Percent(double share) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f%%", 100 * share);
  return text;
}

std::string Fixed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string PackPair(int category) {
  if (category == 25) return "VexalIntroTrue/VexalIntroFalse";
  char text[32];
  std::snprintf(text, sizeof text, "Data%02d/Data%02d", 2 * category - 1, 2 * category);
  return text;
}

}  // namespace

const std::vector<std::string>& AbsoluteWords() {
  static const std::vector<std::string> words = {"every", "always", "never", "only", "all",
                                                 "both",  "none",   "whole", "ever", "each"};
  return words;
}

std::vector<std::string> StatementFeatures(const std::string& text) {
  std::vector<std::string> words = Words(text);
  std::vector<std::string> features;
  for (size_t i = 0; i < words.size(); ++i) {
    features.push_back("w:" + words[i]);
    if (i + 1 < words.size()) features.push_back("p:" + words[i] + " " + words[i + 1]);
  }
  size_t length = text.find_last_not_of(' ') + 1;  // npos + 1 is 0
  features.push_back("len:" + std::to_string(length / 10));
  return features;
}

double CrossValidatedAccuracy(const std::vector<Statement>& statements, int folds) {
  if (folds < 2) folds = 2;
  std::vector<int> fold(statements.size());
  std::vector<std::vector<std::string>> features(statements.size());
  int seen[2] = {0, 0};
  for (size_t i = 0; i < statements.size(); ++i) {
    int a = statements[i].answer ? 1 : 0;
    fold[i] = seen[a]++ % folds;
    features[i] = StatementFeatures(statements[i].text);
  }
  if (seen[0] == 0 || seen[1] == 0) return 0.5;
  int right[2] = {0, 0};
  for (int f = 0; f < folds; ++f) {
    Model model;
    for (size_t i = 0; i < statements.size(); ++i)
      if (fold[i] != f) model.Add(features[i], statements[i].answer ? 1 : 0);
    for (size_t i = 0; i < statements.size(); ++i) {
      if (fold[i] != f) continue;
      int a = statements[i].answer ? 1 : 0;
      if (model.Predict(features[i]) == a) ++right[a];
    }
  }
  return (static_cast<double>(right[1]) / seen[1] + static_cast<double>(right[0]) / seen[0]) / 2;
}

GiveawayReport MeasureGiveaways(const std::vector<Statement>& statements,
                                const GiveawayLimits& limits) {
  GiveawayReport report;
  std::map<int, std::vector<Statement>> byCategory;
  int sides[2] = {0, 0};
  for (const Statement& s : statements) {
    byCategory[s.category].push_back(s);
    ++sides[s.answer ? 1 : 0];
  }
  report.measured = sides[0] >= limits.minPerSide && sides[1] >= limits.minPerSide;
  if (report.measured) report.overall = CrossValidatedAccuracy(statements, limits.folds);

  for (const auto& [category, list] : byCategory) {
    CategoryFigures c;
    c.category = category;
    double length[2] = {0, 0};
    for (const Statement& s : list) {
      int a = s.answer ? 1 : 0;
      (a ? c.trueCount : c.falseCount)++;
      length[a] += static_cast<double>(s.text.find_last_not_of(' ') + 1);
    }
    if (c.trueCount) c.meanLengthTrue = length[1] / c.trueCount;
    if (c.falseCount) c.meanLengthFalse = length[0] / c.falseCount;
    c.measured = c.trueCount >= limits.minPerSide && c.falseCount >= limits.minPerSide;
    if (c.measured) c.accuracy = CrossValidatedAccuracy(list, limits.folds);
    report.categories.push_back(c);
  }

  // Uses are statements holding the term, so a word said twice in one counts once.
  std::map<std::string, LopsidedTerm> terms;
  for (const Statement& s : statements) {
    std::set<std::string> held;
    for (const std::string& f : StatementFeatures(s.text))
      if (f.rfind("len:", 0) != 0) held.insert(f.substr(2));
    for (const std::string& t : held) (s.answer ? terms[t].trueUses : terms[t].falseUses)++;
  }
  for (auto& [term, uses] : terms) {
    int total = uses.trueUses + uses.falseUses;
    if (total < limits.termMinUses) continue;
    if (std::max(uses.trueUses, uses.falseUses) < limits.termShare * total) continue;
    uses.term = term;
    report.lopsided.push_back(uses);
  }
  for (const std::string& word : AbsoluteWords()) {
    auto it = terms.find(word);
    if (it == terms.end()) continue;
    AbsoluteWord a{word, it->second.trueUses, it->second.falseUses, false};
    int more = std::max(a.trueUses, a.falseUses), fewer = std::min(a.trueUses, a.falseUses);
    a.leans = more > limits.absoluteShare * (more + fewer) && more - fewer >= limits.absoluteGap;
    report.absolute.push_back(a);
  }
  std::stable_sort(report.lopsided.begin(), report.lopsided.end(),
                   [](const LopsidedTerm& a, const LopsidedTerm& b) {
                     return a.trueUses + a.falseUses > b.trueUses + b.falseUses;
                   });
  return report;
}

std::vector<std::string> GiveawayProblems(const GiveawayReport& report,
                                          const GiveawayLimits& limits) {
  std::vector<std::string> problems;
  if (report.measured && report.overall > limits.overall)
    problems.push_back("give-away: the wording tells true from false " + Percent(report.overall) +
                       " of the time over all statements; the limit is " + Percent(limits.overall));
  for (const CategoryFigures& c : report.categories) {
    if (!c.measured) continue;
    std::string where =
        PackPair(c.category) + ": give-away: category " + std::to_string(c.category) + ": ";
    if (c.accuracy > limits.perCategory)
      problems.push_back(where + "the wording tells true from false " + Percent(c.accuracy) +
                         " of the time; the limit is " + Percent(limits.perCategory));
    if (std::fabs(c.meanLengthTrue - c.meanLengthFalse) > limits.lengthGap)
      problems.push_back(where + "true statements average " + Fixed(c.meanLengthTrue) +
                         " characters, false ones " + Fixed(c.meanLengthFalse) +
                         "; the limit is a gap of " + Fixed(limits.lengthGap));
  }
  if (static_cast<int>(report.lopsided.size()) > limits.lopsidedTerms) {
    std::string first;
    for (size_t i = 0; i < report.lopsided.size() && i < 5; ++i) {
      const LopsidedTerm& t = report.lopsided[i];
      first += (i ? ", \"" : " \"") + t.term + "\" " + std::to_string(t.trueUses) + "/" +
               std::to_string(t.falseUses);
    }
    problems.push_back(
        "give-away: " + std::to_string(report.lopsided.size()) + " words and word pairs are used " +
        std::to_string(limits.termMinUses) + "+ times with " + Percent(limits.termShare) +
        " of their uses on one side; the limit is " + std::to_string(limits.lopsidedTerms) +
        " (most used, true/false:" + first + ")");
  }
  for (const AbsoluteWord& a : report.absolute)
    if (a.leans)
      problems.push_back("give-away: the absolute word \"" + a.word + "\" is in " +
                         std::to_string(a.trueUses) + " true and " + std::to_string(a.falseUses) +
                         " false statements; the limit is " + Percent(limits.absoluteShare) +
                         " of its uses on one side or a gap under " +
                         std::to_string(limits.absoluteGap));
  return problems;
}

std::string FormatGiveawayReport(const GiveawayReport& report, const GiveawayLimits& limits,
                                 int termsShown) {
  std::string out = "give-aways: " + std::to_string(limits.folds) +
                    "-fold cross-validated naive Bayes on words, word pairs and length; "
                    "balanced accuracy, 50.0% is chance\n";
  out += "  overall " + (report.measured ? Percent(report.overall) : std::string("not measured")) +
         " (limit " + Percent(limits.overall) + ")\n";
  out += "  category  true false  accuracy  mean length true / false (limits " +
         Percent(limits.perCategory) + ", gap " + Fixed(limits.lengthGap) + ")\n";
  for (const CategoryFigures& c : report.categories) {
    char line[160];
    std::snprintf(line, sizeof line, "  %8d  %4d %5d  %8s  %6.1f / %.1f\n", c.category, c.trueCount,
                  c.falseCount, c.measured ? Percent(c.accuracy).c_str() : "-", c.meanLengthTrue,
                  c.meanLengthFalse);
    out += line;
  }
  out += "  " + std::to_string(report.lopsided.size()) + " words and word pairs used " +
         std::to_string(limits.termMinUses) + "+ times with " + Percent(limits.termShare) +
         " of their uses on one side (limit " + std::to_string(limits.lopsidedTerms) + ")" +
         (report.lopsided.empty() ? "" : ", true / false:") + "\n";
  for (size_t i = 0; i < report.lopsided.size(); ++i) {
    if (termsShown >= 0 && static_cast<int>(i) >= termsShown) {
      out += "    ... and " + std::to_string(report.lopsided.size() - i) +
             " more (packtool check --giveaways lists them all)\n";
      break;
    }
    const LopsidedTerm& t = report.lopsided[i];
    out += "    \"" + t.term + "\" " + std::to_string(t.trueUses) + " / " +
           std::to_string(t.falseUses) + "\n";
  }
  out += "  absolute words, true / false (leaning marked *; limit " +
         Percent(limits.absoluteShare) + " on one side with a gap of " +
         std::to_string(limits.absoluteGap) + "):";
  for (const AbsoluteWord& a : report.absolute)
    out += " " + a.word + " " + std::to_string(a.trueUses) + "/" + std::to_string(a.falseUses) +
           (a.leans ? "*" : "");
  out += "\n";
  return out;
}

GiveawayLimits SourceLimits() {
  GiveawayLimits limits;
  limits.overall = 0.56;
  limits.perCategory = 0.70;
  limits.lopsidedTerms = 40;
  limits.lengthGap = 4;
  limits.absoluteShare = 2.0 / 3;
  limits.absoluteGap = 2;
  return limits;
}

}  // namespace packtool
