#pragma once

// Set-up of the record form tests: the forms of GuiFixture.h with the data store started, and
// small steps a test script takes on the forms as a user would.

#include <QTableWidget>
#include <functional>
#include <string>

#include "GuiFixture.h"
#include "records/forms/PickList.h"
#include "widgets/MaskEdit.h"

namespace cbk::testing {

class RecordFormTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        if (HasFatalFailure()) return;
        StartDataStore();
        DefaultFolder = -1;
        PackOnExit = false;
    }

    // Runs `step` on the next showing of the form `name`, as its user; the form's result is
    // what the showing returns.
    template <class Form>
    void onNext(const std::string& name, std::function<void(Form&)> step) {
        platform_->modal.once(name, [step](platform::ModalForm& shown) {
            auto& form = dynamic_cast<Form&>(shown);
            form.setResult(0);
            step(form);
            return form.result();
        });
    }

    // Chooses the row of record `recNo` in a filled pick list and selects it.
    static bool pickRecord(PickList& list, long recNo) {
        const int recNoColumn = list.StringGrid1->columnCount() - 1;
        for (int row = 1; row < list.rowCount(); ++row) {
            if (list.cell(recNoColumn, row).toLong() == recNo) {
                list.StringGrid1->setCurrentCell(row - 1, 0);
                list.StringGrid1DblClick();
                return true;
            }
        }
        return false;
    }

    // The next widget Tab moves to from `w` (labels take no focus).
    static QWidget* nextTabStop(QWidget* w) {
        QWidget* next = w->nextInFocusChain();
        while (next != w && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
        return next;
    }

    static std::string text(const MaskEdit* field) { return field->text().toStdString(); }

    // Answers the next message boxes in order.
    void answer(std::initializer_list<platform::Answer> answers) {
        for (platform::Answer a : answers) platform_->messages.answer(a);
    }
    std::vector<std::string> texts() { return platform_->messages.texts(); }
};

}  // namespace cbk::testing
