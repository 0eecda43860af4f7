#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace thrumwise::test {

// A throw-away home folder for a program under test, with its own XDG
// configuration, data, cache and runtime folders, so that the user's own
// settings, profiles and running copies are never seen or touched.
class TemporaryHome {
public:
    TemporaryHome();

    bool isValid() const { return valid_; }

    // The system's environment with HOME and the XDG folders pointing here.
    QProcessEnvironment environment() const;

    // Where Thrumwise keeps its profiles and its settings under this home.
    QString profilesFile() const;
    QString settingsFile() const;
    QString dataFolder() const;

private:
    QString path(const char* relative) const;

    QTemporaryDir root_;
    bool valid_ = false;
};

}  // namespace thrumwise::test
