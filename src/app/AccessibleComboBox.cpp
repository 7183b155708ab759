#include "app/AccessibleComboBox.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace vode {

namespace {

// The list the drop-down opens is its first child, the edit box of an
// editable one its second, as with Qt's own, so a reader can still walk and
// pick the items.
class AccessibleComboBox : public QAccessibleWidget {
 public:
  explicit AccessibleComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  int childCount() const override { return box()->isEditable() ? 2 : 1; }

  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(box()->view());
    if (index == 1 && box()->isEditable()) return QAccessible::queryAccessibleInterface(box()->lineEdit());
    return nullptr;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child) return -1;
    if (child->object() == box()->view()) return 0;
    if (box()->isEditable() && child->object() == box()->lineEdit()) return 1;
    return -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    if (box()->isEditable() && box()->lineEdit()->rect().contains(box()->lineEdit()->mapFromGlobal(QPoint(x, y))))
      return child(1);
    return nullptr;
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) {
      // Own name or buddy label first; a drop-down with neither says its item.
      const QString name = QAccessibleWidget::text(t);
      if (!name.isEmpty()) return name;
    }
    if (t == QAccessible::Name || t == QAccessible::Value)
      return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
    return QAccessibleWidget::text(t);
  }

  void setText(QAccessible::Text t, const QString& text) override {
    if (t != QAccessible::Value) return;
    if (box()->isEditable())
      box()->lineEdit()->setText(text);
    else
      box()->setCurrentText(text);
  }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (box()->view()->isVisible())
      box()->hidePopup();
    else
      box()->showPopup();
  }

  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QComboBox* box() const { return static_cast<QComboBox*>(object()); }
};

QAccessibleInterface* comboBoxFactory(const QString&, QObject* object) {
  if (auto* box = qobject_cast<QComboBox*>(object)) return new AccessibleComboBox(box);
  return nullptr;
}

}  // namespace

void installAccessibleComboBoxes() {
  // Factories installed later are asked first, so this one comes before Qt's.
  QAccessible::installFactory(comboBoxFactory);
}

}  // namespace vode
