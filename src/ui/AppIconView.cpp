#include "ui/AppIconView.h"

#include "ui/AppIconLookup.h"
#include "ui/Style.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace thrumwise {

QPixmap appIconPixmap(AppIconLookup& icons, const std::string& bundleId, int size) {
    const QIcon icon = icons.iconFor(bundleId);
    if (icon.isNull()) {
        return style::symbol(QStringLiteral("gamecontroller"), size, style::secondary());
    }
    const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    QPixmap rounded(QSize(size, size) * ratio);
    rounded.setDevicePixelRatio(ratio);
    rounded.fill(Qt::transparent);
    QPainter painter(&rounded);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath corners;
    const qreal radius = size * 0.2;
    corners.addRoundedRect(QRectF(0, 0, size, size), radius, radius);
    painter.setClipPath(corners);
    painter.drawPixmap(QRect(0, 0, size, size), icon.pixmap(QSize(size, size), ratio));
    return rounded;
}

AppIconView::AppIconView(AppIconLookup& icons, int size, QWidget* parent)
    : QLabel(parent), icons_(icons), size_(size) {
    setFixedSize(size, size);
    setAccessibleName(tr("Application icon"));
}

void AppIconView::setBundleId(const std::string& bundleId) {
    if (bundleId == bundleId_ && !pixmap().isNull()) {
        return;
    }
    bundleId_ = bundleId;
    refresh();
}

void AppIconView::refresh() {
    setPixmap(appIconPixmap(icons_, bundleId_, size_));
}

}  // namespace thrumwise
