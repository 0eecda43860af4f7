#pragma once

#include "ui/ViewServices.h"

#include <functional>
#include <optional>
#include <string>

#include <QMainWindow>

class QListView;
class QStackedWidget;
class QToolButton;

namespace thrumwise {

class EmptyStateView;
class ProfileEditorView;
class ProfileListModel;

// The main window: the sidebar with the status panel and the profiles, the
// selected profile's editor beside it, and the haptics switch in the toolbar.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    struct Actions {
        // Checks the two permissions again at once.
        std::function<void()> recheckPermissions;
    };

    MainWindow(ViewServices services, const Actions& actions, QWidget* parent = nullptr);

    // The id of the profile chosen in the sidebar, kept while it is gone.
    const std::optional<std::string>& selectedProfileId() const { return selectedProfileId_; }
    void selectProfile(const std::optional<std::string>& id);

Q_SIGNALS:
    // The standard settings command (Ctrl+,).
    void settingsRequested();

private:
    QWidget* buildSidebar(const Actions& actions);
    QWidget* buildHeader();
    void buildToolbar();
    void renderSwitch();
    void showDetail();
    // Opens the add-profile sheet, with `bundleId`'s application chosen when given.
    void openAddProfile(const std::optional<std::string>& bundleId);

    ViewServices services_;
    std::optional<std::string> selectedProfileId_;
    ProfileListModel* profiles_ = nullptr;
    bool isListChanging_ = false;
    QListView* list_ = nullptr;
    QStackedWidget* detail_ = nullptr;
    EmptyStateView* empty_ = nullptr;
    ProfileEditorView* editor_ = nullptr;
    QToolButton* switch_ = nullptr;
};

}  // namespace thrumwise
