#include "widgets/HelpWindow.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// The help document is compiled into the program; a static library's resources must be
// registered by name.
static void registerHelpResource() {
    Q_INIT_RESOURCE(cantabook);
}

namespace cbk {

namespace {
const QString kDocument = QStringLiteral("qrc:/help/cbk.html");
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), home_(parent) {
    registerHelpResource();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Cantabook Help"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    resize(640, 560);

    browser_ = new QTextBrowser(this);
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(false);
    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    auto* back = new QPushButton(QStringLiteral("Back"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(contents, &QPushButton::clicked, this,
            [this] { showTopic(QStringLiteral("contents")); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(browser_, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& url) { topic_ = url.fragment(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
}

bool HelpWindow::hasTopic(const QString& topic) const {
    QFile file(QStringLiteral(":/help/cbk.html"));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QString text = QString::fromUtf8(file.readAll());
    return text.contains(QStringLiteral("<a name=\"%1\">").arg(topic));
}

void HelpWindow::open(const QString& topic) {
    // A modal form blocks every window but its own children, so the help window goes with the
    // form that asks for it and stays usable while that form is up.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = home_;
    if (owner && owner != this && parentWidget() != owner) {
        const bool wasVisible = isVisible();
        setParent(owner, windowFlags());
        if (wasVisible) show();
    }
    // Unknown topics land on the contents rather than on an empty page.
    topic_ = hasTopic(topic) ? topic : QStringLiteral("contents");
    QUrl url(kDocument);
    url.setFragment(topic_);
    browser_->setSource(url);
    browser_->scrollToAnchor(topic_);
    show();
    raise();
    activateWindow();
}

void HelpWindow::showContext(int helpContext) {
    open(QString::number(helpContext));
}

void HelpWindow::showTopic(const QString& topic) {
    open(topic);
}

void HelpWindow::showJump(const QString& jumpId) {
    open(jumpId.trimmed());
}

}  // namespace cbk
