#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>

class QFrame;
class QLabel;
class QWidget;

namespace thrumwise::style {

// The named text styles of the interface, scaled from the system's font.
enum class TextStyle { title2, title3, headline, body, subheadline, caption, caption2 };
enum class Weight { regular, bold };

QFont font(TextStyle style, Weight weight = Weight::regular);

// Colour roles.
QColor primary();
QColor secondary();
QColor accent();
QColor positive();  // green
QColor negative();  // red
QColor neutral();   // gray
// Behind headers and panels that stand apart from the window's background.
QColor controlBackground();

// The paddings the interface uses where no number is given.
inline constexpr int defaultPadding = 12;
inline constexpr int defaultSpacing = 8;

// A symbol from the bundled set (resources/icons/<name>.svg), drawn in `color`
// at `size` device-independent pixels.
QPixmap symbol(const QString& name, int size, const QColor& color);

// Sets a label-like widget's font and text colour in one go.
void apply(QWidget& widget, TextStyle style, const QColor& color, Weight weight = Weight::regular);

// A label for text from outside the program (names, identifiers): never
// taken as markup, whatever it holds.
QLabel* plainLabel(const QString& text, QWidget* parent);

// A thin horizontal or vertical line between sections.
QFrame* divider(QWidget* parent, Qt::Orientation orientation = Qt::Horizontal);

// Paints `widget`'s background in `color`.
void fillBackground(QWidget& widget, const QColor& color);

}  // namespace thrumwise::style
