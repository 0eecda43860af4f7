#include "discovery/XmlPropertyList.h"

#include <QXmlStreamReader>

namespace thrumwise {

namespace {

class XmlParser {
public:
    XmlParser(const QByteArray& bytes, int maxNesting) : reader_(bytes), maxNesting_(maxNesting) {}

    std::optional<PropertyListValue> parseDocument() {
        if (!reader_.readNextStartElement()) {
            return std::nullopt;
        }
        std::optional<PropertyListValue> value;
        if (reader_.name() == u"plist") {
            if (!reader_.readNextStartElement()) {
                return std::nullopt;
            }
            value = parseValue(0);
            // A plist holds exactly one value.
            if (value && reader_.readNextStartElement()) {
                return std::nullopt;
            }
        } else {
            value = parseValue(0);
        }
        // Read to the end, so a truncated or ill-formed rest is noticed too.
        while (value && !reader_.atEnd()) {
            reader_.readNext();
        }
        if (reader_.hasError()) {
            return std::nullopt;
        }
        return value;
    }

private:
    // Called on the start element of a value; leaves the reader on its end element.
    std::optional<PropertyListValue> parseValue(int depth) {
        // A copy: the reader's own buffer changes while the element's text is read.
        const QString name = reader_.name().toString();
        if (name == u"dict" || name == u"array") {
            if (depth >= maxNesting_) {
                return std::nullopt;
            }
            return name == u"dict" ? parseDictionary(depth) : parseArray(depth);
        }
        const QString text = reader_.readElementText();
        if (reader_.hasError()) {
            return std::nullopt;
        }
        return parseLeaf(name, text);
    }

    std::optional<PropertyListValue> parseDictionary(int depth) {
        PropertyListValue::Dictionary dictionary;
        while (reader_.readNextStartElement()) {
            if (reader_.name() != u"key") {
                return std::nullopt;
            }
            QString key = reader_.readElementText();
            if (reader_.hasError() || !reader_.readNextStartElement()) {
                return std::nullopt;
            }
            auto value = parseValue(depth + 1);
            if (!value) {
                return std::nullopt;
            }
            dictionary.insert_or_assign(std::move(key), std::move(*value));
        }
        if (reader_.hasError()) {
            return std::nullopt;
        }
        return dictionary;
    }

    std::optional<PropertyListValue> parseArray(int depth) {
        PropertyListValue::Array array;
        while (reader_.readNextStartElement()) {
            auto value = parseValue(depth + 1);
            if (!value) {
                return std::nullopt;
            }
            array.push_back(std::move(*value));
        }
        if (reader_.hasError()) {
            return std::nullopt;
        }
        return array;
    }

    static std::optional<PropertyListValue> parseLeaf(const QString& name, const QString& text) {
        bool ok = false;
        if (name == u"string") {
            return text;
        }
        if (name == u"integer") {
            const auto value = static_cast<std::int64_t>(text.trimmed().toLongLong(&ok, 10));
            return ok ? std::optional<PropertyListValue>(value) : std::nullopt;
        }
        if (name == u"real") {
            const double value = text.trimmed().toDouble(&ok);
            return ok ? std::optional<PropertyListValue>(value) : std::nullopt;
        }
        if (name == u"true" || name == u"false") {
            return name == u"true";
        }
        if (name == u"date") {
            QDateTime date = QDateTime::fromString(text.trimmed(), Qt::ISODate);
            return date.isValid() ? std::optional<PropertyListValue>(std::move(date))
                                  : std::nullopt;
        }
        if (name == u"data") {
            auto decoded = QByteArray::fromBase64Encoding(text.simplified().remove(u' ').toLatin1(),
                                                          QByteArray::AbortOnBase64DecodingErrors);
            return decoded ? std::optional<PropertyListValue>(std::move(*decoded)) : std::nullopt;
        }
        return std::nullopt;
    }

    QXmlStreamReader reader_;
    int maxNesting_;
};

}  // namespace

std::optional<PropertyListValue> parseXmlPropertyList(const QByteArray& bytes, int maxNesting) {
    return XmlParser(bytes, maxNesting).parseDocument();
}

}  // namespace thrumwise
