#include "maintenance/forms/PmtImportU.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/Books.h"
#include "data/Database.h"
#include "data/Records.h"
#include "maintenance/PaymentImport.h"
#include "rules/EntryRules.h"
#include "rules/FiscalYear.h"
#include "widgets/FieldParts.h"
#include "widgets/MaskEdit.h"
#include "widgets/PathField.h"

namespace cbk {

namespace {

constexpr int kHelpContext = 520;

void Inform(const std::string& text) {
    platform::messages().show(platform::MessageKind::Information, text, platform::Buttons::OK);
}

// "Caption|PATTERN" as Qt writes a filter: "Caption (PATTERN)".
QString QtFilter(std::string_view filter) {
    const auto bar = filter.find('|');
    return QString::fromStdString(std::string(filter.substr(0, bar)) + " (" +
                                  std::string(filter.substr(bar + 1)) + ")");
}

// An empty list disables the Import button after its message.
void FillImportChoice(ChoiceBox* box, const std::vector<std::string>& entries,
                      std::string_view emptyMessage, QPushButton* import) {
    if (FillChoiceBox(box, entries, 0)) return;
    Inform(std::string(emptyMessage));
    import->setEnabled(false);
}

}  // namespace

// ---- the open dialog ----------------------------------------------------------------------

TOpenDialog::TOpenDialog(QWidget* parent, const char* name) : QFileDialog(parent), name_(name) {
    setObjectName(QString::fromLatin1(name));
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setOption(QFileDialog::DontUseNativeDialog);
    setNameFilter(QtFilter(maintenance::kPaymentFilter));
}

int TOpenDialog::execModal() {
    // A name without a folder is the books' file.
    const QString preset = QString::fromStdString(
        FileName.empty() || FileName.front() == '/' ? FileName : cbk::BooksPath(FileName));
    if (!preset.isEmpty()) {
        setDirectory(QFileInfo(preset).absolutePath());
        selectFile(QFileInfo(preset).fileName());
    }
    const int result = exec();
    const QStringList chosen = selectedFiles();
    if (result == QDialog::Accepted && !chosen.isEmpty()) FileName = chosen.front().toStdString();
    return result;
}

// ---- the form -----------------------------------------------------------------------------

TPmtImport::TPmtImport() {
    setObjectName(QStringLiteral("TPmtImport"));
    setWindowTitle(QStringLiteral("Import MARLO Payment (Income) Data"));

    BtnBrowse = new QPushButton(QStringLiteral("LUMA / MARLO Directory"), this);
    BtnBrowse->setObjectName(QStringLiteral("BtnBrowse"));
    // A path is shown whole: this is no 30-character record field.
    Edit1 = new PathField(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label1 = MakeLabel(this, "Import Income Beginning:");
    MaskEdit1 = MakeMaskField(this, "MaskEdit1", DateMask(), kWidestDate);
    Label2 = MakeLabel(this, "Through:");
    MaskEdit2 = MakeMaskField(this, "MaskEdit2", DateMask(), kWidestDate);
    Label3 = MakeLabel(this, "Import to Account:");
    ComboBox1 = MakeChoiceField(this, "ComboBox1");
    Label4 = MakeLabel(this, "Import to Folder:");
    ComboBox2 = MakeChoiceField(this, "ComboBox2");
    BtnImport = new QPushButton(QStringLiteral("Import"), this);
    BtnImport->setObjectName(QStringLiteral("BtnImport"));
    BtnImport->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BitBtn1 = MakeHelpButton(this);
    OpenDialog1 = new TOpenDialog(this, "OpenDialog1");

    auto* file = new QHBoxLayout;
    file->addWidget(BtnBrowse);
    file->addWidget(Edit1, 1);
    auto* fields = new QGridLayout;
    int row = 0;
    for (auto [label, field] : {std::pair<QLabel*, QWidget*>{Label1, MaskEdit1},
                                {Label2, MaskEdit2},
                                {Label3, ComboBox1},
                                {Label4, ComboBox2}}) {
        fields->addWidget(label, row, 0);
        fields->addWidget(field, row++, 1, Qt::AlignLeft);
    }
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnImport);
    buttons->addWidget(BtnCancel);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(file);
    layout->addSpacing(8);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);
    setFixedSize(427, 273);
    ChainTabOrder(
        {BtnBrowse, MaskEdit1, MaskEdit2, ComboBox1, ComboBox2, BtnImport, BtnCancel, BitBtn1});

    CallOnShow(this, [this] { FormShow(); });
    connect(MaskEdit1, &MaskEdit::exited, this, &TPmtImport::MaskEdit1Exit);
    connect(MaskEdit2, &MaskEdit::exited, this, &TPmtImport::MaskEdit2Exit);
    connect(BtnBrowse, &QPushButton::clicked, this, &TPmtImport::BtnBrowseClick);
    connect(BtnImport, &QPushButton::clicked, this, &TPmtImport::BtnImportClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TPmtImport::BtnCancelClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TPmtImport::BitBtn1Click);
}

int TPmtImport::execModal() {
    int result = 0;
    do {
        ShowAgain = false;
        result = exec();
    } while (ShowAgain);
    return result;
}

void TPmtImport::FormShow() {
    BtnImport->setEnabled(true);
    FillImportChoice(ComboBox1,
                     maintenance::ImportChoices(IncomeAccounts, IncAccNoField, IncAcDescField),
                     maintenance::kNoIncomeAccounts, BtnImport);
    FillImportChoice(ComboBox2, maintenance::ImportChoices(Folders, FolNoField, FolNameField),
                     maintenance::kNoFolders, BtnImport);
    PaymentPath = maintenance::FindPaymentFile(
        maintenance::PaymentFilePlaces(QDir::homePath().toStdString()));
    Edit1->setPath(QString::fromStdString(PaymentPath));

    const platform::DateTime today = platform::clock().today();
    MaskEdit1->setText(QString::fromStdString(
        rules::DateToText(rules::FiscalYearStart(today, Settings.FyMonth, Settings.FyDay))));
    MaskEdit2->setText(QString::fromStdString(rules::DateToText(today)));
    MaskEdit1->setFocus();
}

void TPmtImport::MaskEdit1Exit() {
    CheckDateField(MaskEdit1);
}

void TPmtImport::MaskEdit2Exit() {
    CheckDateField(MaskEdit2);
}

void TPmtImport::BtnBrowseClick() {
    OpenDialog1->FileName = PaymentPath;
    platform::modal().showModal(*OpenDialog1);
    // Only pmt.dbf itself is taken, from the directory where the dialog ended.
    const std::string found = maintenance::PaymentFileBeside(OpenDialog1->FileName);
    if (!found.empty()) {
        PaymentPath = found;
        Edit1->setPath(QString::fromStdString(PaymentPath));
    } else {
        Inform(OpenDialog1->FileName + "\r\n" + std::string(maintenance::kNotAPaymentFile));
    }
}

void TPmtImport::BtnImportClick() {
    if (!BtnImport->isEnabled()) return;  // no account or no folder to import under
    if (!LeaveFocusedField(this)) return;
    if (PaymentPath.empty()) {
        Inform(std::string(maintenance::kChoosePaymentFile));
        return;
    }
    const auto from = rules::TextToDate(MaskEdit1->text().toStdString());
    const auto through = rules::TextToDate(MaskEdit2->text().toStdString());
    const auto account =
        ComboBox1->chosenEntry() ? rules::ChoiceNumber(*ComboBox1->chosenEntry()) : std::nullopt;
    const auto folder =
        ComboBox2->chosenEntry() ? rules::ChoiceNumber(*ComboBox2->chosenEntry()) : std::nullopt;
    if (!from || !through || !account || !folder) {
        platform::messages().show(platform::MessageKind::Warning,
                                  std::string(maintenance::kConversionError),
                                  platform::Buttons::OK);
        return;
    }
    engine::Data4* payments = maintenance::OpenPaymentTable(PaymentPath);
    if (payments == nullptr) return;

    hide();
    const maintenance::ImportOutcome outcome =
        maintenance::ImportPayments(payments, {*from, *through, *account, *folder});
    if (outcome.result == maintenance::ImportResult::Failed) {
        ShowAgain = true;
        return;
    }
    accept();
}

void TPmtImport::BtnCancelClick() {
    reject();
}

void TPmtImport::BitBtn1Click() {
    rules::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
