#include "records/forms/FormParts.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <string>

#include "platform/Platform.h"
#include "records/RecordTables.h"
#include "state/MainVars.h"
#include "widgets/MaskEdit.h"

namespace cbk {

void FillRequiredChoice(ChoiceBox* box, const records::ChoiceList& list, std::string_view missing,
                        QPushButton* save) {
    if (list.entries.empty()) {
        platform::messages().show(platform::MessageKind::Information, std::string(missing),
                                  platform::Buttons::OK);
        save->setEnabled(false);
    }
    FillChoiceBox(box, list.entries, list.chosen);
}

bool AddAnother(std::int32_t choice, std::string_view question) {
    return choice <= 0 && platform::Confirmed(platform::MessageKind::Confirm, std::string(question),
                                              platform::Buttons::YesNo);
}

void CloseWithChoice(QDialog* form, bool marked, bool close, std::int32_t& choice,
                     std::int32_t chosen) {
    if (marked) PackOnExit = true;
    if (!close) return;
    choice = chosen;
    form->accept();
}

QStringList ShownValues::Read(const QWidget* form) {
    QStringList values;
    for (const QWidget* w : form->findChildren<const QWidget*>()) {
        // A masked field's own text keeps its blanks; QLineEdit's would not.
        if (const auto* masked = qobject_cast<const MaskEdit*>(w))
            values << masked->text();
        else if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            values << edit->text();
        else if (const auto* box = qobject_cast<const QComboBox*>(w))
            values << QString::number(box->currentIndex());
    }
    return values;
}

bool DiscardConfirmed(const QWidget* form, const ShownValues& shown) {
    return !shown.changed(form) ||
           platform::ConfirmedDestruction(platform::MessageKind::Confirm,
                                          std::string(kDiscardQuestion), platform::Buttons::YesNo);
}

}  // namespace cbk
