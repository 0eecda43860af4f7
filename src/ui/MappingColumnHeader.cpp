#include "ui/MappingColumnHeader.h"

#include "ui/Style.h"

#include <QHBoxLayout>
#include <QLabel>

namespace thrumwise {

MappingColumnHeader::MappingColumnHeader(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 5, 12, 5);
    layout->setSpacing(columnSpacing);
    const std::array<QString, 5> titles{tr("Action"), tr("Haptic Pattern"), tr("Modifiers"),
                                        tr("Hold"), tr("Cooldown")};
    for (std::size_t i = 0; i < titles.size(); ++i) {
        auto* title = new QLabel(titles.at(i), this);
        style::apply(*title, style::TextStyle::body, style::secondary());
        title->setFixedWidth(columnWidths.at(i));
        layout->addWidget(title, 0, Qt::AlignVCenter);
    }
    layout->addStretch();
}

}  // namespace thrumwise
