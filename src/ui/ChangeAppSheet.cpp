#include "ui/ChangeAppSheet.h"

namespace thrumwise {

ChangeAppSheet::ChangeAppSheet(InstalledApps& apps, AppFilePicker& files, SelectHandler onSelect,
                               QWidget* parent)
    : AppPickerSheet(tr("Change App"), QSize(500, 520), apps, files, parent),
      onSelect_(std::move(onSelect)) {
    addFooter(tr("Select App"));
}

void ChangeAppSheet::finish() {
    onSelect_(*selectedApp());
    accept();
}

}  // namespace thrumwise
