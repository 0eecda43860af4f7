#pragma once

#include <string>

#include <QLabel>
#include <QPixmap>

namespace thrumwise {

class AppIconLookup;

// An application's icon at `size`, its corners rounded by a fifth of it; the
// game controller symbol for an application whose icon is not found.
QPixmap appIconPixmap(AppIconLookup& icons, const std::string& bundleId, int size);

// The icon of one application, shown at a fixed size.
class AppIconView : public QLabel {
    Q_OBJECT

public:
    AppIconView(AppIconLookup& icons, int size, QWidget* parent = nullptr);

    void setBundleId(const std::string& bundleId);
    // Looks the icon up again, as after the icons were read anew.
    void refresh();

private:
    AppIconLookup& icons_;
    int size_;
    std::string bundleId_;
};

}  // namespace thrumwise
