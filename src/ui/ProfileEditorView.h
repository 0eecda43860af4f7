#pragma once

#include "model/GameProfile.h"
#include "ui/ViewServices.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QVBoxLayout;

namespace thrumwise {

class AppIconView;

// The detail pane for one profile: its application, name and companion
// switch, the profile's actions, and its mappings. Every edit is written
// straight into the application state's list, which is then saved whole.
class ProfileEditorView : public QWidget {
    Q_OBJECT

public:
    // `onDelete` runs after the profile has been deleted.
    ProfileEditorView(std::string profileId, std::function<void()> onDelete, ViewServices services,
                      QWidget* parent = nullptr);

    const std::string& profileId() const { return profileId_; }
    // Puts the keyboard in the name field, its text selected.
    void focusName();

private:
    QWidget* buildHeader();
    QWidget* buildMappingBar();
    QWidget* buildEmptyMappings();
    QWidget* buildTips();

    // The profile as the list holds it now; a placeholder that is never
    // stored when the list no longer has it.
    GameProfile profile() const;
    // Replaces the profile in the list, saves the list and refreshes the
    // active profile; does nothing when the profile is gone.
    void write(const GameProfile& changed);

    void render();
    void renderMappings(const std::vector<KeyMapping>& mappings);
    // Opens the mapping sheet to add a mapping, or to edit `editing`.
    void openMappingSheet(const std::optional<KeyMapping>& editing);
    void openChangeApp();
    void saveMapping(const KeyMapping& mapping);
    void deleteMapping(const std::string& mappingId);
    void duplicate();
    void confirmDelete();

    const std::string profileId_;
    std::function<void()> onDelete_;
    ViewServices services_;

    AppIconView* icon_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLabel* bundleId_ = nullptr;
    QCheckBox* blockPressmint_ = nullptr;
    QStackedWidget* content_ = nullptr;
    QWidget* table_ = nullptr;
    QVBoxLayout* rows_ = nullptr;
    std::vector<KeyMapping> shownMappings_;
    bool hasShownMappings_ = false;
};

}  // namespace thrumwise
