#include "records/forms/FormParts.h"

#include <QDialog>
#include <string>

#include "platform/Platform.h"
#include "records/RecordTables.h"
#include "state/MainVars.h"

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

}  // namespace cbk
