#include "widgets/ProgressBox.h"

#include <QApplication>
#include <QEvent>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWindow>
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
    // Installed once however often the box is shown; removing an absent filter does nothing.
    qApp->removeEventFilter(this);
    if (visible) qApp->installEventFilter(this);
    paintNow();
}

void ProgressBox::SetProgress(int percent) {
    ProgressBar1->setValue(std::clamp(percent, 0, 100));
    paintNow();
}

void ProgressBox::paintNow() {
    QWidget* top = window();
    if (top == nullptr || !top->isVisible()) return;
    QCoreApplication::processEvents();
    top->repaint();
}

bool ProgressBox::holds(QObject* watched) const {
    if (!isVisible()) return false;
    if (auto* widget = qobject_cast<QWidget*>(watched)) return widget->window() == window();
    if (auto* handle = qobject_cast<QWindow*>(watched)) return handle == window()->windowHandle();
    return false;
}

bool ProgressBox::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Close:
            if (holds(watched)) {
                event->ignore();
                return true;
            }
            break;
        default:
            break;
    }
    return QGroupBox::eventFilter(watched, event);
}

}  // namespace cbk
