#include "ui/KeyCaptureView.h"

#include "platform/MacKeyCodes.h"
#include "ui/Layouts.h"
#include "ui/SheetParts.h"
#include "ui/Style.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace thrumwise {

namespace {

struct CaptureName {
    std::uint16_t keyCode;
    std::string_view name;
};

// Names for the keys whose typed text is missing or says nothing.
constexpr std::array kCaptureNames{
    CaptureName{36, "Return"},  CaptureName{48, "Tab"},     CaptureName{49, "Space"},
    CaptureName{51, "Delete"},  CaptureName{53, "Escape"},  CaptureName{96, "F5"},
    CaptureName{97, "F6"},      CaptureName{98, "F7"},      CaptureName{99, "F3"},
    CaptureName{100, "F8"},     CaptureName{101, "F9"},     CaptureName{103, "F11"},
    CaptureName{105, "F13"},    CaptureName{107, "F14"},    CaptureName{109, "F10"},
    CaptureName{111, "F12"},    CaptureName{113, "F15"},    CaptureName{118, "F4"},
    CaptureName{120, "F2"},     CaptureName{122, "F1"},     CaptureName{123, "\u2190"},
    CaptureName{124, "\u2192"}, CaptureName{125, "\u2193"}, CaptureName{126, "\u2191"},
};

bool isPrintable(const QString& text) {
    const auto points = text.toUcs4();
    return !points.isEmpty() && std::all_of(points.begin(), points.end(), [](auto point) {
        return QChar::isPrint(static_cast<char32_t>(point));
    });
}

// The key's text without Control's effect: Control turns letters into control
// characters, while the key itself still reports the letter.
QString unmodifiedText(const QKeyEvent& event) {
    if (isPrintable(event.text())) {
        return event.text();
    }
    const auto key = static_cast<char32_t>(event.key());
    const QString keyText = QString::fromUcs4(&key, 1);
    // Qt's key values below Escape's are the characters themselves.
    const bool isCharacter = key < static_cast<char32_t>(Qt::Key_Escape);
    return isCharacter && isPrintable(keyText) ? keyText : QString();
}

std::optional<std::string> displayName(std::uint16_t keyCode, const QKeyEvent& event) {
    const auto* named =
        std::find_if(kCaptureNames.begin(), kCaptureNames.end(),
                     [keyCode](const CaptureName& entry) { return entry.keyCode == keyCode; });
    if (named != kCaptureNames.end()) {
        return std::string(named->name);
    }
    const QString text = unmodifiedText(event);
    if (text.isEmpty()) {
        return std::nullopt;
    }
    return text.toUpper().toStdString();
}

// The control's face: a rounded field, tinted and outlined in the accent
// colour while it waits for a key.
class CaptureButton final : public QAbstractButton {
public:
    explicit CaptureButton(QWidget* parent) : QAbstractButton(parent) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void setArmed(bool isArmed) {
        isArmed_ = isArmed;
        update();
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = style::controlBackground();
        QPen outline(Qt::NoPen);
        if (isArmed_) {
            fill = style::accent();
            fill.setAlphaF(0.1F);
            outline = QPen(style::accent(), 2);
        } else if (hasFocus()) {
            outline = QPen(style::accent(), 1);
        }
        painter.setPen(outline);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
    }

private:
    bool isArmed_ = false;
};

}  // namespace

KeyCaptureView::KeyCaptureView(QWidget* parent)
    : QWidget(parent),
      captureButton_(new CaptureButton(this)),
      spinner_(spinner(captureButton_)),
      symbol_(new QLabel(captureButton_)),
      text_(new QLabel(captureButton_)),
      clearButton_(new QToolButton(captureButton_)) {
    auto* column = tightColumn(this, 6);

    auto* caption = new QLabel(tr("Press a Key"), this);
    style::apply(*caption, style::TextStyle::subheadline, style::secondary());
    column->addWidget(caption);
    column->addWidget(captureButton_);

    auto* row = new QHBoxLayout(captureButton_);
    row->setContentsMargins(12, 10, 10, 10);
    row->setSpacing(8);
    row->addWidget(spinner_);
    symbol_->setPixmap(style::symbol(QStringLiteral("keyboard"), 20, style::secondary()));
    row->addWidget(symbol_);
    text_->setTextFormat(Qt::PlainText);
    row->addWidget(text_);
    row->addStretch();
    clearButton_->setIcon(
        style::symbol(QStringLiteral("xmark.circle.fill"), 16, style::secondary()));
    clearButton_->setAutoRaise(true);
    clearButton_->setCursor(Qt::ArrowCursor);
    clearButton_->setToolTip(tr("Clear Key"));
    clearButton_->setAccessibleName(tr("Clear Key"));
    row->addWidget(clearButton_);

    connect(captureButton_, &QAbstractButton::clicked, this, &KeyCaptureView::startCapture);
    connect(clearButton_, &QToolButton::clicked, this,
            [this] { record(std::nullopt, std::nullopt); });
    refresh();
}

KeyCaptureView::~KeyCaptureView() {
    if (isCapturing_) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

void KeyCaptureView::setKey(std::optional<std::uint16_t> keyCode,
                            std::optional<std::string> keyName) {
    keyCode_ = keyCode;
    keyName_ = std::move(keyName);
    refresh();
}

void KeyCaptureView::startCapture() {
    if (isCapturing_) {
        return;
    }
    isCapturing_ = true;
    QCoreApplication::instance()->installEventFilter(this);
    refresh();
}

void KeyCaptureView::stopCapture() {
    if (isCapturing_) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
    isCapturing_ = false;
    refresh();
}

// Installed only while armed, on the application, so it sees each key before
// any widget, shortcut or dialog does.
bool KeyCaptureView::eventFilter(QObject* /*watched*/, QEvent* event) {
    const bool isShortcutCheck = event->type() == QEvent::ShortcutOverride;
    if (!isShortcutCheck && event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto& key = *static_cast<QKeyEvent*>(event);
    const auto keyCode = MacKeyCodes::fromX11Keycode(key.nativeScanCode());
    // A modifier pressed alone is no key press of its own, as in the input
    // monitor: it waits for the key it modifies.
    if (keyCode && MacKeyCodes::modifierFlag(*keyCode)) {
        return false;
    }
    // Accepting the shortcut check keeps shortcuts from acting on the key; the
    // press that follows is taken here. A key without a code cannot trigger
    // anything, so it is swallowed and capture goes on.
    event->accept();
    if (!isShortcutCheck && keyCode) {
        stopCapture();
        record(keyCode, displayName(*keyCode, key));
    }
    return true;
}

void KeyCaptureView::hideEvent(QHideEvent* event) {
    stopCapture();
    QWidget::hideEvent(event);
}

void KeyCaptureView::record(std::optional<std::uint16_t> keyCode,
                            std::optional<std::string> keyName) {
    setKey(keyCode, std::move(keyName));
    Q_EMIT keyChanged();
}

void KeyCaptureView::refresh() {
    static_cast<CaptureButton*>(captureButton_)->setArmed(isCapturing_);
    spinner_->setVisible(isCapturing_);
    symbol_->setVisible(!isCapturing_);
    clearButton_->setVisible(keyCode_.has_value() && !isCapturing_);

    if (isCapturing_ || (!keyCode_ && !keyName_)) {
        text_->setText(isCapturing_ ? tr("Press any key...") : tr("Click to capture key"));
        style::apply(*text_, style::TextStyle::body, style::secondary());
    } else {
        // A key without a name is shown by its code, as the mapping list does.
        text_->setText(keyName_ ? QString::fromStdString(*keyName_) : tr("Key %1").arg(*keyCode_));
        style::apply(*text_, style::TextStyle::title3, palette().color(QPalette::WindowText));
        QFont bold = text_->font();
        bold.setBold(true);
        text_->setFont(bold);
    }
    captureButton_->setAccessibleName(text_->text());
}

}  // namespace thrumwise
