#include "statements/Readers.h"
#include "statements/TextParts.h"

namespace statements {

namespace {

// The sections whose records are transactions of an account; the others (investments,
// categories, classes, memorised transactions, the account list) are passed over.
bool TransactionSection(std::string type) {
    for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return type == "bank" || type == "ccard" || type == "cash" || type == "oth a" ||
           type == "oth l";
}

struct QifEntry {
    int line = 0;
    std::string date, total, fullTotal, payee, memo, number;
    bool any = false;
};

class QifReader : public StatementReader {
public:
    QifReader(platform::DateOrder preferred, bool chosen)
        : preferred_(preferred), chosen_(chosen) {}

    Statement read(const std::string& path, const std::string& bytes) const override {
        Statement st;
        std::vector<QifEntry> entries;
        QifEntry entry;
        bool sawType = false;
        bool inTransactions = false;
        int lineNo = 0;
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            std::size_t end = bytes.find('\n', pos);
            if (end == std::string::npos) end = bytes.size();
            std::string text = bytes.substr(pos, end - pos);
            pos = end + 1;
            ++lineNo;
            if (!text.empty() && text.back() == '\r') text.pop_back();
            if (lineNo == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
            if (Trimmed(text).empty()) continue;
            if (text[0] == '!') {
                if (entry.any) {
                    st.error = AtLine(path, lineNo, "a new section starts inside a transaction.");
                    return st;
                }
                if (text.compare(0, 6, "!Type:") == 0 || text.compare(0, 6, "!type:") == 0) {
                    sawType = true;
                    inTransactions = TransactionSection(Trimmed(text.substr(6)));
                } else if (text.compare(0, 8, "!Account") == 0) {
                    // The account list some programs write before the transactions.
                    sawType = true;
                    inTransactions = false;
                }
                continue;
            }
            if (!sawType) {
                st.error = AtLine(path, lineNo, "this is not a QIF statement (no !Type line).");
                return st;
            }
            if (text[0] == '^') {
                if (inTransactions && entry.any) entries.push_back(entry);
                entry = QifEntry{};
                continue;
            }
            if (!inTransactions) continue;
            if (!entry.any) entry.line = lineNo;
            entry.any = true;
            const std::string value = text.substr(1);
            switch (text[0]) {
                case 'D':
                    entry.date = value;
                    break;
                case 'T':
                    entry.total = value;
                    break;
                case 'U':
                    entry.fullTotal = value;
                    break;
                case 'P':
                    entry.payee = value;
                    break;
                case 'M':
                    entry.memo = value;
                    break;
                case 'N':
                    entry.number = value;
                    break;
                default:
                    break;  // category, address, cleared mark, splits
            }
        }
        if (!sawType) {
            st.error =
                AtLine(path, std::max(lineNo, 1), "this is not a QIF statement (no !Type line).");
            return st;
        }
        if (entry.any) {
            st.error = AtLine(path, lineNo,
                              "the file ends inside a transaction (no closing ^): it is cut "
                              "short.");
            return st;
        }
        std::vector<std::string> dates;
        for (const QifEntry& e : entries) {
            dates.push_back(Trimmed(e.date));
            st.dateOrderMatters = st.dateOrderMatters || DateOrderAmbiguous(Trimmed(e.date));
        }
        const platform::DateOrder order = chosen_ ? preferred_ : GuessDateOrder(dates, preferred_);
        st.dateOrder = order;
        for (const QifEntry& e : entries) {
            StatementLine line;
            line.sourceLine = e.line;
            // T is the amount; U, where a program writes it, the same amount in full.
            const std::string& amount = e.total.empty() ? e.fullTotal : e.total;
            SetDateAndAmount(line, path, e.date, order, amount, ParseAmount(amount, 0));
            SetTexts(line, e.payee, e.memo);
            line.checkNo = ParseCheckNo(e.number);
            st.lines.push_back(std::move(line));
        }
        return st;
    }

private:
    platform::DateOrder preferred_;
    bool chosen_;
};

}  // namespace

std::unique_ptr<StatementReader> MakeQifReader(platform::DateOrder preferred, bool chosen) {
    return std::make_unique<QifReader>(preferred, chosen);
}

}  // namespace statements
