#pragma once

// The program's help file in a window of its own: one document with a topic per tab and per
// form, reached by help context number (10, 300, 400, 500, 510, ...), by the topic
// "contents", or by a jump identifier (the decimal text of a context number).

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace cbk {

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void showContext(int helpContext);
    void showTopic(const QString& topic);
    void showJump(const QString& jumpId);

    // The topic on screen (its anchor name).
    QString currentTopic() const { return topic_; }
    // True when the help document has a topic of that name.
    bool hasTopic(const QString& topic) const;

    QTextBrowser* browser() const { return browser_; }

private:
    void open(const QString& topic);

    QWidget* home_ = nullptr;  // the window it belongs to when no modal form is up
    QTextBrowser* browser_ = nullptr;
    QString topic_;
};

}  // namespace cbk
