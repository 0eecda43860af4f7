#pragma once

#include <optional>

#include <QString>
#include <QStringList>
#include <QUrl>

namespace thrumwise {

struct UpdateCheckResponse;

// What the update alert shows, and where its first button leads.
struct UpdateAlert {
    QString title;
    QString text;
    QStringList buttons;  // the first one opens the download page
    // Only an http or https address; anything else counts as absent.
    std::optional<QUrl> downloadUrl;
    bool quitsAfterwards = false;

    static UpdateAlert forResponse(const UpdateCheckResponse& response);
};

// Shows an alert modally and tells which button was chosen (0 is the first).
class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;
    virtual int runModal(const UpdateAlert& alert) = 0;
};

}  // namespace thrumwise
