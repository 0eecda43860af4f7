#include "discovery/XdgDataRoots.h"

#include <QDir>

namespace thrumwise {

QStringList XdgDataRoots::inPrecedenceOrder() const {
    QStringList roots{dataHome};
    roots.append(dataDirs);
    return roots;
}

XdgDataRoots XdgDataRoots::fromEnvironment(const QProcessEnvironment& environment,
                                           const QString& home) {
    XdgDataRoots roots;
    const QString dataHome = environment.value(QStringLiteral("XDG_DATA_HOME"));
    roots.dataHome = QDir::isAbsolutePath(dataHome)
                         ? QDir::cleanPath(dataHome)
                         : QDir::cleanPath(home + QStringLiteral("/.local/share"));
    const QStringList listed =
        environment.value(QStringLiteral("XDG_DATA_DIRS")).split(QLatin1Char(':'));
    for (const QString& dir : listed) {
        if (QDir::isAbsolutePath(dir)) {
            roots.dataDirs.append(QDir::cleanPath(dir));
        }
    }
    if (roots.dataDirs.isEmpty()) {
        roots.dataDirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    }
    return roots;
}

}  // namespace thrumwise
