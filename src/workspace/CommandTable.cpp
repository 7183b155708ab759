#include "workspace/CommandTable.h"

#include "workspace/Workspace.h"

namespace vode {

CommandRow& CommandTable::add(CommandRow row) {
  rows_.push_back(std::move(row));
  return rows_.back();
}

void CommandTable::menu(const QString& name, const QString& caption, EnableRule rule) {
  CommandRow row;
  row.kind = CommandRow::Kind::Menu;
  row.name = name;
  row.caption = caption;
  row.enabled = std::move(rule);
  add(std::move(row));
}

CommandRow& CommandTable::entry(const QString& menu, const QString& name, const QString& caption, EnableRule rule,
                                QStringList keys) {
  CommandRow row;
  row.menu = menu;
  row.name = name;
  row.caption = caption;
  row.enabled = std::move(rule);
  row.keys = std::move(keys);
  return add(std::move(row));
}

CommandRow& CommandTable::separator(const QString& menu, const QString& name) {
  CommandRow row;
  row.kind = CommandRow::Kind::Separator;
  row.menu = menu;
  row.name = name;
  return add(std::move(row));
}

void CommandTable::submenu(const QString& menu, const QString& name, const QString& object, const QString& caption) {
  CommandRow row;
  row.kind = CommandRow::Kind::Submenu;
  row.menu = menu;
  row.name = name;
  row.object = object;
  row.caption = caption;
  add(std::move(row));
}

void CommandTable::endSubmenu(const QString& menu) {
  CommandRow row;
  row.kind = CommandRow::Kind::EndSubmenu;
  row.menu = menu;
  add(std::move(row));
}

void CommandTable::bind(const QString& name, std::function<void()> handler) {
  for (CommandRow& row : rows_)
    if (row.name == name) row.run = std::move(handler);
  if (changed_) changed_();
}

const CommandRow* CommandTable::find(const QString& name) const {
  for (const CommandRow& row : rows_)
    if (!name.isEmpty() && row.name == name) return &row;
  return nullptr;
}

bool CommandTable::enabled(const QString& name, const Workspace& workspace) const {
  const CommandRow* row = find(name);
  return row && enabled(*row, workspace);
}

bool CommandTable::enabled(const CommandRow& row, const Workspace& workspace) const {
  const bool rule = !row.enabled || row.enabled(workspace);
  // A menu has no handler of its own: its rule alone decides.
  if (row.kind == CommandRow::Kind::Menu || row.kind == CommandRow::Kind::Submenu) return rule;
  return row.run && !workspace.busy() && rule;
}

bool CommandTable::run(const QString& name, const Workspace& workspace) const {
  if (!enabled(name, workspace)) return false;
  // A copy: the handler may bind another handler to its own row.
  const std::function<void()> handler = find(name)->run;
  handler();
  return true;
}

}  // namespace vode
