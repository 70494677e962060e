#include "books/forms/BooksChooserU.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "books/BooksPlaces.h"
#include "books/NewBooks.h"
#include "books/forms/NewBooksU.h"
#include "platform/Platform.h"

namespace books {

namespace {

constexpr int kDirRole = Qt::UserRole;

QPushButton* Button(const QString& caption, const QString& tip, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TBooksChooser::TBooksChooser(const std::vector<std::string>& recent, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Cantabook: Choose Books"));

    auto* heading = new QLabel(QStringLiteral("<b>Books you opened before:</b>"), this);
    ListBooks = new QListWidget(this);
    ListBooks->setObjectName(QStringLiteral("ListBooks"));
    ListBooks->setMinimumSize(380, 180);
    for (const std::string& dir : recent) {
        auto* item = new QListWidgetItem(QString::fromStdString(BooksName(dir) + "\n" + dir));
        item->setData(kDirRole, QString::fromStdString(dir));
        item->setToolTip(QString::fromStdString(dir));
        ListBooks->addItem(item);
    }
    ListBooks->setCurrentRow(0);
    LabelNone = new QLabel(QStringLiteral("No books yet. Make new books, open books kept in a "
                                          "folder, or try the sample books."),
                           this);
    LabelNone->setWordWrap(true);
    ListBooks->setVisible(!recent.empty());
    LabelNone->setVisible(recent.empty());

    BtnOpen =
        Button(QStringLiteral("&Open"), QStringLiteral("Open the books chosen in the list"), this);
    BtnOpen->setDefault(true);
    BtnOpen->setEnabled(!recent.empty());
    BtnNew =
        Button(QStringLiteral("&New Books..."),
               QStringLiteral("Start new, empty books with a starter chart of accounts"), this);
    BtnOpenFolder = Button(QStringLiteral("Open &Books..."),
                           QStringLiteral("Open books kept in a folder of your choice"), this);
    BtnSample = Button(QStringLiteral("&Sample Books"),
                       QStringLiteral("Try the program on the books of a sample business"), this);
    BtnQuit = Button(QStringLiteral("&Quit"), QStringLiteral("Leave without opening books"), this);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(BtnOpen);
    buttons->addSpacing(12);
    buttons->addWidget(BtnNew);
    buttons->addWidget(BtnOpenFolder);
    buttons->addWidget(BtnSample);
    buttons->addStretch(1);
    buttons->addWidget(BtnQuit);
    auto* list = new QVBoxLayout;
    list->addWidget(heading);
    list->addWidget(ListBooks, 1);
    list->addWidget(LabelNone, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(list, 1);
    layout->addLayout(buttons);

    connect(BtnOpen, &QPushButton::clicked, this, &TBooksChooser::BtnOpenClick);
    // Enter reaches the default button, Open; a double click opens as well.
    connect(ListBooks, &QListWidget::itemDoubleClicked, this, &TBooksChooser::BtnOpenClick);
    connect(BtnNew, &QPushButton::clicked, this, &TBooksChooser::BtnNewClick);
    connect(BtnOpenFolder, &QPushButton::clicked, this, &TBooksChooser::BtnOpenFolderClick);
    connect(BtnSample, &QPushButton::clicked, this, &TBooksChooser::BtnSampleClick);
    connect(BtnQuit, &QPushButton::clicked, this, &QDialog::reject);

    chooseFolder = [this] {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Open Books"),
                                                 QString::fromStdString(BooksHome()))
            .toStdString();
    };
    askNewBooks = [this] {
        TNewBooks dialog(this);
        if (dialog.exec() != QDialog::Accepted) return BooksChoice{};
        return BooksChoice{BooksChoice::Kind::New, dialog.folder(), dialog.company()};
    };
}

void TBooksChooser::Choose(BooksChoice choice) {
    choice_ = std::move(choice);
    accept();
}

void TBooksChooser::OpenExisting(const std::string& dir) {
    std::string why;
    if (!CheckBooksFolder(dir, &why)) {
        platform::messages().show(platform::MessageKind::Warning, why, platform::Buttons::OK);
        return;
    }
    Choose({BooksChoice::Kind::Existing, dir, {}});
}

void TBooksChooser::BtnOpenClick() {
    const QListWidgetItem* item = ListBooks->currentItem();
    if (item != nullptr) OpenExisting(item->data(kDirRole).toString().toStdString());
}

void TBooksChooser::BtnNewClick() {
    BooksChoice asked = askNewBooks();
    if (asked.kind == BooksChoice::Kind::New) Choose(std::move(asked));
}

void TBooksChooser::BtnOpenFolderClick() {
    const std::string dir = chooseFolder();
    if (!dir.empty()) OpenExisting(CleanDir(dir));
}

void TBooksChooser::BtnSampleClick() {
    Choose({BooksChoice::Kind::Sample, SampleBooksDir(), {}});
}

std::optional<BooksChoice> AskBooksChooser(const std::vector<std::string>& recent) {
    TBooksChooser chooser(recent);
    if (chooser.exec() != QDialog::Accepted) return std::nullopt;
    return chooser.choice();
}

}  // namespace books
