#pragma once

#include "services/UpdateAlert.h"

namespace thrumwise {

// Shows the alert as a modal message box with its buttons in order.
class MessageBoxAlertPresenter final : public AlertPresenter {
public:
    int runModal(const UpdateAlert& alert) override;
};

}  // namespace thrumwise
