#include "jsonprocessor.h"

#include <QJsonDocument>
#include <QJsonParseError>

JsonProcessor::JsonProcessor(QObject *parent)
    : QObject(parent)
{
}

QString JsonProcessor::formatJson(const QString &rawJson) const
{
    const QJsonDocument document = QJsonDocument::fromJson(rawJson.toUtf8());
    if (document.isNull())
        return QLatin1String("");
    return QString::fromUtf8(document.toJson(QJsonDocument::Indented));
}

QVariantMap JsonProcessor::validateJson(const QString &json) const
{
    QJsonParseError error;
    QJsonDocument::fromJson(json.toUtf8(), &error);
    QVariantMap result;
    result.insert(QStringLiteral("hasError"), error.error != QJsonParseError::NoError);
    if (error.error != QJsonParseError::NoError) {
        result.insert(QStringLiteral("errorOffset"), error.offset);
        result.insert(QStringLiteral("errorMessage"), error.errorString());
    }
    return result;
}
