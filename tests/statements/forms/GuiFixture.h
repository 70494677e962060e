#pragma once

// The form tests of the statement import: the set-up of support/GuiTest.h with a window
// holding the "Import Statement" button as the main window holds it (a click runs the whole
// command), reached by main(). The main window's own button is tested with the main window.

#include <QPushButton>
#include <QWidget>
#include <memory>

#include "statements/forms/StmtImportU.h"
#include "support/GuiTest.h"

namespace cbk::testing {

class StatementWindow : public QWidget {
public:
    StatementWindow() : BtnStatement(new QPushButton(QStringLiteral("Import Statement"), this)) {
        QObject::connect(BtnStatement, &QPushButton::clicked, this, [this] {
            TStatementImport form(this);
            form.Run();
        });
    }
    QPushButton* BtnStatement;
};

class FormTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure()) return;
        window_ = std::make_unique<StatementWindow>();
    }

    void TearDown() override {
        CloseAllTables();
        window_.reset();
        GuiTest::TearDown();
    }

    StatementWindow& main() { return *window_; }

    std::unique_ptr<StatementWindow> window_;
};

}  // namespace cbk::testing
