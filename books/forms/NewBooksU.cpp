#include "books/forms/NewBooksU.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "books/BooksPlaces.h"
#include "books/NewBooks.h"
#include "data/Records.h"
#include "platform/Platform.h"

namespace books {

TNewBooks::TNewBooks(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("New Books"));
    EditName = new QLineEdit(this);
    EditName->setPlaceholderText(QStringLiteral("e.g. the business's name"));
    EditName->setMaxLength(100);
    EditCompany = new QLineEdit(this);
    EditCompany->setPlaceholderText(QStringLiteral("the name of the books"));
    EditCompany->setMaxLength(cbk::kCompanyStored);
    EditPlace = new QLineEdit(QString::fromStdString(BooksHome()), this);
    EditPlace->setMinimumWidth(320);
    BtnBrowse = new QPushButton(QStringLiteral("B&rowse..."), this);
    BtnBrowse->setAutoDefault(false);
    LabelFolder = new QLabel(this);
    LabelFolder->setWordWrap(true);
    BtnCreate = new QPushButton(QStringLiteral("&Create"), this);
    BtnCreate->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    auto* nameLabel = new QLabel(QStringLiteral("&Name of the books:"), this);
    nameLabel->setBuddy(EditName);
    auto* companyLabel = new QLabel(QStringLiteral("&Business name:"), this);
    companyLabel->setBuddy(EditCompany);
    auto* placeLabel = new QLabel(QStringLiteral("Kept &under:"), this);
    placeLabel->setBuddy(EditPlace);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(EditName, 0, 1, 1, 2);
    grid->addWidget(companyLabel, 1, 0);
    grid->addWidget(EditCompany, 1, 1, 1, 2);
    grid->addWidget(placeLabel, 2, 0);
    grid->addWidget(EditPlace, 2, 1);
    grid->addWidget(BtnBrowse, 2, 2);
    grid->addWidget(LabelFolder, 3, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnCreate);
    buttons->addWidget(BtnCancel);
    grid->addLayout(buttons, 4, 0, 1, 3);

    connect(EditName, &QLineEdit::textChanged, this, &TNewBooks::ShowFolder);
    connect(EditPlace, &QLineEdit::textChanged, this, &TNewBooks::ShowFolder);
    connect(BtnBrowse, &QPushButton::clicked, this, &TNewBooks::BtnBrowseClick);
    connect(BtnCreate, &QPushButton::clicked, this, &TNewBooks::BtnCreateClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowFolder();
}

void TNewBooks::ShowFolder() {
    const std::string name = EditName->text().trimmed().toStdString();
    const std::string place = EditPlace->text().trimmed().toStdString();
    LabelFolder->setText(name.empty()
                             ? QStringLiteral("The books are kept in a folder of their name.")
                             : QStringLiteral("The books will be kept in ") +
                                   QString::fromStdString(CleanDir(place + "/" + name)));
}

void TNewBooks::BtnBrowseClick() {
    const QString dir = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Keep New Books Under"), EditPlace->text());
    if (!dir.isEmpty()) EditPlace->setText(dir);
}

void TNewBooks::BtnCreateClick() {
    const std::string name = EditName->text().trimmed().toStdString();
    const std::string place = EditPlace->text().trimmed().toStdString();
    std::string problem = BooksNameProblem(name);
    if (problem.empty() && place.empty()) problem = "Choose the folder to keep the books under.";
    const std::string dir = CleanDir(place + "/" + name);
    if (problem.empty()) {
        const std::string table = AnyTableIn(dir);
        if (!table.empty())
            problem = "The folder " + dir + " already holds books (" + table +
                      "). Choose another name, or open them with Open Books.";
    }
    if (!problem.empty()) {
        platform::messages().show(platform::MessageKind::Warning, problem, platform::Buttons::OK);
        EditName->setFocus();
        return;
    }
    folder_ = dir;
    const std::string company = EditCompany->text().trimmed().toStdString();
    company_ = company.empty() ? name : company;
    accept();
}

}  // namespace books
