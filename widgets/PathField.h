#pragma once

// A file path shown for reading only, whole however long: elided in the middle to the field's
// width (the start of the path and its file name stay), with the full path as its tooltip.

#include <QLabel>
#include <QString>

namespace cbk {

class PathField : public QLabel {
    Q_OBJECT

public:
    explicit PathField(QWidget* parent = nullptr);

    void setPath(const QString& path);
    const QString& path() const { return path_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString path_;
};

}  // namespace cbk
