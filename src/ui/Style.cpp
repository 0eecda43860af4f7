#include "ui/Style.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>
#include <QWidget>

namespace thrumwise::style {

QFont font(TextStyle style, Weight weight) {
    QFont base = QApplication::font();
    const qreal size = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    switch (style) {
        case TextStyle::title2:
            base.setPointSizeF(size * 1.6);
            break;
        case TextStyle::title3:
            base.setPointSizeF(size * 1.3);
            break;
        case TextStyle::headline:
            base.setBold(true);
            break;
        case TextStyle::body:
            break;
        case TextStyle::subheadline:
            base.setPointSizeF(size * 0.95);
            break;
        case TextStyle::caption:
            base.setPointSizeF(size * 0.9);
            break;
        case TextStyle::caption2:
            base.setPointSizeF(size * 0.8);
            break;
    }
    if (weight == Weight::bold) {
        base.setBold(true);
    }
    return base;
}

QColor primary() {
    return QGuiApplication::palette().color(QPalette::WindowText);
}

QColor secondary() {
    QColor text = primary();
    text.setAlphaF(0.55F);
    return text;
}

QColor accent() {
    return QGuiApplication::palette().color(QPalette::Highlight);
}

QColor positive() {
    return {0x2e, 0xa0, 0x43};
}

QColor negative() {
    return {0xd7, 0x3a, 0x32};
}

QColor neutral() {
    return {0x8e, 0x8e, 0x93};
}

QColor controlBackground() {
    return QGuiApplication::palette().color(QPalette::Base);
}

QPixmap symbol(const QString& name, int size, const QColor& color) {
    const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(0, 0, size, size));
    // The symbols are drawn in black; keep their shape, take the colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(0, 0, size, size), color);
    return pixmap;
}

void apply(QWidget& widget, TextStyle style, const QColor& color, Weight weight) {
    widget.setFont(font(style, weight));
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget.setPalette(palette);
}

QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

QFrame* divider(QWidget* parent, Qt::Orientation orientation) {
    auto* line = new QFrame(parent);
    line->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    QColor color = primary();
    color.setAlphaF(0.15F);
    palette.setColor(QPalette::WindowText, color);
    line->setPalette(palette);
    return line;
}

void fillBackground(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, color);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

}  // namespace thrumwise::style
