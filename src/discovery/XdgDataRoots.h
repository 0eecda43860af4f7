#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace thrumwise {

// The base folders that desktop entries are found under, each holding an "applications" folder.
struct XdgDataRoots {
    QString dataHome;
    QStringList dataDirs;

    // The data home first, then the data folders in their listed order: for the same desktop
    // file id, the first folder wins.
    QStringList inPrecedenceOrder() const;

    // $XDG_DATA_HOME (default ~/.local/share) and $XDG_DATA_DIRS (default /usr/local/share and
    // /usr/share); relative paths are ignored, as the base-directory rules require.
    static XdgDataRoots fromEnvironment(const QProcessEnvironment& environment,
                                        const QString& home);
};

}  // namespace thrumwise
