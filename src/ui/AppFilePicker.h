#pragma once

#include <optional>

#include <QString>

class QWidget;

namespace thrumwise {

// Asks the user for an application the scan did not find: a desktop entry
// file, a Steam game's manifest or an application bundle folder. A test
// answers in its place.
class AppFilePicker {
public:
    virtual ~AppFilePicker() = default;
    // Nothing when the user cancels.
    virtual std::optional<QString> pickApplication(QWidget* parent) = 0;
};

// The file dialog. Entering a folder whose name ends in ".app" picks it, as a
// bundle is one application although it is a folder.
class FileDialogAppPicker final : public AppFilePicker {
public:
    std::optional<QString> pickApplication(QWidget* parent) override;
};

}  // namespace thrumwise
