#pragma once

// TAboutForm: the product picture and name. Shown without waiting as the start-up splash
// (no OK button while SplashMode holds) and modally from Help / About.

#include <QDialog>
#include <string>

#include "platform/Platform.h"

class QLabel;
class QPushButton;

namespace cbk {

class TAboutForm : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TAboutForm();
    std::string formName() const override { return "TAboutForm"; }
    int execModal() override { return exec(); }

    QLabel* Image1 = nullptr;
    QPushButton* Button1 = nullptr;

public slots:
    void EShow();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace cbk
