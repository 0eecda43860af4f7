#include "ui/SheetParts.h"

#include "ui/Style.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace thrumwise {

namespace {

class Spinner final : public QWidget {
public:
    explicit Spinner(QWidget* parent) : QWidget(parent) {
        setFixedSize(kSize, kSize);
        timer_.setInterval(kStepMs);
        connect(&timer_, &QTimer::timeout, this, [this] {
            angle_ = (angle_ + kStepDegrees) % 360;
            update();
        });
    }

protected:
    void showEvent(QShowEvent* /*event*/) override { timer_.start(); }
    void hideEvent(QHideEvent* /*event*/) override { timer_.stop(); }

    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(style::secondary(), 2);
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        constexpr int kSixteenths = 16;  // QPainter measures arcs in 1/16 degree
        painter.drawArc(QRectF(rect()).adjusted(2, 2, -2, -2), -angle_ * kSixteenths,
                        270 * kSixteenths);
    }

private:
    static constexpr int kSize = 14;
    static constexpr int kStepMs = 60;
    static constexpr int kStepDegrees = 30;

    QTimer timer_;
    int angle_ = 0;
};

}  // namespace

QWidget* sheetHeader(QDialog& sheet, const QString& title) {
    auto* header = new QWidget(&sheet);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(16, 12, 16, 12);
    auto* heading = new QLabel(title, header);
    style::apply(*heading, style::TextStyle::headline, style::primary());
    row->addWidget(heading);
    row->addStretch();
    auto* cancel = sheetButton(QDialog::tr("Cancel"), header);
    QObject::connect(cancel, &QPushButton::clicked, &sheet, &QDialog::reject);
    row->addWidget(cancel);
    return header;
}

QPushButton* sheetButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

QPushButton* prominentButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setDefault(true);
    const QColor accent = style::accent();
    QColor faded = accent;
    faded.setAlphaF(0.4F);
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid %3; "
                       "border-radius: 4px; padding: 4px 12px; }"
                       "QPushButton:focus { border-color: %5; }"
                       "QPushButton:pressed { background-color: %3; }"
                       "QPushButton:disabled { background-color: %4; border-color: %4; }")
            .arg(accent.name(), button->palette().color(QPalette::HighlightedText).name(),
                 accent.darker(120).name(), faded.name(QColor::HexArgb),
                 button->palette().color(QPalette::WindowText).name()));
    return button;
}

QWidget* spinner(QWidget* parent) {
    return new Spinner(parent);
}

}  // namespace thrumwise
