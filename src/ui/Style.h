#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>

class QWidget;

namespace thrumwise::style {

// The named text styles of the interface, scaled from the system's font.
enum class TextStyle { title2, title3, headline, body, subheadline, caption, caption2 };

QFont font(TextStyle style);

// Colour roles.
QColor secondary();
QColor positive();  // green
QColor negative();  // red
QColor neutral();   // gray
QColor accent();
// The background of controls that hold content, such as fields and lists.
QColor controlBackground();

// A symbol from the bundled set (resources/icons/<name>.svg), drawn in `color`
// at `size` device-independent pixels.
QPixmap symbol(const QString& name, int size, const QColor& color);

// Sets a label-like widget's font and text colour in one go.
void apply(QWidget& widget, TextStyle style, const QColor& color);

}  // namespace thrumwise::style
