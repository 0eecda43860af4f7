#include "ui/StatusBar.h"

#include "state/AppState.h"
#include "ui/Layouts.h"
#include "ui/PermissionWarning.h"
#include "ui/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace thrumwise {

namespace {

QPixmap dot(const QColor& color) {
    constexpr int size = 8;
    QPixmap pixmap(size * 2, size * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(0, 0, size, size));
    return pixmap;
}

}  // namespace

StatusBar::StatusBar(AppState& state, Actions actions, QWidget* parent)
    : QWidget(parent), state_(state), actions_(std::move(actions)) {
    auto* layout = tightColumn(this, 6);

    saveWarning_ = new PermissionWarning(
        tr("Profiles not saved"), {}, [this] { state_.saveProfiles(); }, this);
    accessibilityWarning_ = new PermissionWarning(
        tr("Accessibility not granted"),
        tr("Click to check again. Thrumwise needs an X11 or XWayland session to see which "
           "window is in front; on a Wayland desktop, run the game under XWayland."),
        [this] { actions_.recheckPermissions(); }, this);
    inputMonitoringWarning_ = new PermissionWarning(
        tr("Input Monitoring not granted"),
        tr("Click to check again. Thrumwise hears keys and clicks through the X server's "
           "XInput 2.2 raw events; start it in an X11 or XWayland session that offers them."),
        [this] { actions_.recheckPermissions(); }, this);
    layout->addWidget(saveWarning_);
    layout->addWidget(accessibilityWarning_);
    layout->addWidget(inputMonitoringWarning_);

    auto* plugin = new QWidget(this);
    auto* pluginRow = tightRow(plugin, 6);
    pluginDot_ = new QLabel(plugin);
    pluginText_ = new QLabel(plugin);
    style::apply(*pluginText_, style::TextStyle::caption, style::secondary());
    pluginRow->addWidget(pluginDot_);
    pluginRow->addWidget(pluginText_);
    pluginRow->addStretch();
    layout->addWidget(plugin);

    activeProfile_ = new QWidget(this);
    auto* activeRow = tightRow(activeProfile_, 4);
    auto* controller = new QLabel(activeProfile_);
    controller->setPixmap(style::symbol(QStringLiteral("gamecontroller"), 14, style::positive()));
    activeProfileName_ = style::plainLabel({}, activeProfile_);
    style::apply(*activeProfileName_, style::TextStyle::caption, style::positive());
    activeRow->addWidget(controller);
    activeRow->addWidget(activeProfileName_);
    activeRow->addStretch();
    layout->addWidget(activeProfile_);

    lastInput_ = style::plainLabel({}, this);
    style::apply(*lastInput_, style::TextStyle::caption2, style::secondary());
    layout->addWidget(lastInput_);

    unmatched_ = new QWidget(this);
    auto* unmatchedColumn = tightColumn(unmatched_, 1);
    auto* unmatchedTitle = new QLabel(tr("No profile matched:"), unmatched_);
    style::apply(*unmatchedTitle, style::TextStyle::caption2, style::secondary());
    unmatchedColumn->addWidget(unmatchedTitle);
    auto* unmatchedRow = new QHBoxLayout;
    unmatchedRow->setSpacing(6);
    unmatchedId_ = style::plainLabel({}, unmatched_);
    unmatchedId_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    style::apply(*unmatchedId_, style::TextStyle::caption2, style::secondary());
    auto* create = new QPushButton(tr("Create Profile"), unmatched_);
    create->setFlat(true);
    create->setCursor(Qt::PointingHandCursor);
    create->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; }"));
    style::apply(*create, style::TextStyle::caption2, style::accent());
    connect(create, &QPushButton::clicked, this, [this] {
        if (state_.frontmostBundleId()) {
            actions_.createProfileFor(*state_.frontmostBundleId());
        }
    });
    unmatchedRow->addWidget(unmatchedId_);
    unmatchedRow->addWidget(create);
    unmatchedRow->addStretch();
    unmatchedColumn->addLayout(unmatchedRow);
    layout->addWidget(unmatched_);

    for (const auto changed :
         {&AppState::profileSaveErrorChanged, &AppState::isAccessibilityGrantedChanged,
          &AppState::isInputMonitoringGrantedChanged, &AppState::isPluginConnectedChanged,
          &AppState::activeProfileChanged, &AppState::lastInputEventChanged,
          &AppState::frontmostBundleIdChanged}) {
        connect(&state_, changed, this, &StatusBar::render);
    }
    render();
}

// Updates the lines in place, so that a selection in the identifier survives
// the frontmost poll's five updates a second.
void StatusBar::render() {
    const auto& saveError = state_.profileSaveError();
    saveWarning_->setVisible(saveError.has_value());
    if (saveError) {
        saveWarning_->setHint(QString::fromStdString(*saveError) + tr(" Click to try again."));
    }
    accessibilityWarning_->setVisible(!state_.isAccessibilityGranted());
    inputMonitoringWarning_->setVisible(state_.isAccessibilityGranted() &&
                                        !state_.isInputMonitoringGranted());

    const bool connected = state_.isPluginConnected();
    if (connected != shownConnected_) {
        shownConnected_ = connected;
        pluginDot_->setPixmap(dot(connected ? style::positive() : style::negative()));
        pluginText_->setText(connected ? tr("Plugin Connected") : tr("Plugin Not Found"));
    }

    const auto& active = state_.activeProfile();
    activeProfile_->setVisible(active.has_value());
    if (active) {
        activeProfileName_->setText(QString::fromStdString(active->displayName));
    }

    const auto& lastInput = state_.lastInputEvent();
    lastInput_->setVisible(lastInput.has_value());
    if (lastInput) {
        lastInput_->setText(QString::fromStdString(*lastInput));
    }

    const auto& front = state_.frontmostBundleId();
    unmatched_->setVisible(!active && front.has_value());
    if (!active && front) {
        const QString id = QString::fromStdString(*front);
        if (unmatchedId_->text() != id) {
            unmatchedId_->setText(id);
        }
    }
}

}  // namespace thrumwise
