// What the preference and record dialogs share: the single-byte text of the
// records, number conversion with the program's messages, labelled boxes that
// screen readers find by their caption, and checks that run when a box is
// left.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

class QAbstractButton;
class QBoxLayout;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QRadioButton;
class QDialog;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace vode {

class Prompter;

// Record texts are Latin-1 bytes: every character outside it becomes one "?"
// (also one that Qt holds as two UTF-16 units), so limits count stored bytes.
std::string recordBytes(const QString& text);
QString recordText(const std::string& bytes);

// Memo texts: line ends are stored as CR LF and shown as line breaks.
std::string memoBytes(const QString& text);
QString memoText(const std::string& bytes);

// Keeps a memo's stored form (memoBytes) within maxBytes, as maxLength does
// for an edit box: what is typed or pasted beyond it is dropped, so the memo
// never shows text the record would lose.
void limitMemo(QPlainTextEdit* memo, int maxBytes);

// Stores bytes into a record's text field unless the field already holds
// them (cut to its capacity), so an unchanged field keeps its stored image.
// true when the field changed.
template <typename Field>
bool putText(Field& field, const std::string& bytes) {
  if (Field(bytes) == field) return false;
  field = bytes;
  return true;
}

// Numbers as the boxes hold them: surrounding blanks allowed, "." as the
// decimal point, nothing after the number. Values beyond single precision and
// "nan"/"inf" are not numbers here.
std::optional<float> readFloat(const QString& text);
std::optional<int> readInteger(const QString& text);

// "'%s' is not a valid " + kind: "floating point value", "integer value",
// "date".
std::string conversionMessage(const QString& text, const char* kind);
std::string floatConversionMessage(const QString& text);
std::string integerConversionMessage(const QString& text);

// The box's number, or the conversion message shown and the focus put back
// into the box.
std::optional<float> floatFrom(QLineEdit* box, Prompter& prompter);
std::optional<int> integerFrom(QLineEdit* box, Prompter& prompter);

// Shows a warning and puts the focus back into the box (focusBox); always
// false, so a failed check can return it.
bool refuse(QWidget* box, Prompter& prompter, const std::string& text);

// Brings the tab page that holds box to the front (in every tab widget
// around it), then gives box the focus with its text selected, so typing
// replaces what was refused.
void focusBox(QWidget* box);

// printf-style "%.Nf" in the C locale, and the four-digit exponent form the
// dB reference is shown in ("1.000E-008").
QString fixedText(double value, int decimals);
QString exponentText(double value);

// An edit box with its caption as a buddy label in a grid row, its accessible
// name the caption without the "&". unit, when given, follows the box.
QLineEdit* addLabelledEdit(QWidget* parent, QGridLayout* grid, int row, const QString& caption,
                           const QString& objectName, int maxLength, const QString& unit = QString());

// Names a modal dialog and gives it a column with a grid of labelled boxes
// at its top; the caption is the window title.
QGridLayout* dialogGrid(QDialog* dialog, const char* objectName, const QString& caption, QBoxLayout*& column);

// OK and Cancel at the end of layout, in a row or (vertical) a column: OK
// runs ok (which accepts when it is satisfied), Cancel rejects. Returns the
// box that holds both, for onLeaving.
QWidget* addOkCancel(QDialog* dialog, QBoxLayout* layout, std::function<void()> ok, bool vertical = false);

// Blanks at the start of a radio item's text: room for an edit box laid over
// them (editOver).
extern const QString EditRoom;

// The recording sites offered as sound channel names.
extern const QStringList SiteNames;

// Hint texts mark their line breaks with "\r".
QString hint(const char* text);

// A titled group of radio items numbered from 0, their object names the
// group's name followed by the number; long lists run in two columns.
QGroupBox* radioGroupBox(QWidget* parent, const QString& name, const QString& caption, const QStringList& items,
                         QButtonGroup*& buttons, const QString& tip);
// The checked item, or otherwise when none is; checkButton ticks item index
// as the program's own setting, which onPicked does not report.
int checkedIndex(const QButtonGroup* group, int otherwise);
void checkButton(QButtonGroup* group, int index);
// Tab stops at the group's checked item only (its first item while none is
// checked), whoever checked it; the arrow keys move within the group.
void tabToCheckedItem(QButtonGroup* group);
// Runs picked with the item the user checks, however it was checked: a click,
// the arrow keys, or an assistive tool's toggle action (which sends no click).
void onPicked(QButtonGroup* group, QObject* context, std::function<void(int)> picked);

// An edit box laid over the blanks at the start of a radio item's text.
QLineEdit* editOver(QRadioButton* item, const QString& name, int maxLength, const QString& accessibleName);

// An editable drop-down of channel names (at most 20 characters) with its
// caption as a buddy label in a grid row.
QComboBox* channelNameBox(QWidget* parent, QGridLayout* grid, int row, const QString& caption, const QString& name,
                          const QStringList& sites, const QString& tip);

// "Sound Channels": the name boxes of channels 1 and 2 ("1:", "2:"; the
// second may be left empty), their labels named after them + "Label" and
// handed out when asked for.
QGroupBox* soundChannelsGroup(QWidget* parent, QComboBox*& sound1, QComboBox*& sound2, QLabel** label1 = nullptr,
                              QLabel** label2 = nullptr);

// The caption without accelerator marks: what a screen reader announces.
QString plainCaption(const QString& caption);

// Runs check when box loses the focus to another control of its window. Not
// when the window itself loses it (a message box is showing), not when the
// focus goes to OK or Cancel in buttons (OK runs every check itself, one
// message rather than two, and leaving a dialog is always possible), and not
// when another box's refusal takes the focus away. The check runs once the
// event that moved the focus is over, so a tab page being switched has
// finished switching when a refusal brings the box's page back.
void onLeaving(QWidget* box, QWidget* buttons, std::function<bool()> check);

// Enter in box confirms it as Tab does (its leave-check runs and the focus
// moves on) instead of pressing the window's default button.
void enterMovesOn(QWidget* box);

}  // namespace vode
