#include "hustheme.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QRegularExpression>

namespace {

struct Token
{
    const char *name;
    const char *light;
    const char *dark;
};

// Colours are #RRGGBB or #AARRGGBB.
const Token primaryColours[] = {
    {"colorPrimary", "#1677ff", "#1668dc"},
    {"colorPrimaryHover", "#4096ff", "#3c89e8"},
    {"colorPrimaryActive", "#0958d9", "#1554ad"},
    {"colorPrimaryBg", "#e6f4ff", "#111a2c"},
    {"colorPrimaryBgHover", "#bae0ff", "#112545"},
    {"colorPrimaryBorder", "#91caff", "#15325b"},
    {"colorPrimaryText", "#1677ff", "#3c89e8"},
    {"colorSuccess", "#52c41a", "#49aa19"},
    {"colorSuccessBg", "#f6ffed", "#162312"},
    {"colorSuccessBorder", "#b7eb8f", "#274916"},
    {"colorWarning", "#faad14", "#d89614"},
    {"colorWarningBg", "#fffbe6", "#2b2111"},
    {"colorWarningBorder", "#ffe58f", "#594214"},
    {"colorError", "#ff4d4f", "#dc4446"},
    {"colorErrorHover", "#ff7875", "#e86e6b"},
    {"colorErrorBg", "#fff2f0", "#2c1618"},
    {"colorErrorBorder", "#ffccc7", "#5b2526"},
    {"colorInfo", "#1677ff", "#1668dc"},
    {"colorLink", "#1677ff", "#1668dc"},
    {"colorLinkHover", "#69b1ff", "#15417e"},
    {"colorTextBase", "#1f1f1f", "#e8e8e8"},
    {"colorText", "#1f1f1f", "#e8e8e8"},
    {"colorTextSecondary", "#595959", "#a6a6a6"},
    {"colorTextTertiary", "#8c8c8c", "#737373"},
    {"colorTextQuaternary", "#bfbfbf", "#595959"},
    {"colorTextDisabled", "#bfbfbf", "#595959"},
    {"colorTextLightSolid", "#ffffff", "#ffffff"},
    {"colorBgBase", "#ffffff", "#141414"},
    {"colorBgContainer", "#ffffff", "#1f1f1f"},
    {"colorBgElevated", "#ffffff", "#262626"},
    {"colorBgLayout", "#f5f5f5", "#0f0f0f"},
    {"colorBgSpotlight", "#e6000000", "#ff424242"},
    {"colorBgMask", "#73000000", "#73000000"},
    {"colorBgContainerDisabled", "#0a000000", "#14ffffff"},
    {"colorFill", "#26000000", "#2effffff"},
    {"colorFillSecondary", "#0f000000", "#1fffffff"},
    {"colorFillTertiary", "#0a000000", "#14ffffff"},
    {"colorFillQuaternary", "#05000000", "#0affffff"},
    {"colorBorder", "#d9d9d9", "#424242"},
    {"colorBorderSecondary", "#f0f0f0", "#303030"},
    {"colorSplit", "#0f050505", "#1ffdfdfd"},
    {"colorShadow", "#26000000", "#73000000"},
    {"colorCaptionBarBg", "#f5f5f5", "#1a1a1a"},
};

const Token collapseColours[] = {
    {"colorBorder", "#d9d9d9", "#424242"},
    {"colorBorderDark", "#424242", "#424242"},
    {"colorHeaderBg", "#05000000", "#0affffff"},
    {"colorContentBg", "#ffffff", "#141414"},
};

const char *const defaultFamilies[] = {"Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Micro Hei",
                                       "Microsoft YaHei UI", "PingFang SC"};

QString firstInstalled(const QStringList &families)
{
    const QStringList installed = QFontDatabase().families();
    for (const QString &family : families) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return QString();
}

} // namespace

HusTheme::HusTheme(QObject *parent)
    : QObject(parent)
{
    QStringList fallbacks;
    for (const char *family : defaultFamilies)
        fallbacks << QLatin1String(family);
    QString family = firstInstalled(fallbacks);
    if (family.isEmpty())
        family = QGuiApplication::font().family();

    m_primary.insert(QStringLiteral("fontPrimaryFamily"), family);
    m_primary.insert(QStringLiteral("fontPrimarySize"), 14);
    m_primary.insert(QStringLiteral("fontPrimarySizeSM"), 12);
    m_primary.insert(QStringLiteral("fontPrimarySizeLG"), 16);
    const int headings[] = {38, 30, 24, 20, 16};
    for (int i = 0; i < 5; ++i)
        m_primary.insert(QStringLiteral("fontPrimarySizeHeading%1").arg(i + 1), headings[i]);
    m_primary.insert(QStringLiteral("fontPrimarySizeHeading"), headings[3]);
    m_primary.insert(QStringLiteral("radiusPrimary"), 6);
    m_primary.insert(QStringLiteral("radiusPrimarySM"), 4);
    m_primary.insert(QStringLiteral("radiusPrimaryLG"), 8);
    m_primary.insert(QStringLiteral("durationFast"), 100);
    m_primary.insert(QStringLiteral("durationMid"), 200);
    m_primary.insert(QStringLiteral("durationSlow"), 300);
    applyColours();
}

void HusTheme::setIsDark(bool dark)
{
    if (dark == m_dark)
        return;
    m_dark = dark;
    applyColours();
    emit isDarkChanged();
}

void HusTheme::setDarkMode(DarkMode mode)
{
    // There is no system preference to follow here; System reads as light.
    setIsDark(mode == Dark);
}

void HusTheme::setAnimationEnabled(bool on)
{
    if (on == m_animationEnabled)
        return;
    m_animationEnabled = on;
    m_primary.insert(QStringLiteral("durationFast"), on ? 100 : 0);
    m_primary.insert(QStringLiteral("durationMid"), on ? 200 : 0);
    m_primary.insert(QStringLiteral("durationSlow"), on ? 300 : 0);
    emit animationEnabledChanged();
}

void HusTheme::applyColours()
{
    for (const Token &t : primaryColours)
        m_primary.insert(QLatin1String(t.name), QColor(QLatin1String(m_dark ? t.dark : t.light)));
    for (const Token &t : collapseColours)
        m_collapse.insert(QLatin1String(t.name), QColor(QLatin1String(m_dark ? t.dark : t.light)));
}

QStringList HusTheme::parseFamilyList(const QString &families)
{
    QStringList result;
    const QRegularExpression item(QStringLiteral("\\s*(?:\"([^\"]*)\"|'([^']*)'|([^,]+))\\s*(?:,|$)"));
    auto it = item.globalMatch(families);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QString name = m.captured(1) + m.captured(2) + m.captured(3);
        name = name.trimmed();
        if (!name.isEmpty())
            result << name;
    }
    return result;
}

bool HusTheme::installThemePrimaryFontFamiliesBase(const QString &families)
{
    const QString family = firstInstalled(parseFamilyList(families));
    if (family.isEmpty())
        return false;
    m_primary.insert(QStringLiteral("fontPrimaryFamily"), family);
    return true;
}

QColor HusThemeFunctions::alpha(const QColor &colour, qreal alpha) const
{
    QColor c = colour;
    c.setAlphaF(qBound(0.0, alpha, 1.0));
    return c;
}

QColor HusThemeFunctions::darker(const QColor &colour, int factor) const
{
    return colour.darker(factor);
}

QColor HusThemeFunctions::lighter(const QColor &colour, int factor) const
{
    return colour.lighter(factor);
}

QColor HusThemeFunctions::mix(const QColor &a, const QColor &b, qreal ratio) const
{
    const qreal r = qBound(0.0, ratio, 1.0);
    return QColor::fromRgbF(a.redF() * (1 - r) + b.redF() * r, a.greenF() * (1 - r) + b.greenF() * r,
                            a.blueF() * (1 - r) + b.blueF() * r, a.alphaF() * (1 - r) + b.alphaF() * r);
}
