// The window's commands as a table: one row per menu entry with its name,
// caption, shortcut and enable rule, in menu order. The menus are built from
// it, every entry's enabled state comes from its rule, and choosing an entry
// runs the handler bound to its row by the part of the program that owns the
// work. A new menu entry is a new row.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

namespace vode {

class Workspace;

// Whether an entry can be chosen now, from what the workspace holds.
using EnableRule = std::function<bool(const Workspace&)>;

struct CommandRow {
  // A menu of the menu bar, an entry, a separator, or a submenu whose entries
  // follow up to its end.
  enum class Kind { Menu, Entry, Separator, Submenu, EndSubmenu };

  Kind kind = Kind::Entry;
  QString menu;      // the menu it belongs to, by its name ("FileMenu")
  QString name;      // the object name of its entry ("Open1"), or of a menu
  QString object;    // a submenu's own object name ("ZoomWindowMenu")
  QString caption;   // "&Open..."
  QStringList keys;  // shortcuts in portable text ("Ctrl+I"); the first is the main one
  EnableRule enabled;  // none: always, once a handler is bound
  EnableRule visible;      // none: shown (unless hidden)
  bool hidden = false;     // at start; the window shows it when it has a use
  bool checkable = false;
  bool checked = false;    // at start, for a checkable entry
  QVariant data;           // carried by the entry (a report kind)
  std::function<void()> run;
};

class CommandTable {
 public:
  // Rows are added in menu order: a menu, then its entries.
  CommandRow& add(CommandRow row);
  void menu(const QString& name, const QString& caption, EnableRule rule = {});
  CommandRow& entry(const QString& menu, const QString& name, const QString& caption, EnableRule rule = {},
                    QStringList keys = {});
  CommandRow& separator(const QString& menu, const QString& name = {});
  void submenu(const QString& menu, const QString& name, const QString& object, const QString& caption);
  void endSubmenu(const QString& menu);

  // The handler of a row; a row without one stays disabled. Binding one
  // calls the table's change handler (the menus follow at once).
  void bind(const QString& name, std::function<void()> handler);
  void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

  const std::vector<CommandRow>& rows() const { return rows_; }
  const CommandRow* find(const QString& name) const;
  // An entry can be chosen when it has a handler, its rule holds and no job
  // owns the document; a menu when its rule holds.
  bool enabled(const QString& name, const Workspace& workspace) const;
  bool enabled(const CommandRow& row, const Workspace& workspace) const;
  // Runs the row's handler when it can be chosen; false when it could not.
  bool run(const QString& name, const Workspace& workspace) const;

 private:
  std::vector<CommandRow> rows_;
  std::function<void()> changed_;
};

}  // namespace vode
