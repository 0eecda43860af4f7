#include "ui/ProfileEditorView.h"

#include "model/Identifier.h"
#include "state/AppState.h"
#include "ui/AddMappingSheet.h"
#include "ui/AppIconView.h"
#include "ui/ChangeAppSheet.h"
#include "ui/InstalledApps.h"
#include "ui/Layouts.h"
#include "ui/MappingColumnHeader.h"
#include "ui/MappingRow.h"
#include "ui/SheetParts.h"
#include "ui/Style.h"

#include <algorithm>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace thrumwise {

namespace {

// The editor's Add Mapping buttons: prominent, but Return stays with the name field.
QPushButton* addMappingButton(QWidget* parent) {
    QPushButton* button = prominentButton(ProfileEditorView::tr("Add Mapping"), parent);
    button->setIcon(style::symbol(QStringLiteral("plus"), 14, Qt::white));
    button->setDefault(false);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

ProfileEditorView::ProfileEditorView(std::string profileId, std::function<void()> onDelete,
                                     ViewServices services, QWidget* parent)
    : QWidget(parent),
      profileId_(std::move(profileId)),
      onDelete_(std::move(onDelete)),
      services_(services) {
    auto* layout = tightColumn(this, 0);
    layout->addWidget(buildHeader());
    layout->addWidget(style::divider(this));
    layout->addWidget(buildMappingBar());
    layout->addWidget(style::divider(this));

    content_ = new QStackedWidget(this);
    content_->addWidget(buildEmptyMappings());
    table_ = new QWidget(content_);
    auto* tableLayout = tightColumn(table_, 0);
    tableLayout->addWidget(new MappingColumnHeader(table_));
    tableLayout->addWidget(style::divider(table_));
    auto* scroll = new QScrollArea(table_);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    auto* rowsHost = new QWidget(scroll);
    rows_ = tightColumn(rowsHost, 0);
    rows_->addStretch();
    scroll->setWidget(rowsHost);
    tableLayout->addWidget(scroll, 1);
    content_->addWidget(table_);
    layout->addWidget(content_, 1);

    layout->addWidget(style::divider(this));
    layout->addWidget(buildTips());

    connect(&services_.state, &AppState::profilesChanged, this, &ProfileEditorView::render);
    connect(&services_.apps, &InstalledApps::iconsChanged, icon_, &AppIconView::refresh);
    render();
}

QWidget* ProfileEditorView::buildHeader() {
    auto* header = new QWidget(this);
    style::fillBackground(*header, style::controlBackground());
    auto* layout = tightColumn(header, 0);

    auto* identity = new QHBoxLayout;
    identity->setContentsMargins(style::defaultPadding, style::defaultPadding,
                                 style::defaultPadding, 10);
    identity->setSpacing(12);
    icon_ = new AppIconView(services_.icons, 40, header);
    identity->addWidget(icon_, 0, Qt::AlignVCenter);
    auto* names = new QVBoxLayout;
    names->setSpacing(3);
    name_ = new QLineEdit(header);
    name_->setFrame(false);
    name_->setPlaceholderText(tr("Profile Name"));
    name_->setAccessibleName(tr("Profile Name"));
    name_->setFont(style::font(style::TextStyle::title2, style::Weight::bold));
    name_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
        GameProfile changed = profile();
        changed.displayName = text.toStdString();
        write(changed);
    });
    names->addWidget(name_);
    bundleId_ = style::plainLabel({}, header);
    bundleId_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    style::apply(*bundleId_, style::TextStyle::caption, style::secondary());
    names->addWidget(bundleId_);
    identity->addLayout(names, 1);
    layout->addLayout(identity);

    auto* actions = new QHBoxLayout;
    actions->setContentsMargins(style::defaultPadding, 0, style::defaultPadding, 10);
    actions->setSpacing(8);
    auto* changeApp = new QPushButton(tr("Change App"), header);
    connect(changeApp, &QPushButton::clicked, this, &ProfileEditorView::openChangeApp);
    auto* duplicate = new QPushButton(tr("Duplicate"), header);
    connect(duplicate, &QPushButton::clicked, this, &ProfileEditorView::duplicate);
    auto* remove = new QPushButton(tr("Delete"), header);
    style::apply(*remove, style::TextStyle::body, style::negative());
    connect(remove, &QPushButton::clicked, this, &ProfileEditorView::confirmDelete);
    actions->addWidget(changeApp);
    actions->addWidget(duplicate);
    actions->addWidget(remove);
    actions->addStretch();
    blockPressmint_ = new QCheckBox(tr("Block Pressmint"), header);
    style::apply(*blockPressmint_, style::TextStyle::caption, style::secondary());
    connect(blockPressmint_, &QCheckBox::toggled, this, [this](bool checked) {
        GameProfile changed = profile();
        changed.blockPressmint = checked;
        write(changed);
    });
    actions->addWidget(blockPressmint_);
    layout->addLayout(actions);
    return header;
}

QWidget* ProfileEditorView::buildMappingBar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(style::defaultPadding, 10, style::defaultPadding, 10);
    auto* title = new QLabel(tr("Mappings"), bar);
    title->setFont(style::font(style::TextStyle::headline));
    layout->addWidget(title);
    layout->addStretch();
    auto* add = addMappingButton(bar);
    connect(add, &QPushButton::clicked, this, [this] { openMappingSheet(std::nullopt); });
    layout->addWidget(add);
    return bar;
}

QWidget* ProfileEditorView::buildEmptyMappings() {
    auto* empty = new QWidget(this);
    auto* layout = tightColumn(empty, 16);
    layout->setContentsMargins(style::defaultPadding, style::defaultPadding, style::defaultPadding,
                               style::defaultPadding);
    layout->addStretch();
    auto* symbol = new QLabel(empty);
    symbol->setPixmap(style::symbol(QStringLiteral("keyboard"), 48, style::secondary()));
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    auto* title = new QLabel(tr("No Mappings Yet"), empty);
    style::apply(*title, style::TextStyle::headline, style::secondary());
    layout->addWidget(title, 0, Qt::AlignHCenter);
    auto* hint = new QLabel(
        tr("Add a mapping to trigger haptic feedback on a key press or mouse click"), empty);
    style::apply(*hint, style::TextStyle::body, style::secondary());
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* add = addMappingButton(empty);
    connect(add, &QPushButton::clicked, this, [this] { openMappingSheet(std::nullopt); });
    layout->addWidget(add, 0, Qt::AlignHCenter);
    layout->addStretch();
    return empty;
}

QWidget* ProfileEditorView::buildTips() {
    auto* tips = new QWidget(this);
    style::fillBackground(*tips, style::controlBackground());
    auto* layout = tightColumn(tips, 6);
    layout->setContentsMargins(style::defaultPadding, 10, style::defaultPadding, 10);
    auto* title = new QLabel(tr("Tips for best results:"), tips);
    style::apply(*title, style::TextStyle::caption, style::secondary(), style::Weight::bold);
    layout->addWidget(title);
    for (const QString& tip :
         {tr("• For shooting games, set the attack button to a recoil haptic and turn on hold"),
          tr("• For movement, turn on hold and set the cooldown to around 160ms to simulate the "
             "gap between steps"),
          tr("• Don't map haptics to every game control, fewer is often better!")}) {
        auto* line = new QLabel(tip, tips);
        style::apply(*line, style::TextStyle::caption, style::secondary());
        line->setWordWrap(true);
        layout->addWidget(line);
    }
    return tips;
}

void ProfileEditorView::focusName() {
    name_->setFocus(Qt::ShortcutFocusReason);
    name_->selectAll();
}

GameProfile ProfileEditorView::profile() const {
    const auto& profiles = services_.state.profiles();
    const auto found = std::find_if(profiles.begin(), profiles.end(),
                                    [this](const GameProfile& p) { return p.id == profileId_; });
    if (found != profiles.end()) {
        return *found;
    }
    GameProfile placeholder = GameProfile::create({}, {});
    return placeholder;
}

void ProfileEditorView::write(const GameProfile& changed) {
    if (changed.id != profileId_ || !services_.state.replaceProfile(changed)) {
        return;
    }
    services_.state.saveProfiles();
    services_.state.refreshActiveProfile(changed);
}

void ProfileEditorView::render() {
    const GameProfile current = profile();
    icon_->setBundleId(current.bundleId);
    const QString name = QString::fromStdString(current.displayName);
    if (name_->text() != name) {
        name_->setText(name);
    }
    bundleId_->setText(QString::fromStdString(current.bundleId));
    {
        const QSignalBlocker quiet(blockPressmint_);
        blockPressmint_->setChecked(current.blockPressmint);
    }
    if (!hasShownMappings_ || current.mappings != shownMappings_) {
        renderMappings(current.mappings);
    }
}

void ProfileEditorView::renderMappings(const std::vector<KeyMapping>& mappings) {
    while (rows_->count() > 1) {  // the last item is the stretch
        QLayoutItem* item = rows_->takeAt(0);
        // Later: this may run inside the click of a button in that row.
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    for (const KeyMapping& mapping : mappings) {
        auto* row = new MappingRow(
            mapping, [this, mapping] { openMappingSheet(mapping); },
            [this, id = mapping.id] { deleteMapping(id); });
        rows_->insertWidget(rows_->count() - 1, row);
        rows_->insertWidget(rows_->count() - 1, style::divider(row->parentWidget()));
    }
    content_->setCurrentWidget(mappings.empty() ? content_->widget(0) : table_);
    shownMappings_ = mappings;
    hasShownMappings_ = true;
}

// The sheet belongs to this editor, so its mapping is written to this
// editor's profile whatever is selected meanwhile.
void ProfileEditorView::openMappingSheet(const std::optional<KeyMapping>& editing) {
    auto* sheet = new AddMappingSheet(
        editing, profile().mappings, services_.haptics,
        [this](const KeyMapping& mapping) { saveMapping(mapping); }, this);
    connect(sheet, &QDialog::finished, sheet, &QObject::deleteLater);
    sheet->open();
}

// The profile takes the application's name as its own; nothing else changes.
void ProfileEditorView::openChangeApp() {
    auto* sheet = new ChangeAppSheet(
        services_.apps, services_.files,
        [this](const InstalledApp& app) {
            GameProfile changed = profile();
            changed.bundleId = app.bundleId.toStdString();
            changed.displayName = app.displayName.toStdString();
            write(changed);
        },
        this);
    connect(sheet, &QDialog::finished, sheet, &QObject::deleteLater);
    sheet->open();
}

// An edited mapping keeps its place; a new one goes to the end.
void ProfileEditorView::saveMapping(const KeyMapping& mapping) {
    GameProfile changed = profile();
    const auto found = std::find_if(changed.mappings.begin(), changed.mappings.end(),
                                    [&mapping](const KeyMapping& m) { return m.id == mapping.id; });
    if (found != changed.mappings.end()) {
        *found = mapping;
    } else {
        changed.mappings.push_back(mapping);
    }
    write(changed);
}

void ProfileEditorView::deleteMapping(const std::string& mappingId) {
    GameProfile changed = profile();
    std::erase_if(changed.mappings,
                  [&mappingId](const KeyMapping& mapping) { return mapping.id == mappingId; });
    write(changed);
}

void ProfileEditorView::duplicate() {
    const GameProfile source = profile();
    GameProfile copy = GameProfile::create(source.displayName + " (Copy)", source.bundleId);
    copy.mappings = source.mappings;
    for (KeyMapping& mapping : copy.mappings) {
        mapping.id = newIdentifier();
    }
    copy.isEnabled = source.isEnabled;
    copy.blockPressmint = source.blockPressmint;
    std::vector<GameProfile> profiles = services_.state.profiles();
    profiles.push_back(std::move(copy));
    services_.state.setProfiles(std::move(profiles));
    services_.state.saveProfiles();
}

void ProfileEditorView::confirmDelete() {
    auto* alert = new QMessageBox(QMessageBox::Warning, tr("Delete Profile?"),
                                  tr("This will permanently delete \"%1\" and all its mappings.")
                                      .arg(QString::fromStdString(profile().displayName)),
                                  QMessageBox::NoButton, this);
    // The name comes from the user or an application: never markup.
    alert->setTextFormat(Qt::PlainText);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->addButton(tr("Cancel"), QMessageBox::RejectRole);
    QPushButton* confirm = alert->addButton(tr("Delete"), QMessageBox::DestructiveRole);
    connect(confirm, &QPushButton::clicked, this, [this] {
        services_.state.deleteProfile(profileId_);
        onDelete_();
    });
    alert->open();
}

}  // namespace thrumwise
