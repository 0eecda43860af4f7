#pragma once

#include "discovery/PropertyListValue.h"

#include <optional>

#include <QByteArrayView>

namespace thrumwise {

// A binary property list of format "bplist00".
std::optional<PropertyListValue> parseBinaryPropertyList(QByteArrayView bytes, int maxNesting);

}  // namespace thrumwise
