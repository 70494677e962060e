#include "widgets/ProgressBox.h"

#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

namespace cbk {

ProgressBox::ProgressBox(QWidget* parent) : QGroupBox(QStringLiteral("ProgressBox"), parent) {
    setObjectName(QStringLiteral("ProgressBox"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 6);
    layout->addWidget(ProgressBar1);
    setFixedWidth(201);
    hide();
}

void ProgressBox::ShowProgress(bool visible, const std::string& title) {
    ProgressBar1->setValue(0);
    setTitle(QString::fromStdString(title));
    setVisible(visible);
    paintNow();
}

void ProgressBox::SetProgress(int percent) {
    ProgressBar1->setValue(std::clamp(percent, 0, 100));
    paintNow();
}

void ProgressBox::paintNow() {
    if (QWidget* top = window(); top && top->isVisible()) top->repaint();
}

}  // namespace cbk
