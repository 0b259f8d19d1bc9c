#include "duplicates.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>

namespace packtool {

namespace {

// Words that carry no fact of their own.
const std::set<std::string>& StopWords() {
  static const std::set<std::string> words = {
      "a",    "an",   "the",   "of",  "in",    "at",   "to",   "for",   "and",  "or",
      "was",  "were", "is",    "are", "be",    "been", "by",   "with",  "on",   "as",
      "his",  "her",  "their", "its", "it",    "he",   "she",  "they",  "from", "that",
      "this", "than", "who",   "has", "had",   "have", "did",  "do",    "does", "but",
      "into", "one",  "both",  "all", "every", "each", "only", "while", "when", "there"};
  return words;
}

// Forms of the verbs statements turn on, reduced to one: "beat Fiorentina to win" and
// "won" state the same result, "moved into" and "opened" the same move.
const std::map<std::string, std::string>& Forms() {
  static const std::map<std::string, std::string> forms = {
      {"won", "win"},        {"wins", "win"},       {"winning", "win"},    {"beat", "win"},
      {"beats", "win"},      {"beating", "win"},    {"winner", "win"},     {"moved", "move"},
      {"moves", "move"},     {"moving", "move"},    {"opened", "move"},    {"joined", "move"},
      {"rejoined", "move"},  {"left", "move"},      {"scored", "score"},   {"scores", "score"},
      {"scoring", "score"},  {"founded", "found"},  {"formed", "found"},   {"began", "found"},
      {"managed", "manage"}, {"manager", "manage"}, {"coached", "manage"}, {"coach", "manage"},
      {"played", "play"},    {"playing", "play"},   {"plays", "play"},     {"career", "career"}};
  return forms;
}

struct Token {
  std::string word;  // lower case
  bool name = false;
  bool number = false;
};

std::vector<Token> Tokens(const std::string& text) {
  std::vector<Token> tokens;
  std::string word;
  bool capital = false;
  auto flush = [&] {
    while (!word.empty() && word.back() == '\'') word.pop_back();
    if (word.size() > 2 && word.compare(word.size() - 2, 2, "'s") == 0)
      word.resize(word.size() - 2);
    while (!word.empty() && word.front() == '\'') word.erase(0, 1);
    if (!word.empty()) {
      bool digits = std::all_of(word.begin(), word.end(),
                                [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
      tokens.push_back(Token{word, capital && !digits, digits});
    }
    word.clear();
  };
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '\'') {
      if (word.empty()) capital = std::isupper(u) != 0;
      word += static_cast<char>(std::tolower(u));
    } else {
      flush();
    }
  }
  flush();
  return tokens;
}

std::string Stem(const std::string& word) {
  auto form = Forms().find(word);
  if (form != Forms().end()) return form->second;
  if (word.size() > 3 && word.back() == 's' && word[word.size() - 2] != 's')
    return word.substr(0, word.size() - 1);
  return word;
}

// A statement as the comparison sees it: sorted ids of its fact-bearing words, of the
// names among them and of its numbers.
struct Profile {
  std::string normalised;  // every word, lower case, in order
  std::vector<int> words, names, numbers;
};

struct Vocabulary {
  std::unordered_map<std::string, int> ids;
  std::vector<int> documents;  // statements holding each id
  int Id(const std::string& key) {
    auto [it, added] = ids.emplace(key, static_cast<int>(ids.size()));
    if (added) documents.push_back(0);
    return it->second;
  }
};

Profile MakeProfile(const std::string& text, Vocabulary& vocabulary) {
  Profile p;
  std::set<int> words, names, numbers;
  for (const Token& t : Tokens(text)) {
    p.normalised += (p.normalised.empty() ? "" : " ") + t.word;
    if (StopWords().count(t.word)) continue;
    if (t.number) {
      numbers.insert(vocabulary.Id("#" + t.word));
      continue;
    }
    int id = vocabulary.Id(Stem(t.word));
    words.insert(id);
    if (t.name) names.insert(id);
  }
  p.words.assign(words.begin(), words.end());
  p.names.assign(names.begin(), names.end());
  p.numbers.assign(numbers.begin(), numbers.end());
  for (int id : p.words) ++vocabulary.documents[static_cast<size_t>(id)];
  for (int id : p.numbers) ++vocabulary.documents[static_cast<size_t>(id)];
  return p;
}

double Weight(const std::vector<int>& ids, const std::vector<double>& idf) {
  double sum = 0;
  for (int id : ids) sum += idf[static_cast<size_t>(id)];
  return sum;
}

double Shared(const std::vector<int>& a, const std::vector<int>& b,
              const std::vector<double>& idf) {
  double shared = 0;
  for (size_t i = 0, j = 0; i < a.size() && j < b.size();) {
    if (a[i] < b[j]) {
      ++i;
    } else if (b[j] < a[i]) {
      ++j;
    } else {
      shared += idf[static_cast<size_t>(a[i])];
      ++i;
      ++j;
    }
  }
  return shared;
}

bool Includes(const std::vector<int>& big, const std::vector<int>& small) {
  return std::includes(big.begin(), big.end(), small.begin(), small.end());
}

std::vector<int> Merged(const std::vector<int>& a, const std::vector<int>& b) {
  std::vector<int> all;
  std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(all));
  return all;
}

// How alike two statements' weighted words are.
struct Likeness {
  double jaccard = 0;      // shared weight over the weight of both together
  double containment = 0;  // the share of the lighter one held by the other
  double extra = 0;        // what the heavier one adds, over the lighter one's weight
  double extraNames = 0;   // the part of that made of names
};

// `namesA` and `namesB` are the names among `a` and `b`, given to measure extraNames.
Likeness Compare(const std::vector<int>& a, const std::vector<int>& b,
                 const std::vector<double>& idf, const std::vector<int>& namesA = {},
                 const std::vector<int>& namesB = {}) {
  Likeness l;
  double shared = Shared(a, b, idf), wa = Weight(a, idf), wb = Weight(b, idf);
  double lighter = std::min(wa, wb), heavier = std::max(wa, wb);
  if (lighter <= 0) return l;
  l.jaccard = shared / (wa + wb - shared);
  l.containment = shared / lighter;
  l.extra = (heavier - shared) / lighter;
  const std::vector<int>& heavy = wa >= wb ? namesA : namesB;
  const std::vector<int>& light = wa >= wb ? namesB : namesA;
  l.extraNames = (Weight(heavy, idf) - Shared(heavy, light, idf)) / lighter;
  return l;
}

// Thresholds tuned on the real sources. The same fact: most of both statements' weighted
// words and numbers shared, or nearly all of the lighter one's with at most a short clause
// added, or a longer one that names the other side or a place ("West Ham beat Fiorentina
// in Prague to win ..."), or most of it with next to nothing added ("... in south London").
constexpr double kSameFact = 0.75;
constexpr double kContained = 0.9;
constexpr double kAdded = 0.6;
constexpr double kNamesAdded = 0.9;
constexpr double kMostlyNames = 0.7;
constexpr double kMostlyContained = 0.8;
constexpr double kLittleAdded = 0.3;
// Without numbers there is less to go on, so more must be shared.
constexpr double kSameWords = 0.8;
// A variant: the same words with a different year or score.
constexpr double kVariant = 0.85;
constexpr size_t kVariantWords = 3;

std::string Trimmed(const std::string& s) {
  size_t end = s.find_last_not_of(' ');
  return end == std::string::npos ? "" : s.substr(0, end + 1);
}

std::string FileOf(const std::string& where) {
  return where.substr(0, where.rfind(':'));
}

const char* KindName(MatchKind kind) {
  switch (kind) {
    case MatchKind::Exact:
      return "exact duplicate";
    case MatchKind::NearDuplicate:
      return "near duplicate";
    case MatchKind::Paired:
      return "paired facts";
  }
  return "";
}

std::string Side(const Statement& s) {
  return s.answer ? " (true)" : " (false)";
}

}  // namespace

std::vector<AcceptedPair> ParseAcceptedPairs(const std::string& text, const std::string& fileName,
                                             std::vector<std::string>* problems) {
  std::vector<AcceptedPair> pairs;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  lines.push_back("");  // ends the last block
  AcceptedPair pair;
  int entries = 0, blockLine = 0;
  bool bad = false;
  auto problem = [&](int line, const std::string& what) {
    if (problems) problems->push_back(fileName + ":" + std::to_string(line) + ": " + what);
    bad = true;
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    int number = static_cast<int>(i) + 1;
    if (line.find_first_not_of(" \t") == std::string::npos) {
      if (blockLine && entries) {  // a block of comments alone is a note for readers
        if (!bad && entries != 2) problem(blockLine, "an accepted pair needs two statements");
        if (!bad && pair.reason.empty())
          problem(blockLine, "an accepted pair needs a \"#\" line saying why it is two facts");
        if (!bad) pairs.push_back(pair);
      }
      pair = AcceptedPair();
      entries = blockLine = 0;
      bad = false;
      continue;
    }
    if (!blockLine) {
      blockLine = number;
      pair.where = fileName + ":" + std::to_string(number);
    }
    if (line[0] == '#') {
      if (entries) problem(number, "the reason comes before the two statements");
      pair.reason += (pair.reason.empty() ? "" : " ") + Trimmed(line.substr(1));
      continue;
    }
    size_t colon = line.find(": ");
    bool source = line.compare(0, 4, "Data") == 0 || line.compare(0, 5, "Vexal") == 0;
    if (colon == std::string::npos || !source) {
      problem(number, "expected \"File.txt: statement\"");
      continue;
    }
    if (entries == 2) {
      problem(number, "more than two statements in one accepted pair");
      continue;
    }
    pair.file[entries] = line.substr(0, colon);
    pair.statement[entries] = Trimmed(line.substr(colon + 2));
    ++entries;
  }
  return pairs;
}

std::vector<StatementMatch> FindMatches(const std::vector<Statement>& statements) {
  Vocabulary vocabulary;
  std::vector<Profile> profiles;
  profiles.reserve(statements.size());
  for (const Statement& s : statements) profiles.push_back(MakeProfile(s.text, vocabulary));
  // Rare words weigh more: sharing "Wilkins" and "Morocco" says more than sharing "cup".
  std::vector<double> idf(vocabulary.documents.size());
  double n = static_cast<double>(statements.size()) + 1;
  for (size_t id = 0; id < idf.size(); ++id)
    idf[id] = std::log(n / (static_cast<double>(vocabulary.documents[id]) + 1)) + 0.1;

  std::vector<StatementMatch> matches;
  for (size_t i = 0; i < profiles.size(); ++i) {
    const Profile& a = profiles[i];
    for (size_t j = i + 1; j < profiles.size(); ++j) {
      const Profile& b = profiles[j];
      StatementMatch m;
      m.first = static_cast<int>(i);
      m.second = static_cast<int>(j);
      bool sameAnswer = statements[i].answer == statements[j].answer;
      if (a.normalised == b.normalised) {
        m.kind = MatchKind::Exact;
        m.similarity = 1;
        matches.push_back(m);
        continue;
      }
      if (a.names.empty() || b.names.empty()) continue;
      if (a.numbers.empty() != b.numbers.empty()) continue;  // one is the more precise claim
      // The same fact names the same things: all the names of the one with fewer.
      bool sameNames = a.names.size() <= b.names.size() ? Includes(b.names, a.names)
                                                        : Includes(a.names, b.names);
      if (a.numbers.empty()) {
        if (!sameNames) continue;
        m.similarity = Compare(a.words, b.words, idf).jaccard;
        if (m.similarity < kSameWords) continue;
      } else if (Includes(a.numbers, b.numbers) || Includes(b.numbers, a.numbers)) {
        if (!sameNames) continue;
        Likeness l =
            Compare(Merged(a.words, a.numbers), Merged(b.words, b.numbers), idf, a.names, b.names);
        bool namesAdded = l.extra <= kNamesAdded && l.extraNames >= kMostlyNames * l.extra;
        bool same = l.jaccard >= kSameFact ||
                    (l.containment >= kContained && (l.extra <= kAdded || namesAdded)) ||
                    (l.containment >= kMostlyContained && l.extra <= kLittleAdded);
        if (!same) continue;
        m.similarity = std::max(l.jaccard, l.containment);
      } else {
        // A different year or score: two true ones are two facts, and two false ones are
        // two claims, each wrong on its own; one of each is a fact and its variant.
        if (sameAnswer) continue;
        // One year for another; a list of years against another is two records.
        if (a.numbers.size() != b.numbers.size()) continue;
        if (std::min(a.words.size(), b.words.size()) < kVariantWords) continue;
        m.similarity = Compare(a.words, b.words, idf).jaccard;
        if (m.similarity < kVariant) continue;
      }
      m.kind = sameAnswer ? MatchKind::NearDuplicate : MatchKind::Paired;
      matches.push_back(m);
    }
  }
  std::stable_sort(matches.begin(), matches.end(),
                   [](const StatementMatch& x, const StatementMatch& y) {
                     if (x.kind != y.kind) return x.kind < y.kind;
                     return x.similarity > y.similarity;
                   });
  return matches;
}

DuplicateReport CheckDuplicates(const std::vector<Statement>& statements,
                                const std::vector<AcceptedPair>& accepted) {
  DuplicateReport report;
  report.matches = FindMatches(statements);
  auto find = [&](const std::string& file, const std::string& text) {
    for (size_t i = 0; i < statements.size(); ++i)
      if (FileOf(statements[i].where) == file && Trimmed(statements[i].text) == text)
        return static_cast<int>(i);
    return -1;
  };
  for (const AcceptedPair& pair : accepted) {
    int x = find(pair.file[0], pair.statement[0]);
    int y = find(pair.file[1], pair.statement[1]);
    bool named = true;
    for (int k = 0; k < 2; ++k)
      if ((k ? y : x) < 0) {
        report.problems.push_back(pair.where + ": " + pair.file[k] + " holds no statement \"" +
                                  pair.statement[k] + "\"");
        named = false;
      }
    if (!named) continue;
    bool flagged = false;
    for (StatementMatch& m : report.matches)
      if ((m.first == x && m.second == y) || (m.first == y && m.second == x)) {
        m.accepted = flagged = true;
        ++report.accepted;
      }
    if (!flagged)
      report.problems.push_back(pair.where +
                                ": the check does not flag this pair; take it out of the list");
  }
  for (const StatementMatch& m : report.matches) {
    if (m.accepted) continue;
    const Statement& x = statements[static_cast<size_t>(m.first)];
    const Statement& y = statements[static_cast<size_t>(m.second)];
    (m.kind == MatchKind::Exact    ? report.exact
     : m.kind == MatchKind::Paired ? report.paired
                                   : report.near)++;
    char share[16];
    std::snprintf(share, sizeof share, " (%.0f%%)", 100 * m.similarity);
    std::string what = x.where + Side(x) + " and " + y.where + Side(y) + ": " + KindName(m.kind) +
                       (m.kind == MatchKind::Exact ? "" : share);
    if (m.kind == MatchKind::Paired) what += ", meeting one answers the other";
    what += ": \"" + Trimmed(x.text) + "\"";
    if (m.kind != MatchKind::Exact) what += " / \"" + Trimmed(y.text) + "\"";
    report.problems.push_back(what);
  }
  return report;
}

std::string FormatDuplicateReport(const DuplicateReport& report) {
  char line[200];
  std::snprintf(line, sizeof line,
                "duplicates: %d exact, %d near duplicates, %d paired facts (%d accepted in %s)\n",
                report.exact, report.near, report.paired, report.accepted, kAcceptedPairsFile);
  return line;
}

}  // namespace packtool
