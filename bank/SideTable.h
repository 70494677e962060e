#pragma once

// The bank side tables opened alone, beside whatever the command holds: without their group
// file (they have none), made with the catalogue's fields when asked to.

#include <string>
#include <string_view>

#include "data/engine/Engine.h"

namespace bank {

bool SideTableThere(std::string_view name);

// The table, or nullptr when it is not there (and `create` is false) or cannot be opened or
// made; the engine's error is then taken.
engine::Data4* OpenSideTable(std::string_view name, bool create);

// Closes `t`; false when a write failed (the error is taken).
bool CloseSideTable(engine::Data4* t);

// The field `name` of `t`; nullptr when the table lacks it.
engine::Field4* FieldOf(engine::Data4* t, std::string_view name);

std::string Trimmed(std::string_view text);

}  // namespace bank
