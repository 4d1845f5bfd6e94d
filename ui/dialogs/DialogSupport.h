// What every modal dialog shares: placement over its owner, the OK and Cancel buttons, the
// "Unable to display dialog" failure, and reading and writing the numbers in its fields.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QDialog;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

// Moves `dialog` so that its centre lies on the centre of `owner`'s window (the screen's without
// an owner), then back inside the screen.
void CenterOverParent(QWidget* dialog, QWidget* owner);

// False, after "Unable to display dialog" in a box titled "System Error", when the program has
// no windowing to show a dialog with.
bool CanShowDialogs();

// Runs `dialog` modally, centred over `owner`: 1 for OK, 0 for Cancel or Close.
int32_t RunDialog(QDialog& dialog, QWidget* owner);

// The OK ("1", the default button) and Cancel ("2") row. OK ends the dialog with 1 only when
// `validate` (if given) agrees; a refusing check keeps the dialog open.
QHBoxLayout* MakeOkCancel(QDialog* dialog, std::function<bool()> validate = {});

// A number field and a label carrying their control ids as object names (0: no name).
QLineEdit* MakeField(QWidget* parent, int32_t id);
QLabel* MakeLabel(const QString& text, QWidget* parent, int32_t id = 0);
// One row of `grid`: the label, the field `id` holding `text`, and the unit after it.
QLineEdit* AddFieldRow(QGridLayout* grid, int row, const QString& label, int32_t id,
                       const QString& unit, const QString& text);

// A whole number as the dialogs accept it: optional blanks around, a sign only when `withSign`,
// and digits only, within 32 bits. False for anything else.
bool ParseWholeNumber(const QString& text, bool withSign, int64_t* out);
// The standard text-to-number reading: the longest leading number, 0 when there is none.
double ParseLeadingNumber(const QString& text);
// "%g", independent of the desktop's locale.
QString FormatG(double value);
