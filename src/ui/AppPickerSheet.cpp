#include "ui/AppPickerSheet.h"

#include "ui/AppFilePicker.h"
#include "ui/AppListModel.h"
#include "ui/AppRow.h"
#include "ui/InstalledApps.h"
#include "ui/Layouts.h"
#include "ui/SheetParts.h"
#include "ui/Style.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace thrumwise {

AppPickerSheet::AppPickerSheet(const QString& title, QSize size, InstalledApps& apps,
                               AppFilePicker& files, QWidget* parent)
    : QDialog(parent), apps_(apps), files_(files), model_(new AppListModel(this)) {
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setFixedSize(size);

    column_ = tightColumn(this, 0);
    column_->addWidget(sheetHeader(*this, title));
    column_->addWidget(style::divider(this));
    column_->addWidget(buildSearch());
    column_->addWidget(buildBrowse());

    listArea_ = new QStackedWidget(this);
    auto* scanning = new QWidget(listArea_);
    auto* scanningRow = new QHBoxLayout(scanning);
    scanningRow->addStretch();
    scanningRow->addWidget(spinner(scanning));
    auto* scanningText = new QLabel(tr("Looking for applications and games..."), scanning);
    style::apply(*scanningText, style::TextStyle::body, style::secondary());
    scanningRow->addWidget(scanningText);
    scanningRow->addStretch();
    listArea_->addWidget(scanning);

    list_ = new QListView(listArea_);
    list_->setModel(model_);
    list_->setItemDelegate(new AppRow(apps_, list_));
    list_->setAccessibleName(tr("Applications"));
    list_->setUniformItemSizes(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(list_, &QListView::clicked, this,
            [this](const QModelIndex& index) { select(model_->appAt(index.row())); });
    connect(list_, &QListView::activated, this,
            [this](const QModelIndex& index) { select(model_->appAt(index.row())); });
    listArea_->addWidget(list_);
    auto* inset = new QWidget(this);
    auto* insetLayout = new QVBoxLayout(inset);
    insetLayout->setContentsMargins(style::defaultPadding, 0, style::defaultPadding,
                                    style::defaultPadding);
    insetLayout->addWidget(listArea_);
    column_->addWidget(inset, 1);
    column_->addWidget(style::divider(this));

    // The list is read once per opening, by a scan of its own, and not
    // refreshed while it is open.
    connect(&apps_, &InstalledApps::scanned, this,
            [this](std::uint64_t scan, const std::vector<InstalledApp>& found) {
                if (isScanning_ && scan == scan_) {
                    showScan(found);
                }
            });
    connect(&apps_, &InstalledApps::iconsChanged, list_->viewport(),
            [this] { list_->viewport()->update(); });
    scan_ = apps_.scan();
}

QWidget* AppPickerSheet::buildSearch() {
    auto* outer = new QWidget(this);
    auto* outerLayout = new QVBoxLayout(outer);
    outerLayout->setContentsMargins(style::defaultPadding, style::defaultPadding,
                                    style::defaultPadding, 0);
    auto* box = new QWidget(outer);
    box->setObjectName(QStringLiteral("searchBox"));
    box->setStyleSheet(QStringLiteral("#searchBox { background: %1; border-radius: 8px; }")
                           .arg(style::controlBackground().name()));
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(10, 10, 10, 10);
    auto* glass = new QLabel(box);
    glass->setPixmap(style::symbol(QStringLiteral("magnifyingglass"), 16, style::secondary()));
    row->addWidget(glass);
    search_ = new QLineEdit(box);
    search_->setFrame(false);
    search_->setPlaceholderText(tr("Search applications..."));
    search_->setAccessibleName(tr("Search applications"));
    search_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    row->addWidget(search_, 1);
    auto* clear = new QToolButton(box);
    clear->setAutoRaise(true);
    clear->setIcon(style::symbol(QStringLiteral("xmark.circle.fill"), 16, style::secondary()));
    clear->setAccessibleName(tr("Clear search"));
    clear->hide();
    connect(clear, &QToolButton::clicked, search_, &QLineEdit::clear);
    connect(search_, &QLineEdit::textChanged, this, [this, clear](const QString& text) {
        clear->setVisible(!text.isEmpty());
        model_->setSearchText(text);
    });
    row->addWidget(clear);
    outerLayout->addWidget(box);
    return outer;
}

QWidget* AppPickerSheet::buildBrowse() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(style::defaultPadding, 6, style::defaultPadding, 8);
    auto* browse = sheetButton(tr("Can't find it? Browse…"), row);
    browse->setFlat(true);
    browse->setCursor(Qt::PointingHandCursor);
    browse->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; }"));
    style::apply(*browse, style::TextStyle::caption, style::accent());
    connect(browse, &QPushButton::clicked, this, &AppPickerSheet::browse);
    layout->addWidget(browse);
    layout->addStretch();
    return row;
}

void AppPickerSheet::addBelowList(QWidget* part) {
    column_->addWidget(part);
    column_->addWidget(style::divider(this));
}

void AppPickerSheet::addFooter(const QString& finishText) {
    auto* footer = new QWidget(this);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(16, 12, 16, 12);
    selectedColumn_ = new QWidget(footer);
    auto* selected = tightColumn(selectedColumn_, 0);
    selectedName_ = style::plainLabel({}, selectedColumn_);
    style::apply(*selectedName_, style::TextStyle::caption, style::primary(), style::Weight::bold);
    selectedId_ = style::plainLabel({}, selectedColumn_);
    style::apply(*selectedId_, style::TextStyle::caption2, style::secondary());
    selected->addWidget(selectedName_);
    selected->addWidget(selectedId_);
    selectedColumn_->hide();
    row->addWidget(selectedColumn_);
    row->addStretch();
    auto* cancel = sheetButton(tr("Cancel"), footer);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(cancel);
    finishButton_ = prominentButton(finishText, footer);
    connect(finishButton_, &QPushButton::clicked, this, [this] {
        if (canFinish()) {
            finish();
        }
    });
    row->addWidget(finishButton_);
    column_->addWidget(footer);
    updateFinishButton();
}

void AppPickerSheet::preselect(const InstalledApp& app) {
    if (isScanning_) {
        preselected_ = app;
    } else {
        select(model_->addApp(app));
    }
}

void AppPickerSheet::updateFinishButton() {
    finishButton_->setEnabled(canFinish());
}

void AppPickerSheet::appPicked(const InstalledApp& /*app*/) {}

void AppPickerSheet::showScan(const std::vector<InstalledApp>& apps) {
    isScanning_ = false;
    model_->setApps(apps);
    listArea_->setCurrentWidget(list_);
    if (preselected_) {
        select(model_->addApp(*std::exchange(preselected_, std::nullopt)));
    }
}

void AppPickerSheet::select(const InstalledApp& app) {
    selectedApp_ = app;  // a copy: the list may move its entries later
    model_->setSelectedBundleId(app.bundleId);
    selectedName_->setText(app.displayName);
    selectedId_->setText(app.bundleId);
    selectedColumn_->show();
    appPicked(app);
    updateFinishButton();
}

void AppPickerSheet::browse() {
    const auto path = files_.pickApplication(this);
    if (!path) {
        return;
    }
    const auto app = apps_.readPickedApp(*path);
    if (!app) {
        const QFileInfo picked(*path);
        const QString why = picked.isDir() || path->endsWith(QLatin1String(".app"))
                                ? tr(" doesn't look like a valid macOS app bundle.")
                                : tr(" doesn't look like a valid application.");
        auto* alert = new QMessageBox(QMessageBox::Warning, tr("Couldn't Read App"),
                                      picked.fileName() + why, QMessageBox::Ok, this);
        alert->setTextFormat(Qt::PlainText);
        alert->setAttribute(Qt::WA_DeleteOnClose);
        alert->open();
        return;
    }
    preselect(*app);
}

}  // namespace thrumwise
