#include "ui/MainWindow.h"

#include "state/AppState.h"
#include "ui/AddProfileSheet.h"
#include "ui/EmptyStateView.h"
#include "ui/InstalledApps.h"
#include "ui/Layouts.h"
#include "ui/ProfileEditorView.h"
#include "ui/ProfileListModel.h"
#include "ui/ProfileRow.h"
#include "ui/StatusBar.h"
#include "ui/Style.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace thrumwise {

namespace {

QPixmap roundedLogo(int size, qreal radius) {
    QPixmap pixmap(QSize(size, size) * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath corners;
    corners.addRoundedRect(QRectF(0, 0, size, size), radius, radius);
    painter.setClipPath(corners);
    QIcon(QStringLiteral(":/icons/AppLogo.svg")).paint(&painter, QRect(0, 0, size, size));
    return pixmap;
}

QString versionText() {
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("1.0") : version;
}

}  // namespace

MainWindow::MainWindow(ViewServices services, const Actions& actions, QWidget* parent)
    : QMainWindow(parent), services_(services) {
    setWindowTitle(QStringLiteral("Thrumwise"));
    setMinimumSize(900, 600);

    auto* split = new QSplitter(this);
    split->setChildrenCollapsible(false);
    split->addWidget(buildSidebar(actions));
    detail_ = new QStackedWidget(split);
    empty_ = new EmptyStateView(detail_);
    detail_->addWidget(empty_);
    split->addWidget(detail_);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({250, 650});
    resize(980, 640);
    setCentralWidget(split);
    buildToolbar();

    auto* settings = new QAction(tr("Settings..."), this);
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->setShortcutContext(Qt::WindowShortcut);
    connect(settings, &QAction::triggered, this, &MainWindow::settingsRequested);
    addAction(settings);

    auto* rename = new QAction(tr("Rename Profile"), this);
    rename->setShortcut(QKeySequence(Qt::Key_F2));
    rename->setShortcutContext(Qt::WindowShortcut);
    connect(rename, &QAction::triggered, this, [this] {
        if (editor_ != nullptr) {
            editor_->focusName();
        }
    });
    addAction(rename);
    // The profiles take the keyboard first: the arrows pick one at once.
    list_->setFocus();

    connect(&services_.state, &AppState::profilesChanged, this, &MainWindow::showDetail);
    connect(&services_.apps, &InstalledApps::iconsChanged, list_->viewport(),
            [this] { list_->viewport()->update(); });
    showDetail();
}

QWidget* MainWindow::buildSidebar(const Actions& actions) {
    auto* sidebar = new QWidget(this);
    sidebar->setMinimumWidth(250);
    auto* layout = tightColumn(sidebar, 0);

    layout->addWidget(buildHeader());
    layout->addWidget(style::divider(sidebar));

    auto* status = new StatusBar(services_.state,
                                 {actions.recheckPermissions,
                                  [this](const std::string& bundleId) {
                                      openAddProfile(bundleId);
                                  }},
                                 sidebar);
    auto* statusFrame = new QWidget(sidebar);
    auto* statusLayout = new QVBoxLayout(statusFrame);
    statusLayout->setContentsMargins(style::defaultPadding, 8, style::defaultPadding, 8);
    statusLayout->addWidget(status);
    layout->addWidget(statusFrame);
    layout->addWidget(style::divider(sidebar));

    auto* section = new QLabel(tr("Game Profiles"), sidebar);
    style::apply(*section, style::TextStyle::caption, style::secondary(), style::Weight::bold);
    section->setContentsMargins(style::defaultPadding, 8, style::defaultPadding, 4);
    layout->addWidget(section);

    profiles_ = new ProfileListModel(services_.state, this);
    // Before the list hears of a change: the list moves its selection to a
    // neighbour when the selected row goes, and that is no pick of the user.
    const auto changing = [this] {
        isListChanging_ = true;
    };
    const auto changed = [this] {
        isListChanging_ = false;
        selectProfile(selectedProfileId_);
    };
    connect(profiles_, &QAbstractItemModel::rowsAboutToBeRemoved, this, changing);
    connect(profiles_, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(profiles_, &QAbstractItemModel::modelAboutToBeReset, this, changing);
    connect(profiles_, &QAbstractItemModel::modelReset, this, changed);
    list_ = new QListView(sidebar);
    list_->setModel(profiles_);
    list_->setItemDelegate(new ProfileRow(services_.icons, list_));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setAccessibleName(tr("Game Profiles"));
    list_->setUniformItemSizes(true);
    QPalette listPalette = list_->palette();
    listPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    list_->setPalette(listPalette);
    // Only a row the user picks selects, not the list's own current row.
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList picked = list_->selectionModel()->selectedRows();
        if (!isListChanging_ && !picked.isEmpty()) {
            selectProfile(picked.front().data(ProfileListModel::IdRole).toString().toStdString());
        }
    });
    layout->addWidget(list_, 1);
    layout->addWidget(style::divider(sidebar));

    auto* add = new QPushButton(style::symbol(QStringLiteral("plus"), 14, style::primary()),
                                tr("Add Profile"), sidebar);
    auto* addFrame = new QWidget(sidebar);
    auto* addLayout = new QVBoxLayout(addFrame);
    addLayout->setContentsMargins(style::defaultPadding, style::defaultPadding,
                                  style::defaultPadding, style::defaultPadding);
    connect(add, &QPushButton::clicked, this, [this] { openAddProfile(std::nullopt); });
    addLayout->addWidget(add);
    layout->addWidget(addFrame);
    return sidebar;
}

QWidget* MainWindow::buildHeader() {
    auto* header = new QWidget(this);
    style::fillBackground(*header, style::controlBackground());
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(style::defaultPadding, style::defaultPadding, style::defaultPadding,
                               style::defaultPadding);
    layout->setSpacing(style::defaultSpacing);

    auto* logo = new QLabel(header);
    logo->setPixmap(roundedLogo(32, 7));
    logo->setFixedSize(32, 32);
    logo->setAccessibleName(QStringLiteral("Thrumwise"));
    layout->addWidget(logo);

    auto* names = new QVBoxLayout;
    names->setSpacing(0);
    auto* name = new QLabel(QStringLiteral("Thrumwise"), header);
    name->setFont(style::font(style::TextStyle::headline));
    auto* version = new QLabel(versionText(), header);
    style::apply(*version, style::TextStyle::caption2, style::secondary());
    names->addWidget(name);
    names->addWidget(version);
    layout->addLayout(names);
    layout->addStretch();
    return header;
}

void MainWindow::buildToolbar() {
    auto* toolbar = addToolBar(tr("Haptics"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->toggleViewAction()->setEnabled(false);
    auto* spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    switch_ = new QToolButton(toolbar);
    switch_->setCheckable(true);
    switch_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    switch_->setIconSize(QSize(14, 14));
    connect(switch_, &QToolButton::clicked, this,
            [this] { services_.state.setEnabled(!services_.state.isEnabled()); });
    toolbar->addWidget(switch_);
    connect(&services_.state, &AppState::isEnabledChanged, this, &MainWindow::renderSwitch);
    renderSwitch();
}

void MainWindow::renderSwitch() {
    const bool enabled = services_.state.isEnabled();
    const QColor tint = enabled ? style::positive() : style::neutral();
    switch_->setChecked(enabled);
    switch_->setText(enabled ? tr("Enabled") : tr("Disabled"));
    switch_->setIcon(style::symbol(
        enabled ? QStringLiteral("bolt.fill") : QStringLiteral("bolt.slash"), 14, tint));
    switch_->setToolTip(enabled ? tr("Disable haptics") : tr("Enable haptics"));
    switch_->setAccessibleName(enabled ? tr("Disable haptics") : tr("Enable haptics"));
    QColor fill = tint;
    fill.setAlphaF(0.15F);
    switch_->setStyleSheet(QStringLiteral("QToolButton { color: %1; background: %2; padding: 5px "
                                          "10px; border: none; border-radius: 6px; }")
                               .arg(tint.name(), fill.name(QColor::HexArgb)));
}

void MainWindow::selectProfile(const std::optional<std::string>& id) {
    selectedProfileId_ = id;
    const auto row = id ? profiles_->rowOf(*id) : std::nullopt;
    if (!row) {
        list_->clearSelection();
    } else if (!list_->selectionModel()->isRowSelected(*row)) {
        list_->setCurrentIndex(profiles_->index(*row));
    }
    showDetail();
}

// The editor for the selected profile while the list has it, else the empty
// view; an editor for a profile that is gone is never shown.
void MainWindow::showDetail() {
    const auto& profiles = services_.state.profiles();
    const bool isListed =
        selectedProfileId_ &&
        std::any_of(profiles.begin(), profiles.end(), [this](const GameProfile& profile) {
            return profile.id == *selectedProfileId_;
        });
    if (!isListed) {
        if (editor_ != nullptr) {
            // Later: this may run inside the editor's own delete confirmation.
            editor_->deleteLater();
            editor_ = nullptr;
        }
        detail_->setCurrentWidget(empty_);
        return;
    }
    if (editor_ == nullptr || editor_->profileId() != *selectedProfileId_) {
        if (editor_ != nullptr) {
            editor_->deleteLater();
        }
        editor_ = new ProfileEditorView(
            *selectedProfileId_, [this] { selectProfile(std::nullopt); }, services_, detail_);
        detail_->addWidget(editor_);
    }
    detail_->setCurrentWidget(editor_);
}

// The new profile is not selected: the list shows where it went.
void MainWindow::openAddProfile(const std::optional<std::string>& bundleId) {
    auto* sheet = new AddProfileSheet(services_.state, services_.apps, services_.files, this);
    if (bundleId) {
        const QString id = QString::fromStdString(*bundleId);
        sheet->choose(InstalledApp{id, id, {}});
    }
    connect(sheet, &QDialog::finished, sheet, &QObject::deleteLater);
    sheet->open();
}

}  // namespace thrumwise
