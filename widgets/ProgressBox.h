#pragma once

// The main window's progress box: a group box with a bar from 0 to 100, hidden while nothing
// long runs. It is the program's Progress service: long operations show it with a title, set
// percentages, and hide it at their end. Every change is painted at once, because the
// operation goes on running in the same handler.

#include <QGroupBox>
#include <string>

#include "platform/Platform.h"

class QProgressBar;

namespace cbk {

class ProgressBox : public QGroupBox, public platform::Progress {
    Q_OBJECT

public:
    explicit ProgressBox(QWidget* parent = nullptr);

    void ShowProgress(bool visible, const std::string& title) override;
    void SetProgress(int percent) override;

    QProgressBar* ProgressBar1 = nullptr;

private:
    void paintNow();
};

}  // namespace cbk
