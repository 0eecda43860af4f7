#include "model/Identifier.h"

#include <QUuid>

namespace thrumwise {

std::string newIdentifier() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

}  // namespace thrumwise
