#include "ui/MessageBoxAlertPresenter.h"

#include <QMessageBox>
#include <QPushButton>

namespace thrumwise {

int MessageBoxAlertPresenter::runModal(const UpdateAlert& alert) {
    QMessageBox box(QMessageBox::Information, alert.title, alert.text);
    // The text comes from the update server: never let it become markup or links.
    box.setTextFormat(Qt::PlainText);
    std::vector<QPushButton*> buttons;
    for (const QString& label : alert.buttons) {
        const auto role = buttons.empty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
        buttons.push_back(box.addButton(label, role));
    }
    if (!buttons.empty()) {
        box.setDefaultButton(buttons.front());
        box.setEscapeButton(buttons.back());
    }
    box.exec();
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? -1 : static_cast<int>(chosen - buttons.begin());
}

}  // namespace thrumwise
