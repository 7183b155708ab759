// The menus of the main window, built from the workspace's command table and
// enabled by its rules; the entries whose work is the window's own; the
// recent-file slots and the hints.
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>

#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"
#include "viewer/PowerPanel.h"
#include "workspace/WindowCommands.h"

namespace vode {

namespace {

// Swallows tooltips of one window while its hints are off.
class HintFilter : public QObject {
 public:
  HintFilter(TMainForm* form) : QObject(form), form_(form) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ToolTip && !form_->hintsShown() && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == form_)
      return true;
    return false;
  }

 private:
  TMainForm* form_;
};

}  // namespace

QAction* TMainForm::action(const QString& name) const { return actions_.value(name, nullptr); }

void TMainForm::createMenus() {
  QMenuBar* bar = menuBar();
  QMenu* top = nullptr;
  QMenu* menu = nullptr;
  for (const CommandRow& row : workspace_->commands().rows()) {
    switch (row.kind) {
      case CommandRow::Kind::Menu:
        top = menu = bar->addMenu(row.caption);
        top->setObjectName(row.name);
        actions_.insert(row.name, top->menuAction());
        if (row.name == "FileMenu") fileMenu_ = top;
        break;
      case CommandRow::Kind::Submenu:
        menu = top->addMenu(row.caption);
        menu->setObjectName(row.object);
        actions_.insert(row.name, menu->menuAction());
        break;
      case CommandRow::Kind::EndSubmenu:
        menu = top;
        break;
      case CommandRow::Kind::Separator: {
        QAction* separator = menu->addSeparator();
        if (!row.name.isEmpty()) separator->setObjectName(row.name);
        if (row.name == "RecentSeparator") recentSeparator_ = separator;
        separator->setVisible(!row.hidden);
        break;
      }
      case CommandRow::Kind::Entry: {
        QAction* entry = menu->addAction(row.caption);
        entry->setObjectName(row.name);
        QList<QKeySequence> keys;
        for (const QString& key : row.keys) keys << QKeySequence(key, QKeySequence::PortableText);
        if (!keys.isEmpty()) entry->setShortcuts(keys);
        entry->setCheckable(row.checkable);
        if (row.checkable) entry->setChecked(row.checked);
        if (row.data.isValid()) entry->setData(row.data);
        entry->setVisible(!row.hidden);
        if (row.name.startsWith("Recent")) recentSlots_.push_back(entry);
        actions_.insert(row.name, entry);
        const QString name = row.name;
        connect(entry, &QAction::triggered, this, [this, name] {
          workspace_->run(name);
          UpdateMenus();
        });
        break;
      }
    }
  }
  qApp->installEventFilter(new HintFilter(this));
}

void TMainForm::bindWindowCommands() {
  CommandTable& table = workspace_->commands();
  table.bind("Undo1", [this] { workspace_->undo(); });
  table.bind("Redo1", [this] { workspace_->redo(); });
  table.bind("Include1", [this] { AddCurrentSegment(true, false); });
  table.bind("Clear1", [this] { AddCurrentSegment(false, false); });
  table.bind("Background1", [this] { AddCurrentSegment(true, true); });
  table.bind("Exclude1", [this] { RejectCurrentSegment(true); });
  table.bind("MarkInspiration1", [this] { MarkFlow(1000); });
  table.bind("MarkExpiration1", [this] { MarkFlow(-1000); });
  table.bind("MarkRangeInspiration1", [this] { MarkRange(PhaseMark::Inspiration); });
  table.bind("MarkRangeExpiration1", [this] { MarkRange(PhaseMark::Expiration); });
  table.bind("MarkRangeBackground1", [this] { MarkRange(PhaseMark::Background); });
  table.bind("CopyPowertoFlow1", [this] { powerPanel_->CopyPowerClick(); });
  table.bind("FFT1", [this] { DoAnalyzeClick(); });
  table.bind("TestWheeze1", [this] { TestWheezeClick(); });
  table.bind("TestCrackle1", [this] { TestCrackleClick(); });
  table.bind("DetectWheezesTonal1", [this] { DetectWheezesTonalClick(); });
  table.bind("EstimateBreathCycles1", [this] { EstimateBreathCyclesClick(); });
  table.bind("DetectCrackles1", [this] { DetectCracklesClick(); });
  table.bind("ShowHints1", [this] { setHintsShown(action("ShowHints1")->isChecked()); });
  table.bind("PlayAfterOpening1", [this] { setPlayAfterOpening(action("PlayAfterOpening1")->isChecked()); });
  bindZoomCommands();
  UpdateMenus();
}

void TMainForm::UpdateMenus() {
  const Workspace& ws = *workspace_;
  for (const CommandRow& row : ws.commands().rows()) {
    QAction* entry = row.name.isEmpty() ? nullptr : action(row.name);
    if (!entry || row.kind == CommandRow::Kind::Separator) continue;
    entry->setEnabled(ws.commands().enabled(row, ws));
    if (row.visible) entry->setVisible(row.visible(ws));
  }
}

void TMainForm::firstShown() {
  UpdateMenus();
  DisplayGroupBox->show();
}

int TMainForm::recentSlotCount() const { return static_cast<int>(recentSlots_.size()); }

void TMainForm::showRecentFiles(const std::vector<std::string>& entries) {
  recentSeparator_->setVisible(!entries.empty());
  for (int i = 0; i < static_cast<int>(recentSlots_.size()); ++i) {
    QAction* slot = recentSlots_[i];
    if (i < static_cast<int>(entries.size())) {
      QString path = QString::fromStdString(entries[i]);
      // A path may itself hold "&", which would otherwise become an accelerator.
      slot->setText(QString("&%1 %2").arg(i + 1).arg(path.replace("&", "&&")));
      slot->setData(QString::fromStdString(entries[i]));
      slot->setVisible(true);
    } else {
      slot->setText(QString("&%1").arg(i + 1));
      slot->setData(QVariant());
      slot->setVisible(false);
    }
  }
}

void TMainForm::setHintsShown(bool shown) {
  hintsShown_ = shown;
  if (QAction* hints = action("ShowHints1"); hints && hints->isChecked() != shown) hints->setChecked(shown);
}

void TMainForm::setStartHints() {
  TagBox->setToolTip("Click to include\nShift-click to background\nCtrl-click to exclude\nRight-click to clear");
  PSDRadioGroup->setToolTip("Select PSD Display:\n   Single spectrum\n   Breath average\n   Overall average");
}

}  // namespace vode
