#pragma once

#include "ui/AppPickerSheet.h"

#include <functional>

namespace thrumwise {

// Picks another application for a profile; the editor takes it from there.
class ChangeAppSheet : public AppPickerSheet {
    Q_OBJECT

public:
    using SelectHandler = std::function<void(const InstalledApp&)>;

    ChangeAppSheet(InstalledApps& apps, AppFilePicker& files, SelectHandler onSelect,
                   QWidget* parent = nullptr);

private:
    void finish() override;

    SelectHandler onSelect_;
};

}  // namespace thrumwise
