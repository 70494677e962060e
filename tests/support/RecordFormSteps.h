#pragma once

// Set-up of the record form tests: a program's form fixture with the data store started, and
// small steps a test script takes on the forms as a user would. Each program names its own
// fixture: using RecordFormTest = RecordFormSteps<FormTest>;

#include <QTableWidget>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "data/Database.h"
#include "platform/ScriptedPlatform.h"
#include "records/forms/PickList.h"
#include "state/MainVars.h"
#include "widgets/MaskEdit.h"

namespace cbk::testing {

template <class Fixture>
class RecordFormSteps : public Fixture {
protected:
    void SetUp() override {
        Fixture::SetUp();
        if (this->HasFatalFailure()) return;
        StartDataStore();
        DefaultFolder = -1;
        PackOnExit = false;
    }

    // Runs `step` on the next showing of the form `name`, as its user; the form's result is
    // what the showing returns.
    template <class Form>
    void onNext(const std::string& name, std::function<void(Form&)> step) {
        this->platform_->modal.once(name, [step](platform::ModalForm& shown) {
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
        for (platform::Answer a : answers) this->platform_->messages.answer(a);
    }
    std::vector<std::string> texts() { return this->platform_->messages.texts(); }
};

}  // namespace cbk::testing
