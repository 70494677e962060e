#include "maintenance/forms/About.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "state/MainVars.h"
#include "widgets/Pictures.h"

namespace cbk {

TAboutForm::TAboutForm() {
    setObjectName(QStringLiteral("TAboutForm"));
    setWindowTitle(QStringLiteral("About"));
    // No border icons: only a title.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(400, 241);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(productPicture());
    Image1->setGeometry(0, 0, 400, 241);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(310, 200, 75, 27);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TAboutForm::Button1Click);
}

void TAboutForm::EShow() {
    setWindowTitle(QStringLiteral("About Tarvel Cantabook 1.11"));
    Button1->setVisible(!SplashMode);
}

void TAboutForm::Button1Click() {
    accept();
}

void TAboutForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) EShow();
    QDialog::showEvent(event);
}

}  // namespace cbk
