#pragma once

#include "GuiFixture.h"
#include "support/RecordFormSteps.h"

namespace cbk::testing {

using RecordFormTest = RecordFormSteps<FormTest>;

}  // namespace cbk::testing
