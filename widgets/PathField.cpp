#include "widgets/PathField.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace cbk {

PathField::PathField(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    // The path's length must not widen the form: the field takes the width it is given.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMinimumWidth(fontMetrics().averageCharWidth() * 10);
}

void PathField::setPath(const QString& path) {
    path_ = path;
    setToolTip(path);
    elide();
}

void PathField::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void PathField::elide() {
    const int room = contentsRect().width() - 2 * margin() - 4;
    setText(fontMetrics().elidedText(path_, Qt::ElideMiddle, room));
}

}  // namespace cbk
