#include "dialogs/DialogSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QRadioButton>
#include <QStyle>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QEvent>
#include <QFocusEvent>
#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QTextCursor>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "model/Prompter.h"

namespace vode {

std::string recordBytes(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (const char32_t c : text.toUcs4()) bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  return bytes;
}

QString recordText(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string memoBytes(const QString& text) {
  QString lines = text;
  lines.replace("\r\n", "\n");
  lines.replace('\n', "\r\n");
  return recordBytes(lines);
}

QString memoText(const std::string& bytes) {
  QString text = recordText(bytes);
  text.replace("\r\n", "\n");
  return text;
}

namespace {

// How many UTF-16 units of text make at most maxBytes of memoBytes(text): a
// line break is CR LF, any other character (a surrogate pair too) one byte.
qsizetype fittingPrefix(const QString& text, qsizetype maxBytes) {
  qsizetype bytes = 0;
  qsizetype i = 0;
  while (i < text.size()) {
    const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    bytes += text[i] == '\n' ? 2 : 1;
    if (bytes > maxBytes) break;
    i += units;
  }
  return i;
}

}  // namespace

void limitMemo(QPlainTextEdit* memo, int maxBytes) {
  QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxBytes] {
    const QString text = memo->toPlainText();
    if (fittingPrefix(text, maxBytes) == text.size()) return;
    // Drop what arrived last, just before the cursor, keeping what follows it.
    const qsizetype end = memo->textCursor().position();
    const QString tail = text.mid(end);
    const qsizetype tailBytes = static_cast<qsizetype>(memoBytes(tail).size());
    QString kept;
    qsizetype cursorAt = 0;
    if (tailBytes > maxBytes) {
      kept = text.left(fittingPrefix(text, maxBytes));
      cursorAt = kept.size();
    } else {
      kept = text.left(fittingPrefix(text.left(end), maxBytes - tailBytes));
      cursorAt = kept.size();
      kept += tail;
    }
    const QSignalBlocker quiet(memo);
    memo->setPlainText(kept);
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(static_cast<int>(cursorAt));
    memo->setTextCursor(cursor);
  });
}

std::optional<float> readFloat(const QString& text) {
  QLocale c = QLocale::c();
  c.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  const double v = c.toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(v) || std::fabs(v) > FLT_MAX) return std::nullopt;
  return static_cast<float>(v);
}

std::optional<int> readInteger(const QString& text) {
  QLocale c = QLocale::c();
  c.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  const int v = c.toInt(text.trimmed(), &ok);
  if (!ok) return std::nullopt;
  return v;
}

std::string conversionMessage(const QString& text, const char* kind) {
  std::string message = "'";
  message += recordBytes(text);
  message += "' is not a valid ";
  return message + kind;
}

std::string floatConversionMessage(const QString& text) { return conversionMessage(text, "floating point value"); }

std::string integerConversionMessage(const QString& text) { return conversionMessage(text, "integer value"); }

namespace {

// Set while a refusal moves the focus back to its box: the box the focus
// leaves then was not left by the user, and its own check waits its turn.
bool refusing = false;

}  // namespace

void focusBox(QWidget* box) {
  for (QWidget* page = box; page->parentWidget(); page = page->parentWidget()) {
    // A tab widget keeps its pages in a stack of its own.
    QWidget* stack = page->parentWidget();
    if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()); tabs && tabs->indexOf(page) >= 0)
      tabs->setCurrentWidget(page);
  }
  box->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(box)) edit->selectAll();
  if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit()) combo->lineEdit()->selectAll();
}

bool refuse(QWidget* box, Prompter& prompter, const std::string& text) {
  prompter.message(MessageKind::Warning, text);
  const bool outer = std::exchange(refusing, true);
  focusBox(box);
  refusing = outer;
  return false;
}

std::optional<float> floatFrom(QLineEdit* box, Prompter& prompter) {
  const std::optional<float> v = readFloat(box->text());
  if (!v) refuse(box, prompter, floatConversionMessage(box->text()));
  return v;
}

std::optional<int> integerFrom(QLineEdit* box, Prompter& prompter) {
  const std::optional<int> v = readInteger(box->text());
  if (!v) refuse(box, prompter, integerConversionMessage(box->text()));
  return v;
}

QString fixedText(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return QString::fromLatin1(text);
}

QString exponentText(double value) {
  // Four significant digits, a capital E and at least three exponent digits.
  char text[64];
  std::snprintf(text, sizeof text, "%.3E", value);
  QString s = QString::fromLatin1(text);
  const qsizetype e = s.indexOf('E');
  if (e < 0 || e + 2 > s.size()) return s;  // inf or nan: no exponent to widen
  QString digits = s.mid(e + 2);
  while (digits.size() < 3) digits.prepend('0');
  return s.left(e + 2) + digits;
}

QString plainCaption(const QString& caption) {
  QString plain;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    plain += caption[i];
  }
  return plain;
}

QLineEdit* addLabelledEdit(QWidget* parent, QGridLayout* grid, int row, const QString& caption,
                           const QString& objectName, int maxLength, const QString& unit) {
  auto* label = new QLabel(caption, parent);
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(objectName);
  edit->setMaxLength(maxLength);
  edit->setAccessibleName(plainCaption(caption));
  label->setBuddy(edit);
  grid->addWidget(label, row, 0);
  grid->addWidget(edit, row, 1);
  if (!unit.isEmpty()) grid->addWidget(new QLabel(unit, parent), row, 2);
  return edit;
}

QGridLayout* dialogGrid(QDialog* dialog, const char* objectName, const QString& caption, QBoxLayout*& column) {
  dialog->setObjectName(objectName);
  dialog->setWindowTitle(caption);
  dialog->setModal(true);
  column = new QVBoxLayout(dialog);
  auto* grid = new QGridLayout;
  column->addLayout(grid);
  return grid;
}

QWidget* addOkCancel(QDialog* dialog, QBoxLayout* layout, std::function<void()> ok, bool vertical) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                       vertical ? Qt::Vertical : Qt::Horizontal, dialog);
  QPushButton* okButton = buttons->button(QDialogButtonBox::Ok);
  QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
  okButton->setObjectName("OKBitBtn");
  cancel->setObjectName("CancelBitBtn");
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, std::move(ok));
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return buttons;
}

namespace {

class LeaveFilter : public QObject {
 public:
  LeaveFilter(QWidget* box, QWidget* buttons, std::function<bool()> check)
      : QObject(box), box_(box), buttons_(buttons), check_(std::move(check)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != box_ || event->type() != QEvent::FocusOut || refusing) return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
    // A box hidden with its tab page hands the focus on to whatever follows
    // the page, often OK: that is a page switch, not a step to the buttons.
    QWidget* next = QApplication::focusWidget();
    if (next && ((box_->isVisible() && buttons_->isAncestorOf(next)) || next->window() != box_->window()))
      return false;
    QTimer::singleShot(0, this, [this] {
      // Not when the focus came back meanwhile, or the dialog closed.
      if (box_->hasFocus() || !box_->window()->isVisible()) return;
      check_();
    });
    return false;
  }

 private:
  QWidget* box_;
  QWidget* buttons_;
  std::function<bool()> check_;
};

class EnterFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if (key->modifiers() & ~Qt::KeypadModifier) return false;
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(watched, &tab);
    return true;
  }
};

}  // namespace

void onLeaving(QWidget* box, QWidget* buttons, std::function<bool()> check) {
  box->installEventFilter(new LeaveFilter(box, buttons, std::move(check)));
}

void enterMovesOn(QWidget* box) { box->installEventFilter(new EnterFilter(box)); }

const QString EditRoom = "              ";

const QStringList SiteNames = {"TRA", "RUant", "LUant", "RML", "LLsup", "RLsup", "LLbas", "RLbas"};

QString hint(const char* text) { return QString::fromLatin1(text).replace('\r', '\n'); }

QGroupBox* radioGroupBox(QWidget* parent, const QString& name, const QString& caption, const QStringList& items,
                         QButtonGroup*& buttons, const QString& tip) {
  auto* box = new QGroupBox(caption, parent);
  box->setObjectName(name);
  box->setToolTip(tip);
  buttons = new QButtonGroup(box);
  auto* grid = new QGridLayout(box);
  const int rows = items.size() > 6 ? (static_cast<int>(items.size()) + 1) / 2 : static_cast<int>(items.size());
  for (int i = 0; i < items.size(); ++i) {
    auto* item = new QRadioButton(items[i], box);
    item->setObjectName(name + QString::number(i));
    buttons->addButton(item, i);
    grid->addWidget(item, i % rows, i / rows);
  }
  tabToCheckedItem(buttons);
  return box;
}

int checkedIndex(const QButtonGroup* group, int otherwise) {
  const int id = group->checkedId();
  return id < 0 ? otherwise : id;
}

void checkButton(QButtonGroup* group, int index) {
  const QSignalBlocker quiet(group);
  if (QAbstractButton* item = group->button(index)) item->setChecked(true);
}

void tabToCheckedItem(QButtonGroup* group) {
  // Qt moves the tab stop only when an item takes the focus, so an item
  // checked by the program (or by an assistive tool) would be skipped.
  auto follow = [group] {
    const QList<QAbstractButton*> items = group->buttons();
    QAbstractButton* stop = group->checkedButton();
    if (!stop && !items.isEmpty()) stop = items.first();
    for (QAbstractButton* item : items)
      item->setFocusPolicy(Qt::FocusPolicy(item == stop ? item->focusPolicy() | Qt::TabFocus
                                                        : item->focusPolicy() & ~Qt::TabFocus));
  };
  for (QAbstractButton* item : group->buttons()) QObject::connect(item, &QAbstractButton::toggled, group, follow);
  follow();
}

void onPicked(QButtonGroup* group, QObject* context, std::function<void(int)> picked) {
  QObject::connect(group, &QButtonGroup::idToggled, context, [picked = std::move(picked)](int id, bool checked) {
    if (checked) picked(id);
  });
}

QLineEdit* editOver(QRadioButton* item, const QString& name, int maxLength, const QString& accessibleName) {
  auto* edit = new QLineEdit(item);
  edit->setObjectName(name);
  edit->setMaxLength(maxLength);
  edit->setAccessibleName(accessibleName);
  const int indicator = item->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, item) +
                        item->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, item);
  const int room = std::max(QFontMetrics(item->font()).horizontalAdvance(EditRoom) - 4, 44);
  item->setMinimumHeight(edit->sizeHint().height());
  edit->setGeometry(indicator + 1, 0, room, edit->sizeHint().height());
  return edit;
}

QComboBox* channelNameBox(QWidget* parent, QGridLayout* grid, int row, const QString& caption, const QString& name,
                          const QStringList& sites, const QString& tip) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name + "Label");
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(sites);
  box->lineEdit()->setMaxLength(20);
  box->setAccessibleName(caption);
  box->lineEdit()->setAccessibleName(caption);
  box->setToolTip(tip);
  label->setBuddy(box);
  grid->addWidget(label, row, 0);
  grid->addWidget(box, row, 1);
  return box;
}

QGroupBox* soundChannelsGroup(QWidget* parent, QComboBox*& sound1, QComboBox*& sound2, QLabel** label1,
                              QLabel** label2) {
  auto* group = new QGroupBox("Sound Channels", parent);
  group->setObjectName("SoundGroupBox");
  auto* grid = new QGridLayout(group);
  sound1 = channelNameBox(group, grid, 0, "1:", "Sound1ComboBox", SiteNames, "Specify name for sound channel #1");
  sound2 = channelNameBox(group, grid, 1, "2:", "Sound2ComboBox", QStringList{QString()} + SiteNames,
                          "Specify name for sound channel #2");
  // The labels were laid out in the grid beside their boxes.
  if (label1) *label1 = qobject_cast<QLabel*>(grid->itemAtPosition(0, 0)->widget());
  if (label2) *label2 = qobject_cast<QLabel*>(grid->itemAtPosition(1, 0)->widget());
  return group;
}

}  // namespace vode
