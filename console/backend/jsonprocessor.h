#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

// Formatting and syntax checking for the configuration editor. Stateless: every
// editor declares its own instance.
class JsonProcessor : public QObject
{
    Q_OBJECT
public:
    explicit JsonProcessor(QObject *parent = nullptr);

    // Qt's indented form (four spaces, keys sorted, trailing line feed), or an
    // empty string when the text is not an object or array Qt accepts.
    Q_INVOKABLE QString formatJson(const QString &rawJson) const;

    // {"hasError": false} when the text parses; otherwise also "errorOffset"
    // (a byte offset into the UTF-8 encoding of the text) and "errorMessage".
    Q_INVOKABLE QVariantMap validateJson(const QString &json) const;
};
