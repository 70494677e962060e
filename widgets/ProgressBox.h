#pragma once

// The main window's progress box: a group box with a bar from 0 to 100, hidden while nothing
// long runs. It is the program's Progress service: long operations show it with a title, set
// percentages, and hide it at their end. The operation goes on running in the same handler,
// so at every change the window's pending work (layout, painting, what a closed message box
// uncovered) is done at once; meanwhile the window takes no mouse or key input and cannot
// be closed, so no other command starts before this one ends. Other windows (a message
// box the operation shows) are not held.

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintNow();
    bool holds(QObject* watched) const;
};

}  // namespace cbk
