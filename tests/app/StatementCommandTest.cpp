// The main window's "Import Statement" button starts the statement import at its file choice;
// the import's own windows are tested in tests/statements/forms.

#include <QPushButton>
#include <string>
#include <vector>

#include "GuiFixture.h"

namespace cbk::testing {
namespace {

class StatementCommand : public FormTest {};

TEST_F(StatementCommand, ButtonAsksForTheStatementFileAndAChoiceLeftUnmadeImportsNothing) {
    startUp();
    platform_->modal.shown.clear();
    main().BtnStatement->click();
    EXPECT_EQ(platform_->modal.shown, std::vector<std::string>{"OpenDialog1"});
    EXPECT_TRUE(platform_->messages.texts().empty());
    EXPECT_FALSE(anyTableOpen());
}

}  // namespace
}  // namespace cbk::testing
