#include "ui/AppFilePicker.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace thrumwise {

std::optional<QString> FileDialogAppPicker::pickApplication(QWidget* parent) {
    const QStringList applications =
        QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    QFileDialog dialog(parent, QFileDialog::tr("Select the game's .desktop file or .app bundle"),
                       applications.isEmpty() ? QDir::homePath() : applications.constFirst());
    // Qt's own dialog: it tells when a folder is entered, which picks a bundle.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QFileDialog::tr("Applications (*.desktop *.acf *.app)"),
                           QFileDialog::tr("All files (*)")});
    QString bundle;
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog,
                     [&dialog, &bundle](const QString& folder) {
                         if (folder.endsWith(QLatin1String(".app"))) {
                             bundle = folder;
                             static_cast<QDialog&>(dialog).done(QDialog::Accepted);
                         }
                     });
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    if (!bundle.isEmpty()) {
        return bundle;
    }
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? std::nullopt : std::optional(chosen.constFirst());
}

}  // namespace thrumwise
