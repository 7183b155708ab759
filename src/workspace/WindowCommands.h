// The menu entries of the main window in their order, with their captions,
// shortcuts and enable rules. The handlers are bound by the parts of the
// program that carry the work out.
#pragma once

namespace vode {

class CommandTable;

void addWindowCommands(CommandTable& table);

// Recent-file slots "&1" .. "&9" of the File menu.
constexpr int RecentSlots = 9;

}  // namespace vode
