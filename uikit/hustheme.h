#pragma once

#include <QColor>
#include <QObject>
#include <QQmlPropertyMap>

// The colours, fonts, radii and durations every component draws with. One
// instance per engine; the console's and the updater's theme objects are the
// same instance, so a switch anywhere repaints everything.
class HusTheme : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isDark READ isDark WRITE setIsDark NOTIFY isDarkChanged)
    Q_PROPERTY(DarkMode darkMode READ darkMode WRITE setDarkMode NOTIFY isDarkChanged)
    Q_PROPERTY(bool animationEnabled READ animationEnabled WRITE setAnimationEnabled NOTIFY animationEnabledChanged)
    Q_PROPERTY(QObject *Primary READ primary CONSTANT)
    Q_PROPERTY(QObject *HusCollapse READ collapse CONSTANT)

public:
    enum DarkMode { Light, Dark, System };
    Q_ENUM(DarkMode)

    explicit HusTheme(QObject *parent = nullptr);

    bool isDark() const { return m_dark; }
    void setIsDark(bool dark);
    DarkMode darkMode() const { return m_dark ? Dark : Light; }
    void setDarkMode(DarkMode mode);
    bool animationEnabled() const { return m_animationEnabled; }
    void setAnimationEnabled(bool on);

    QQmlPropertyMap *primary() { return &m_primary; }
    QQmlPropertyMap *collapse() { return &m_collapse; }

    // Takes a CSS-like family list ("A", B, "C D") and uses its first family
    // installed here; keeps the current family when none is.
    Q_INVOKABLE bool installThemePrimaryFontFamiliesBase(const QString &families);

    static QStringList parseFamilyList(const QString &families);

signals:
    void isDarkChanged();
    void animationEnabledChanged();

private:
    void applyColours();

    bool m_dark = false;
    bool m_animationEnabled = true;
    QQmlPropertyMap m_primary;
    QQmlPropertyMap m_collapse;
};

// Colour arithmetic the documents use with theme colours.
class HusThemeFunctions : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    Q_INVOKABLE QColor alpha(const QColor &colour, qreal alpha = 0.5) const;
    Q_INVOKABLE QColor darker(const QColor &colour, int factor = 140) const;
    Q_INVOKABLE QColor lighter(const QColor &colour, int factor = 140) const;
    Q_INVOKABLE QColor mix(const QColor &a, const QColor &b, qreal ratio) const;
};
