#include "ui/AddProfileSheet.h"

#include "model/GameProfile.h"
#include "state/AppState.h"
#include "ui/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace thrumwise {

AddProfileSheet::AddProfileSheet(AppState& state, InstalledApps& apps, AppFilePicker& files,
                                 QWidget* parent)
    : AppPickerSheet(tr("Add Game Profile"), QSize(500, 600), apps, files, parent),
      state_(state),
      nameRow_(new QWidget(this)),
      name_(new QLineEdit(nameRow_)) {
    auto* row = new QHBoxLayout(nameRow_);
    row->setContentsMargins(16, 10, 16, 10);
    auto* label = new QLabel(tr("Profile Name:"), nameRow_);
    row->addWidget(label);
    name_->setPlaceholderText(tr("Enter name"));
    name_->setAccessibleName(tr("Profile Name"));
    label->setBuddy(name_);
    connect(name_, &QLineEdit::textChanged, this, &AddProfileSheet::updateFinishButton);
    row->addWidget(name_, 1);
    nameRow_->hide();  // until an application is chosen
    addBelowList(nameRow_);
    addFooter(tr("Add Profile"));
}

// A name the user typed, or one an earlier pick filled in, is kept.
void AddProfileSheet::appPicked(const InstalledApp& app) {
    nameRow_->show();
    if (name_->text().isEmpty()) {
        name_->setText(app.displayName);
    }
}

bool AddProfileSheet::canFinish() const {
    return selectedApp().has_value() && !name_->text().isEmpty();
}

// A second profile for an application that has one already is made all the same.
void AddProfileSheet::finish() {
    std::vector<GameProfile> profiles = state_.profiles();
    profiles.push_back(
        GameProfile::create(name_->text().toStdString(), selectedApp()->bundleId.toStdString()));
    state_.setProfiles(std::move(profiles));
    state_.saveProfiles();
    accept();
}

}  // namespace thrumwise
