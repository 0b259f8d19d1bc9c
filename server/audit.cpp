#include "server/audit.h"

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

}  // namespace

void AuditRow(Audit& audit, const JournalRow& row) {
  ++audit.entries;
  const std::string where = "entry " + std::to_string(row.seq) + " (" + row.kind + " " +
                            std::to_string(row.amount) + "): ";
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
  audit.sum = Apply(audit.sum, row.change);
  const Delta drift{row.after.credits - audit.sum.credits, row.after.bank - audit.sum.bank};
  if (drift != audit.after_drift) {
    Problem(audit, where + "says the totals became " + Show(row.after) +
                       ", the entries up to it add up to " + Show(audit.sum));
    audit.after_drift = drift;
  }
}

void FinishAudit(Audit& audit, const Totals& recorded) {
  if (recorded != audit.sum) {
    Problem(audit,
            "the totals are " + Show(recorded) + ", the journal adds up to " + Show(audit.sum));
  }
}

}  // namespace money
