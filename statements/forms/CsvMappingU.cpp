#include "statements/forms/CsvMappingU.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace cbk {

namespace {

constexpr char kDelimiters[] = {',', ';', '\t'};

int IndexOf(char delimiter) {
    for (int i = 0; i < 3; ++i)
        if (kDelimiters[i] == delimiter) return i;
    return 0;
}

constexpr int kSampleLines = 16;

// The file's lines; a line break at the end starts none.
int LineCount(const std::string& bytes) {
    const auto breaks = std::count(bytes.begin(), bytes.end(), '\n');
    return static_cast<int>(breaks) + (bytes.empty() || bytes.back() != '\n' ? 1 : 0);
}

// The first lines of the file with their numbers, for the user to see where the table starts
// and what its columns hold.
QString SampleText(const std::string& bytes) {
    QString text;
    const int lines = LineCount(bytes);
    for (int n = 1; n <= lines && n <= kSampleLines; ++n)
        text += QStringLiteral("%1  ").arg(n, 3) +
                QString::fromUtf8(statements::LineText(bytes, n)) + QLatin1Char('\n');
    return text;
}

}  // namespace

TCsvMapping::TCsvMapping(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TCsvMapping"));
    setWindowTitle(QStringLiteral("Statement Columns"));
    auto combo = [this](const char* name) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(name));
        return box;
    };
    DelimiterBox = combo("DelimiterBox");
    DelimiterBox->addItems(
        {QStringLiteral("Comma ,"), QStringLiteral("Semicolon ;"), QStringLiteral("Tab")});
    DecimalComma = new QCheckBox(QStringLiteral("Decimal comma (1.234,56)"), this);
    DateOrderBox = combo("DateOrderBox");
    DateOrderBox->addItems({QStringLiteral("Month/Day/Year"), QStringLiteral("Day/Month/Year"),
                            QStringLiteral("Year/Month/Day")});
    FirstLine = new QSpinBox(this);
    FirstLine->setObjectName(QStringLiteral("FirstLine"));
    FirstLine->setMinimum(1);
    HeaderLine = new QCheckBox(QStringLiteral("Its first line names the columns"), this);
    DateColumn = combo("DateColumn");
    AmountColumn = combo("AmountColumn");
    DebitColumn = combo("DebitColumn");
    CreditColumn = combo("CreditColumn");
    PayeeColumn = combo("PayeeColumn");
    MemoColumn = combo("MemoColumn");
    CheckColumn = combo("CheckColumn");
    Sample = new QPlainTextEdit(this);
    Sample->setReadOnly(true);
    Sample->setLineWrapMode(QPlainTextEdit::NoWrap);
    Sample->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));

    auto* grid = new QGridLayout;
    int row = 0;
    auto add = [&](const char* caption, QWidget* left, const char* caption2, QWidget* right) {
        grid->addWidget(new QLabel(QString::fromLatin1(caption), this), row, 0);
        grid->addWidget(left, row, 1);
        if (right) {
            grid->addWidget(new QLabel(QString::fromLatin1(caption2), this), row, 2);
            grid->addWidget(right, row, 3);
        }
        ++row;
    };
    add("Delimiter:", DelimiterBox, "Date order:", DateOrderBox);
    add("Table starts at line:", FirstLine, nullptr, nullptr);
    grid->addWidget(HeaderLine, row, 1);
    grid->addWidget(DecimalComma, row++, 3);
    add("Date:", DateColumn, "Payee:", PayeeColumn);
    add("Amount:", AmountColumn, "Memo:", MemoColumn);
    add("Debit (money out):", DebitColumn, "Check No:", CheckColumn);
    add("Credit (money in):", CreditColumn, nullptr, nullptr);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Which column holds what?"), this));
    layout->addLayout(grid);
    layout->addWidget(Sample, 1);
    layout->addLayout(buttons);
    resize(640, 420);

    connect(DelimiterBox, &QComboBox::activated, this, [this] { FillColumns(); });
    connect(HeaderLine, &QCheckBox::toggled, this, [this] { FillColumns(); });
    connect(FirstLine, &QSpinBox::valueChanged, this, [this] { FillColumns(); });
    connect(BtnOK, &QPushButton::clicked, this, &TCsvMapping::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TCsvMapping::Load(const std::string& bytes, const statements::CsvMapping& m) {
    bytes_ = bytes;
    Sample->setPlainText(SampleText(bytes));
    DelimiterBox->setCurrentIndex(IndexOf(m.delimiter));
    DecimalComma->setChecked(m.decimalComma);
    DateOrderBox->setCurrentIndex(static_cast<int>(m.dateOrder));
    const QSignalBlocker block(HeaderLine);
    const QSignalBlocker blockLine(FirstLine);
    FirstLine->setMaximum(std::max(1, LineCount(bytes)));
    FirstLine->setValue(m.firstLine);
    HeaderLine->setChecked(m.header);
    FillColumns();
    for (auto [box, column] : {std::pair{DateColumn, m.date},
                               {AmountColumn, m.amount},
                               {DebitColumn, m.debit},
                               {CreditColumn, m.credit},
                               {PayeeColumn, m.payee},
                               {MemoColumn, m.memo},
                               {CheckColumn, m.check}})
        box->setCurrentIndex(column + 1 < box->count() ? column + 1 : 0);
}

void TCsvMapping::FillColumns() {
    statements::CsvMapping m;
    m.delimiter = kDelimiters[DelimiterBox->currentIndex()];
    m.header = HeaderLine->isChecked();
    m.firstLine = FirstLine->value();
    const std::vector<std::string> names = statements::ColumnNames(bytes_, m);
    for (QComboBox* box : {DateColumn, AmountColumn, DebitColumn, CreditColumn, PayeeColumn,
                           MemoColumn, CheckColumn}) {
        const int kept = box->currentIndex();
        box->clear();
        box->addItem(QStringLiteral("(none)"));
        for (const std::string& name : names) box->addItem(QString::fromStdString(name));
        box->setCurrentIndex(kept >= 0 && kept < box->count() ? kept : 0);
    }
}

statements::CsvMapping TCsvMapping::Mapping() const {
    statements::CsvMapping m;
    m.delimiter = kDelimiters[DelimiterBox->currentIndex()];
    m.decimalComma = DecimalComma->isChecked();
    m.dateOrder = static_cast<platform::DateOrder>(DateOrderBox->currentIndex());
    m.header = HeaderLine->isChecked();
    m.firstLine = FirstLine->value();
    m.date = DateColumn->currentIndex() - 1;
    m.amount = AmountColumn->currentIndex() - 1;
    m.debit = DebitColumn->currentIndex() - 1;
    m.credit = CreditColumn->currentIndex() - 1;
    m.payee = PayeeColumn->currentIndex() - 1;
    m.memo = MemoColumn->currentIndex() - 1;
    m.check = CheckColumn->currentIndex() - 1;
    return m;
}

void TCsvMapping::BtnOKClick() {
    if (!Mapping().usable()) {
        platform::messages().show(platform::MessageKind::Information,
                                  "Choose the column of the date, and that of the amount or of "
                                  "debit and credit.",
                                  platform::Buttons::OK);
        return;
    }
    accept();
}

}  // namespace cbk
