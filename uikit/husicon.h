#pragma once

#include <QQuickImageProvider>

class QQmlPropertyMap;

// Icon glyphs are SVG files bundled at qrc:/uikit/icons/<Name>.svg, named as
// the documents write them (HomeOutlined). The provider paints one in a colour:
// "image://husicon/HomeOutlined/ff1677ff" (name, then #AARRGGBB without '#').
class HusIconProvider : public QQuickImageProvider
{
public:
    HusIconProvider();
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
};

namespace HusIcons {
// The bundled icon names.
QStringList names();
// The HusIcon singleton: every bundled name maps to itself.
QQmlPropertyMap *createMap(QObject *parent);
} // namespace HusIcons
