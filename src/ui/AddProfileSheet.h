#pragma once

#include "ui/AppPickerSheet.h"

class QLineEdit;

namespace thrumwise {

class AppState;

// Makes a new profile for an application the user picks, under a name taken
// from the application unless the user typed one.
class AddProfileSheet : public AppPickerSheet {
    Q_OBJECT

public:
    AddProfileSheet(AppState& state, InstalledApps& apps, AppFilePicker& files,
                    QWidget* parent = nullptr);

    // Opens with `app` chosen, as when a profile is made for the application in front.
    void choose(const InstalledApp& app) { preselect(app); }

private:
    void appPicked(const InstalledApp& app) override;
    bool canFinish() const override;
    void finish() override;

    AppState& state_;
    QWidget* nameRow_;
    QLineEdit* name_;
};

}  // namespace thrumwise
