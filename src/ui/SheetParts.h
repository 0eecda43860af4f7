#pragma once

#include <QString>

class QDialog;
class QPushButton;
class QWidget;

namespace thrumwise {

// The pieces every sheet is built from, so that the sheets look alike.

// The title in headline font, and a Cancel button that rejects the sheet.
QWidget* sheetHeader(QDialog& sheet, const QString& title);

// A button that never takes Return, which belongs to the sheet's one
// prominent button alone.
QPushButton* sheetButton(const QString& text, QWidget* parent);

// The button that finishes the sheet: filled with the accent colour, the
// default for Return.
QPushButton* prominentButton(const QString& text, QWidget* parent);

// A small turning arc that turns only while it is shown.
QWidget* spinner(QWidget* parent);

}  // namespace thrumwise
