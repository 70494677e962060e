// The one file that knows libofx: OFX 1.x (SGML, leaf tags left unclosed), OFX 2.x (XML) and
// QFX are read by it, and its transactions become statement lines. libofx reads the file by
// its path itself; the bytes the import read are used to check that the file is whole and to
// find the line each transaction starts on.

#include <libofx/libofx.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>

#include "statements/Readers.h"
#include "statements/TextParts.h"

namespace statements {

namespace {

std::string Lower(const std::string& text) {
    std::string low = text;
    std::transform(low.begin(), low.end(), low.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return low;
}

int LineAt(const std::string& bytes, std::size_t offset) {
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + offset, '\n'));
}

// Where each <STMTTRN> starts; libofx reports the transactions in file order.
std::vector<std::size_t> TransactionStarts(const std::string& lower) {
    std::vector<std::size_t> starts;
    for (std::size_t at = lower.find("<stmttrn>"); at != std::string::npos;
         at = lower.find("<stmttrn>", at + 1))
        starts.push_back(at);
    return starts;
}

// The day of the date element `tag` ("<dtposted>") in the transaction at `start`, as the bank
// wrote it: the first eight digits, YYYYMMDD, are the day in the statement's own zone. libofx
// turns the whole stamp into a moment, and that moment can fall on another day where the user
// is (20251031200000[-5:EST] is already 1 November in UTC).
std::optional<platform::DateTime> WrittenDay(const std::string& lower, std::size_t start,
                                             const std::string& tag) {
    const std::size_t end = lower.find("</stmttrn>", start);
    std::size_t at = lower.find(tag, start);
    if (at == std::string::npos || at > end) return std::nullopt;
    at = lower.find_first_not_of(" \t\r\n", at + tag.size());
    if (at == std::string::npos || lower.size() - at < 8) return std::nullopt;
    int parts[3] = {};
    for (std::size_t i = 0; i < 8; ++i) {
        const char c = lower[at + i];
        if (c < '0' || c > '9') return std::nullopt;
        int& part = parts[i < 4 ? 0 : i < 6 ? 1 : 2];
        part = part * 10 + (c - '0');
    }
    return platform::DateTime::fromYmd(parts[0], parts[1], parts[2]);
}

struct Collected {
    std::vector<OfxTransactionData> transactions;
    std::optional<double> ledger;
    std::optional<std::time_t> ledgerAsOf;
};

int OnStatement(const OfxStatementData data, void* user) {
    auto* c = static_cast<Collected*>(user);
    if (data.ledger_balance_valid) c->ledger = data.ledger_balance;
    if (data.ledger_balance_date_valid) c->ledgerAsOf = data.ledger_balance_date;
    return 0;
}

// The day the bank wrote in <DTASOF> of <LEDGERBAL>, as WrittenDay reads a transaction's.
std::optional<platform::DateTime> LedgerDay(const std::string& lower) {
    const std::size_t at = lower.find("<ledgerbal>");
    if (at == std::string::npos) return std::nullopt;
    std::size_t d = lower.find("<dtasof>", at);
    if (d == std::string::npos) return std::nullopt;
    d = lower.find_first_not_of(" \t\r\n", d + 8);
    if (d == std::string::npos || lower.size() - d < 8) return std::nullopt;
    int ymd[3] = {};
    for (std::size_t i = 0; i < 8; ++i) {
        const char c = lower[d + i];
        if (c < '0' || c > '9') return std::nullopt;
        int& part = ymd[i < 4 ? 0 : i < 6 ? 1 : 2];
        part = part * 10 + (c - '0');
    }
    return platform::DateTime::fromYmd(ymd[0], ymd[1], ymd[2]);
}

int OnTransaction(const OfxTransactionData data, void* user) {
    static_cast<Collected*>(user)->transactions.push_back(data);
    return 0;
}

// The day of libofx's moment where the user is: only for a stamp the bank wrote in a form
// other than YYYYMMDD..., which libofx may still read.
std::optional<platform::DateTime> DayOf(std::time_t moment) {
    std::tm local{};
    if (localtime_r(&moment, &local) == nullptr) return std::nullopt;
    return platform::DateTime::fromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

class OfxReader : public StatementReader {
public:
    Statement read(const std::string& path, const std::string& bytes) const override {
        Statement st;
        const std::string lower = Lower(bytes);
        const int lastLine = LineAt(bytes, bytes.size());
        if (lower.find("<ofx>") == std::string::npos) {
            st.error = AtLine(path, 1, "this is not an OFX statement (no <OFX> element).");
            return st;
        }
        const std::vector<std::size_t> starts = TransactionStarts(lower);
        std::size_t closed = 0;
        for (std::size_t at = lower.find("</stmttrn>"); at != std::string::npos;
             at = lower.find("</stmttrn>", at + 1))
            ++closed;
        if (lower.find("</ofx>") == std::string::npos || closed != starts.size()) {
            st.error = AtLine(path, lastLine,
                              "the statement ends before it is closed: the file is cut short.");
            return st;
        }

        // libofx talks to the console unless told not to.
        ofx_PARSER_msg = ofx_DEBUG_msg = ofx_DEBUG1_msg = ofx_DEBUG2_msg = ofx_DEBUG3_msg =
            ofx_DEBUG4_msg = ofx_DEBUG5_msg = ofx_STATUS_msg = ofx_INFO_msg = ofx_WARNING_msg =
                ofx_ERROR_msg = ofx_show_position = 0;
        Collected collected;
        LibofxContextPtr context = libofx_get_new_context();
        ofx_set_transaction_cb(context, OnTransaction, &collected);
        ofx_set_statement_cb(context, OnStatement, &collected);
        const int rc = libofx_proc_file(context, path.c_str(), AUTODETECT);
        libofx_free_context(context);
        if (collected.transactions.size() != starts.size() ||
            (rc != 0 && collected.transactions.empty() && !starts.empty())) {
            st.error = AtLine(path, starts.empty() ? 1 : LineAt(bytes, starts.front()),
                              "the OFX statement cannot be read.");
            return st;
        }

        for (std::size_t i = 0; i < collected.transactions.size(); ++i) {
            const OfxTransactionData& t = collected.transactions[i];
            StatementLine line;
            line.sourceLine = LineAt(bytes, starts[i]);
            std::optional<std::int64_t> cents;
            if (t.amount_valid) cents = std::llround(t.amount * 100.0);
            if (t.date_posted_valid) line.date = WrittenDay(lower, starts[i], "<dtposted>");
            if (t.date_posted_valid && !line.date) line.date = DayOf(t.date_posted);
            if (!line.date && t.date_initiated_valid)
                line.date = WrittenDay(lower, starts[i], "<dtuser>");
            if (!line.date && t.date_initiated_valid) line.date = DayOf(t.date_initiated);
            if (!line.date)
                line.problem = AtLine(path, line.sourceLine, "the transaction has no date.");
            else if (!cents)
                line.problem = AtLine(path, line.sourceLine, "the transaction has no amount.");
            else if (*cents > kMaxCents || *cents < -kMaxCents)
                line.problem =
                    AtLine(path, line.sourceLine,
                           "the amount " + CentsText(*cents) + " is wider than the amount field (" +
                               CentsText(kMaxCents) + " at most).");
            if (cents) line.cents = *cents;
            SetTexts(line, t.name_valid ? t.name : "", t.memo_valid ? t.memo : "");
            if (t.check_number_valid) line.checkNo = ParseCheckNo(t.check_number);
            if (t.fi_id_valid)
                line.transactionId =
                    std::string(t.account_id_valid ? t.account_id : "") + "/" + t.fi_id;
            st.lines.push_back(std::move(line));
        }
        if (collected.ledger) {
            st.ledgerCents = std::llround(*collected.ledger * 100.0);
            st.ledgerDate = LedgerDay(lower);
            if (!st.ledgerDate && collected.ledgerAsOf)
                st.ledgerDate = DayOf(*collected.ledgerAsOf);
        }
        return st;
    }
};

}  // namespace

std::unique_ptr<StatementReader> MakeOfxReader() {
    return std::make_unique<OfxReader>();
}

}  // namespace statements
