#pragma once

#include "discovery/PropertyListValue.h"

#include <optional>

#include <QByteArray>

namespace thrumwise {

// An XML property list: a <plist> element holding one value, or a bare value element.
std::optional<PropertyListValue> parseXmlPropertyList(const QByteArray& bytes, int maxNesting);

}  // namespace thrumwise
