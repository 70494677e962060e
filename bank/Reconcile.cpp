#include "bank/Reconcile.h"

#include <algorithm>
#include <unordered_map>

namespace bank {

namespace {

// "MM/DD/YYYY" of yyyymmdd, as the messages show a date.
std::string Shown(std::uint32_t date) {
    const std::string t = DateText(date);
    return t.substr(4, 2) + "/" + t.substr(6, 2) + "/" + t.substr(0, 4);
}

}  // namespace

std::string DateText(std::uint32_t date) {
    std::string t = std::to_string(date);
    return std::string(t.size() < 8 ? 8 - t.size() : 0, '0') + t;
}

Cents Reconciliation::Cleared() const {
    Cents sum = startBalance;
    for (const ReconcileItem& item : items)
        if (item.ticked) sum += item.row.amount;
    return sum;
}

std::uint32_t LastReconciled(const Register& reg) {
    std::uint32_t last = 0;
    for (const RegisterRow& row : reg.rows) last = std::max(last, row.reconciledOn);
    return last;
}

Reconciliation StartReconciliation(std::int32_t bankNo, const Register& reg, const Marks& marks,
                                   std::uint32_t date, Cents balance) {
    Reconciliation rec;
    rec.bankNo = bankNo;
    rec.statementDate = date;
    rec.statementBalance = balance;
    rec.startBalance = reg.opening;
    for (const RegisterRow& row : reg.rows) {
        const Mark* m = marks.Find(row.key);
        if (m != nullptr && m->reconciled != 0) {
            rec.startBalance += row.amount;
            rec.lastReconciled = std::max(rec.lastReconciled, m->reconciled);
            continue;
        }
        if (row.date > date) continue;
        ReconcileItem item;
        item.row = row;
        item.ticked = row.cleared;
        if (m != nullptr) item.statement = m->statement;
        rec.items.push_back(item);
    }
    return rec;
}

std::string CheckStatement(const Register& reg, std::uint32_t date, std::string_view balance,
                           char decimal, char thousands) {
    if (date == 0) return std::string(kNoDate);
    if (!TypedCents(balance, decimal, thousands)) return std::string(kNoAmount);
    const std::uint32_t last = LastReconciled(reg);
    if (last != 0 && date < last) return std::string(kBeforeLast) + Shown(last) + ".";
    return {};
}

std::vector<Explanation> Explain(const Reconciliation& rec, std::size_t limit) {
    std::vector<Explanation> out;
    const Cents diff = rec.Difference();
    // A ticked record whose amount is not its statement line's explains the difference by
    // itself, whatever the sums.
    for (std::size_t i = 0; i < rec.items.size() && out.size() < limit; ++i) {
        const ReconcileItem& it = rec.items[i];
        const Cents stmt = it.statement.value_or(it.row.amount);
        if (it.ticked && it.statement && stmt != it.row.amount)
            out.push_back({Explanation::What::AmountDiffers, {i}});
    }
    if (diff == 0) return out;
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < rec.items.size(); ++i)
        if (!rec.items[i].ticked) open.push_back(i);
    auto amount = [&](std::size_t i) { return rec.items[i].row.amount; };
    for (std::size_t i : open) {
        if (out.size() >= limit) return out;
        if (amount(i) == diff) out.push_back({Explanation::What::Uncleared, {i}});
    }
    // Pairs: each item meets the earlier ones whose amount completes it.
    std::unordered_map<Cents, std::vector<std::size_t>> seen;
    seen.reserve(open.size());
    for (std::size_t i : open) {
        auto it = seen.find(diff - amount(i));
        if (it != seen.end())
            for (std::size_t j : it->second) {
                if (out.size() >= limit) return out;
                out.push_back({Explanation::What::Uncleared, {j, i}});
            }
        seen[amount(i)].push_back(i);
    }
    // Threes: by amount, each first item with a two-pointer run over those after it. The run
    // is quadratic, so it is left out beyond a few months of open records.
    if (open.size() > kThreesUpTo) return out;
    std::vector<std::size_t> byAmount = open;
    std::sort(byAmount.begin(), byAmount.end(),
              [&](std::size_t a, std::size_t b) { return amount(a) < amount(b); });
    const std::size_t n = byAmount.size();
    for (std::size_t a = 0; a + 2 < n; ++a) {
        std::size_t lo = a + 1, hi = n - 1;
        const Cents want = diff - amount(byAmount[a]);
        while (lo < hi) {
            const Cents sum = amount(byAmount[lo]) + amount(byAmount[hi]);
            if (sum < want) {
                ++lo;
            } else if (sum > want) {
                --hi;
            } else {
                std::vector<std::size_t> three = {byAmount[a], byAmount[lo], byAmount[hi]};
                std::sort(three.begin(), three.end());
                out.push_back({Explanation::What::Uncleared, three});
                if (out.size() >= limit) return out;
                ++lo;
                --hi;
            }
        }
    }
    return out;
}

std::string FinishReconciliation(const Reconciliation& rec, Marks& marks) {
    if (rec.Difference() != 0) return std::string(kNotBalanced);
    Marks next = marks;
    for (const ReconcileItem& item : rec.items) {
        Mark* m = next.Find(item.row.key);
        if (m == nullptr) continue;
        m->cleared = item.ticked;
        if (item.ticked) m->reconciled = rec.statementDate;
    }
    if (std::string why = ReplaceMarks(next); !why.empty()) return why;
    marks = std::move(next);
    return {};
}

std::string ReopenReconciliation(std::int32_t bankNo, std::uint32_t date, Marks& marks) {
    Marks next = marks;
    for (auto& [key, mark] : next.byKey)
        if (mark.bankNo == bankNo && mark.reconciled == date) mark.reconciled = 0;
    if (std::string why = ReplaceMarks(next); !why.empty()) return why;
    marks = std::move(next);
    return {};
}

}  // namespace bank

#include "platform/Platform.h"

namespace bank {

bool ReconciledChangeAllowed(const Before& before) {
    if (!before.mark || before.mark->reconciled == 0) return true;
    const std::uint32_t on = before.mark->reconciled;
    const std::string date = DateText(on);
    const std::string shown =
        date.size() == 8 ? date.substr(4, 2) + "/" + date.substr(6, 2) + "/" + date.substr(0, 4)
                         : date;
    if (!platform::ConfirmedDestruction(
            platform::MessageKind::Confirm,
            std::string(kReconciledChange) + shown + std::string(kReopens),
            platform::Buttons::YesNo))
        return false;
    Marks marks = LoadMarks();
    if (const std::string why = ReopenReconciliation(before.mark->bankNo, on, marks);
        !why.empty()) {
        platform::messages().show(platform::MessageKind::Warning, why, platform::Buttons::OK);
        return false;
    }
    return true;
}

}  // namespace bank
