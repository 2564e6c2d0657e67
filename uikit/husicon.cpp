#include "husicon.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QQmlPropertyMap>

HusIconProvider::HusIconProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

QImage HusIconProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const int slash = id.indexOf(QLatin1Char('/'));
    const QString name = slash < 0 ? id : id.left(slash);
    QColor colour(Qt::black);
    if (slash >= 0)
        colour = QColor(QLatin1Char('#') + id.mid(slash + 1));

    QSize target = requestedSize;
    if (target.width() <= 0 && target.height() <= 0)
        target = QSize(64, 64);
    else if (target.width() <= 0)
        target.setWidth(target.height());
    else if (target.height() <= 0)
        target.setHeight(target.width());

    QImageReader reader(QStringLiteral(":/uikit/icons/%1.svg").arg(name), "svg");
    reader.setScaledSize(target);
    QImage glyph = reader.read();
    if (glyph.isNull()) {
        qWarning("HusIcon: no icon named \"%s\" is bundled (add it to uikit/icons.txt)", qPrintable(name));
        glyph = QImage(target, QImage::Format_ARGB32_Premultiplied);
        glyph.fill(Qt::transparent);
    } else {
        glyph = glyph.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter p(&glyph);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(glyph.rect(), colour.isValid() ? colour : QColor(Qt::black));
    }
    if (size)
        *size = glyph.size();
    return glyph;
}

QStringList HusIcons::names()
{
    QStringList result;
    const QStringList files = QDir(QStringLiteral(":/uikit/icons")).entryList({QStringLiteral("*.svg")}, QDir::Files);
    for (const QString &file : files)
        result << file.chopped(4);
    return result;
}

QQmlPropertyMap *HusIcons::createMap(QObject *parent)
{
    auto *map = new QQmlPropertyMap(parent);
    for (const QString &name : names())
        map->insert(name, name);
    return map;
}
