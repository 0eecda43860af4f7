#include "discovery/PropertyListReader.h"

#include "discovery/BinaryPropertyList.h"
#include "discovery/XmlPropertyList.h"

namespace thrumwise {

std::optional<PropertyListValue> PropertyListReader::parse(const QByteArray& bytes) {
    if (bytes.size() > maxBytes) {
        return std::nullopt;
    }
    if (bytes.startsWith("bplist")) {
        return parseBinaryPropertyList(bytes, maxNesting);
    }
    return parseXmlPropertyList(bytes, maxNesting);
}

}  // namespace thrumwise
