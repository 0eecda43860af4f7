#pragma once

#include "discovery/InstalledApp.h"

#include <optional>

#include <QDialog>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStackedWidget;
class QVBoxLayout;

namespace thrumwise {

class AppFilePicker;
class AppListModel;
class InstalledApps;

// What the two application pickers share: a searchable list of the installed
// applications and games, filled by a scan when the sheet opens, a way to
// browse for one the scan did not find, and a footer that shows the selected
// application beside Cancel and the sheet's own button.
class AppPickerSheet : public QDialog {
    Q_OBJECT

protected:
    // A subclass adds what it needs below the list with addBelowList(), then
    // finishes with addFooter().
    AppPickerSheet(const QString& title, QSize size, InstalledApps& apps, AppFilePicker& files,
                   QWidget* parent);

    void addBelowList(QWidget* part);
    void addFooter(const QString& finishText);

    const std::optional<InstalledApp>& selectedApp() const { return selectedApp_; }
    // Selects `app` once the scan's list is in: the listed application with
    // its identifier, or `app` itself, added at the end of the list.
    void preselect(const InstalledApp& app);
    // Enables the sheet's button as canFinish() says.
    void updateFinishButton();

    // After the user picked `app` in the list or by browsing.
    virtual void appPicked(const InstalledApp& app);
    virtual bool canFinish() const { return selectedApp_.has_value(); }
    // The sheet's button (also Return, while enabled).
    virtual void finish() = 0;

private:
    QWidget* buildSearch();
    QWidget* buildBrowse();
    void showScan(const std::vector<InstalledApp>& apps);
    void select(const InstalledApp& app);
    void browse();

    InstalledApps& apps_;
    AppFilePicker& files_;
    AppListModel* model_;
    QVBoxLayout* column_ = nullptr;
    QStackedWidget* listArea_ = nullptr;
    QListView* list_ = nullptr;
    QLineEdit* search_ = nullptr;
    QWidget* selectedColumn_ = nullptr;
    QLabel* selectedName_ = nullptr;
    QLabel* selectedId_ = nullptr;
    QPushButton* finishButton_ = nullptr;
    bool isScanning_ = true;
    std::uint64_t scan_ = 0;  // the number of the sheet's own scan
    std::optional<InstalledApp> selectedApp_;
    std::optional<InstalledApp> preselected_;
};

}  // namespace thrumwise
