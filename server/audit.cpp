#include "server/audit.h"

#include <openssl/evp.h>

#include <algorithm>
#include <climits>

#include "server/options.h"

namespace money {

namespace {

std::string Show(const Totals& t) {
  return "credits " + std::to_string(t.credits) + "p, bank " + std::to_string(t.bank) + "p";
}

std::string Show(const Delta& d) {
  return "credits " + std::to_string(d.credits) + "p, bank " + std::to_string(d.bank) + "p";
}

void Problem(Audit& audit, std::string text) {
  ++audit.problem_count;
  if (audit.problems.size() < kAuditProblemsKept) audit.problems.push_back(std::move(text));
}

void Tampered(Audit& audit, int64_t seq, std::string text) {
  if (audit.first_tampered == 0 || seq < audit.first_tampered) audit.first_tampered = seq;
  Problem(audit, std::move(text));
}

// A field with its length in front, so that no two different rows read the same.
void AddField(std::string& text, const std::string& field) {
  text += std::to_string(field.size());
  text += ':';
  text += field;
  text += ';';
}

void AddField(std::string& text, int64_t value) {
  AddField(text, std::to_string(value));
}

bool WellFormed(const std::string& hash) {
  if (hash.size() != kHashHexDigits) return false;
  for (const char c : hash) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// Follows the chain to `row`. An entry that does not match its hash is held until the next
// one tells whether it was edited (the next one chains to its stored hash) or inserted (the
// next one chains past it, to the entry before it).
void FollowChain(Audit& audit, const JournalRow& row, const std::string& where) {
  const bool matches = row.hash == ChainHash(audit.previous_hash, row);
  // The entry before was put in between two that were chained to each other; its own hash
  // may even be right.
  const bool skips_previous =
      !matches && audit.previous_seq > 0 && row.hash == ChainHash(audit.before_previous_hash, row);
  if (skips_previous) {
    Tampered(
        audit, audit.previous_seq,
        audit.previous_where + "was inserted: the entry after it is chained to the one before it");
  } else if (audit.previous_suspect) {
    Tampered(audit, audit.previous_seq,
             audit.previous_where + (WellFormed(audit.previous_hash)
                                         ? "was edited: its contents do not match its hash"
                                         : "was added by hand: it carries no hash"));
  }
  bool suspect = !matches && !skips_previous;
  if (row.seq > audit.previous_seq + 1) {
    // A gap in the numbers, which are never given twice nor skipped: what was between is
    // gone. This entry is chained to it, or (when the last entries were removed and more
    // were written after) to the one before the gap.
    const int64_t first = audit.previous_seq + 1;
    const int64_t last = row.seq - 1;
    Tampered(audit, first,
             (first == last
                  ? "entry " + std::to_string(first) + " was"
                  : "entries " + std::to_string(first) + " to " + std::to_string(last) + " were") +
                 " removed: " + where +
                 (matches ? "follows a gap" : "is chained to an entry that is no longer there"));
    suspect = false;
  }
  audit.before_previous_hash = audit.previous_hash;
  audit.previous_hash = row.hash;
  audit.previous_seq = row.seq;
  audit.previous_suspect = suspect;
  audit.previous_where = where;
  if (audit.head.seq == row.seq) {
    audit.head_found = true;
    audit.head_hash_found = row.hash;
  }
}

}  // namespace

void NoteProblem(Audit& audit, std::string text, int64_t tampered) {
  if (tampered > 0) {
    Tampered(audit, tampered, std::move(text));
  } else {
    Problem(audit, std::move(text));
  }
}

std::string Sha256Hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(text.data(), text.size(), digest, &size, EVP_sha256(), nullptr) != 1) {
    return "";  // matches no stored hash, so the entry is reported
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

std::string ChainHash(const std::string& previous, const JournalRow& row) {
  std::string text;
  AddField(text, previous);
  AddField(text, row.time);
  AddField(text, row.kind);
  AddField(text, row.client);
  AddField(text, row.amount);
  AddField(text, row.change.credits);
  AddField(text, row.change.bank);
  AddField(text, row.after.credits);
  AddField(text, row.after.bank);
  AddField(text, row.detail);
  return Sha256Hex(text);
}

bool ParseChainHead(const std::string& text, ChainHead& head) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon > 18 ||
      text.size() != colon + 1 + kHashHexDigits || text[0] == '0') {
    return false;
  }
  int64_t seq = 0;
  for (size_t i = 0; i < colon; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    seq = seq * 10 + (text[i] - '0');
  }
  std::string hash = text.substr(colon + 1);
  for (char& c : hash) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  if (!WellFormed(hash)) return false;
  head = ChainHead{seq, hash};
  return true;
}

void AuditRow(Audit& audit, const JournalRow& row) {
  ++audit.entries;
  ++audit.replayed;
  const std::string name =
      "entry " + std::to_string(row.seq) + " (" + row.kind + " " + std::to_string(row.amount) + ")";
  FollowChain(audit, row, name + " ");
  const std::string where = name + ": ";
  const std::optional<Kind> kind = KindFromName(row.kind);
  if (!kind) {
    Problem(audit, where + "unknown kind of entry");
  } else {
    const std::optional<Decision> expected = Decide(*kind, audit.sum, row.amount);
    if (!expected) {
      Problem(audit, where + "could not have been applied to " + Show(audit.sum));
    } else if (expected->amount != row.amount || expected->delta != row.change) {
      Problem(audit, where + "records a change of " + Show(row.change) + " for " +
                         std::to_string(row.amount) + "p, where the rules give " +
                         Show(expected->delta) + " for " + std::to_string(expected->amount) + "p");
    }
  }
  for (size_t i = 0; i < kSummedKinds.size(); ++i) {
    if (row.kind != KindName(kSummedKinds[i])) continue;
    ++audit.kind_sums[i].entries;
    audit.kind_sums[i].pence +=
        kSummedKinds[i] == Kind::kCashout ? -(row.change.credits + row.change.bank) : row.amount;
  }
  audit.sum = Apply(audit.sum, row.change);
  const Delta drift{row.after.credits - audit.sum.credits, row.after.bank - audit.sum.bank};
  if (drift != audit.after_drift) {
    Problem(audit, where + "says the totals became " + Show(row.after) +
                       ", the entries up to it add up to " + Show(audit.sum));
    audit.after_drift = drift;
  }
}

void FinishAudit(Audit& audit, const Totals& recorded) {
  if (audit.previous_suspect) {
    Tampered(audit, audit.previous_seq,
             audit.previous_where + (WellFormed(audit.previous_hash)
                                         ? "does not match its hash: edited, or added by hand"
                                         : "was added by hand: it carries no hash"));
    audit.previous_suspect = false;
  }
  if (audit.head.seq > 0) {
    if (!audit.head_found) {
      Tampered(audit, audit.head.seq,
               "the noted head, entry " + std::to_string(audit.head.seq) +
                   ", is not in the journal (its last entry is " +
                   std::to_string(audit.previous_seq) + "): entries were removed");
    } else if (audit.head_hash_found != audit.head.hash) {
      Tampered(audit, audit.head.seq,
               "entry " + std::to_string(audit.head.seq) + " has the hash " +
                   audit.head_hash_found + ", not the noted " + audit.head.hash +
                   ": the journal up to it was rewritten");
    } else {
      audit.head_matches = audit.first_tampered == 0 || audit.first_tampered > audit.head.seq;
    }
  }
  if (audit.check_recorded_head) {
    const ChainHead& recorded_head = audit.recorded_head;
    const int64_t last = audit.previous_seq;
    const std::string recorded_text =
        "the totals record entry " + std::to_string(recorded_head.seq) +
        " as the last, the journal ends at entry " + std::to_string(last);
    if (recorded_head.seq > last) {
      Tampered(audit, last + 1,
               (recorded_head.seq == last + 1 ? "entry " + std::to_string(last + 1) + " was"
                                              : "entries " + std::to_string(last + 1) + " to " +
                                                    std::to_string(recorded_head.seq) + " were") +
                   " removed from the end: " + recorded_text);
    } else if (recorded_head.seq < last) {
      Tampered(audit, recorded_head.seq + 1,
               "entries after entry " + std::to_string(recorded_head.seq) +
                   " were added by hand: " + recorded_text);
    } else if (last > 0 && recorded_head.hash != audit.previous_hash) {
      Tampered(audit, last,
               "entry " + std::to_string(last) +
                   ", the last, does not carry the hash the totals record for it: it was "
                   "rewritten");
    }
  }
  if (recorded != audit.sum) {
    Problem(audit,
            "the totals are " + Show(recorded) + ", the journal adds up to " + Show(audit.sum));
  }
}

std::string CheckpointHash(const Checkpoint& c) {
  std::string text;
  AddField(text, c.previous);
  AddField(text, c.time);
  AddField(text, c.seq);
  AddField(text, c.seq_hash);
  AddField(text, c.entries);
  AddField(text, c.sum.credits);
  AddField(text, c.sum.bank);
  AddField(text, KindSumsText(c.kind_sums));
  return Sha256Hex(text);
}

std::string KindSumsText(const KindSums& sums) {
  std::string text;
  for (size_t i = 0; i < kSummedKinds.size(); ++i) {
    if (i > 0) text += ',';
    text += std::string(KindName(kSummedKinds[i])) + " " + std::to_string(sums[i].entries) + " " +
            std::to_string(sums[i].pence);
  }
  return text;
}

bool ParseKindSums(const std::string& text, KindSums& sums) {
  KindSums parsed;
  size_t at = 0;
  for (size_t i = 0; i < kSummedKinds.size(); ++i) {
    const size_t end = std::min(text.find(',', at), text.size());
    const std::string item = text.substr(at, end - at);
    const std::string name = std::string(KindName(kSummedKinds[i])) + " ";
    const size_t space = item.find(' ', name.size());
    if (item.rfind(name, 0) != 0 || space == std::string::npos ||
        !ParseWhole(item.substr(name.size(), space - name.size()), 0, INT64_MAX,
                    parsed[i].entries) ||
        !ParseWhole(item.substr(space + 1), INT64_MIN, INT64_MAX, parsed[i].pence)) {
      return false;
    }
    if ((i + 1 < kSummedKinds.size()) != (end < text.size())) return false;
    at = end + 1;
  }
  sums = parsed;
  return true;
}

Checkpoint CheckpointOf(const Audit& audit, const std::string& previous, const std::string& time) {
  Checkpoint c;
  c.time = time;
  c.seq = audit.previous_seq;
  c.seq_hash = audit.previous_hash;
  c.entries = audit.entries;
  c.sum = audit.sum;
  c.kind_sums = audit.kind_sums;
  c.previous = previous;
  c.hash = CheckpointHash(c);
  return c;
}

void ResumeAudit(Audit& audit, const Checkpoint& c, const std::string& before_hash) {
  audit.entries = c.entries;
  audit.sum = c.sum;
  audit.kind_sums = c.kind_sums;
  audit.previous_hash = c.seq_hash;
  audit.before_previous_hash = before_hash;
  audit.previous_seq = c.seq;
  audit.checkpoint_seq = c.seq;
}

std::string CheckpointMismatch(const Audit& audit, const Checkpoint& c) {
  const std::string where =
      "checkpoint " + std::to_string(c.id) + " (at entry " + std::to_string(c.seq) + ")";
  if (c.seq_hash != audit.previous_hash) return where + " records another hash for the entry";
  if (c.entries != audit.entries) {
    return where + " counts " + std::to_string(c.entries) + " entries, the journal " +
           std::to_string(audit.entries);
  }
  if (c.sum != audit.sum) {
    return where + " records sums of " + Show(c.sum) + ", the journal adds up to " +
           Show(audit.sum);
  }
  if (c.kind_sums != audit.kind_sums) {
    return where + " records sums by kind of " + KindSumsText(c.kind_sums) + ", the journal " +
           KindSumsText(audit.kind_sums);
  }
  return "";
}

}  // namespace money
