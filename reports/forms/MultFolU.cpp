#include "reports/forms/MultFolU.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "reports/FolderChoice.h"

namespace cbk {

TMultFol::TMultFol() {
    setObjectName(QStringLiteral("TMultFol"));
    setWindowTitle(QStringLiteral("Select Folder(s) to Include"));

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    // Each click adds or removes its line; no Ctrl or Shift needed.
    ListBox1->setSelectionMode(QAbstractItemView::MultiSelection);
    // The numbers are right-aligned in four blanks-padded characters; a fixed pitch lines
    // them up.
    ListBox1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ListBox1->setMinimumSize(360, 240);

    BtnRun = new QPushButton(QStringLiteral("Run"), this);
    BtnAll = new QPushButton(QStringLiteral("All"), this);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnRun->setObjectName(QStringLiteral("BtnRun"));
    BtnAll->setObjectName(QStringLiteral("BtnAll"));
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnRun->setDefault(true);
    connect(BtnRun, &QPushButton::clicked, this, &TMultFol::BtnRunClick);
    connect(BtnAll, &QPushButton::clicked, this, &TMultFol::BtnAllClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TMultFol::BtnCancelClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {BtnRun, BtnAll, BtnCancel}) {
        b->setMinimumWidth(80);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox1);
    layout->addLayout(buttons);
}

void TMultFol::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormShow();
        adjustSize();
        if (QScreen* s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QDialog::showEvent(event);
}

std::vector<std::int32_t> TMultFol::Choose() {
    Chosen.clear();
    platform::modal().showModal(*this);
    return Chosen;
}

void TMultFol::FormShow() {
    ListBox1->clear();
    Chosen.clear();
    for (const std::string& line : reports::FolderDialogLines())
        ListBox1->addItem(QString::fromStdString(line));
    if (ListBox1->count() == 1) ListBox1->item(0)->setSelected(true);
    ListBox1->setCurrentRow(ListBox1->count() > 0 ? 0 : -1, QItemSelectionModel::NoUpdate);
}

void TMultFol::BtnAllClick() {
    ListBox1->selectAll();
}

void TMultFol::BtnRunClick() {
    std::vector<std::string> chosen;
    for (int i = 0; i < ListBox1->count(); ++i)
        if (ListBox1->item(i)->isSelected())
            chosen.push_back(ListBox1->item(i)->text().toStdString());
    Chosen = reports::FoldersOfLines(chosen);
    accept();
}

void TMultFol::BtnCancelClick() {
    Chosen.clear();
    reject();
}

}  // namespace cbk
