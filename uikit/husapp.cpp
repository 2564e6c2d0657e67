#include "husapp.h"

#include <QQmlEngine>
#include <QQmlPropertyMap>

#include "husapi.h"
#include "husicon.h"
#include "hustheme.h"

static void initUikitResources()
{
    Q_INIT_RESOURCE(huskarui);
    Q_INIT_RESOURCE(huskarui_icons);
}

namespace {

// One theme per engine, shared by both modules' singletons. The engine owns it
// as a child rather than as a singleton, since two singleton types hand it out.
HusTheme *themeOf(QQmlEngine *engine)
{
    auto *theme = engine->findChild<HusTheme *>(QString(), Qt::FindDirectChildrenOnly);
    if (!theme) {
        theme = new HusTheme(engine);
        QQmlEngine::setObjectOwnership(theme, QQmlEngine::CppOwnership);
        QQmlEngine::setObjectOwnership(theme->primary(), QQmlEngine::CppOwnership);
        QQmlEngine::setObjectOwnership(theme->collapse(), QQmlEngine::CppOwnership);
    }
    return theme;
}

QObject *themeSingleton(QQmlEngine *engine, QJSEngine *)
{
    return themeOf(engine);
}

QObject *collapseSingleton(QQmlEngine *engine, QJSEngine *)
{
    return themeOf(engine)->collapse();
}

QObject *iconSingleton(QQmlEngine *engine, QJSEngine *)
{
    return HusIcons::createMap(engine);
}

// Both modules hand out the same singletons under their own prefix.
void registerSingletons(const char *uri, const QString &prefix)
{
    const QByteArray theme = (prefix + QLatin1String("Theme")).toUtf8();
    const QByteArray functions = (prefix + QLatin1String("ThemeFunctions")).toUtf8();
    const QByteArray api = (prefix + QLatin1String("Api")).toUtf8();
    const QByteArray icon = (prefix + QLatin1String("Icon")).toUtf8();
    qmlRegisterSingletonType<HusTheme>(uri, 1, 0, theme.constData(), themeSingleton);
    qmlRegisterSingletonType<HusThemeFunctions>(uri, 1, 0, functions.constData(),
                                                [](QQmlEngine *, QJSEngine *) -> QObject * {
                                                    return new HusThemeFunctions;
                                                });
    qmlRegisterSingletonType<HusApi>(uri, 1, 0, api.constData(), [](QQmlEngine *, QJSEngine *) -> QObject * {
        return new HusApi;
    });
    qmlRegisterSingletonType<QQmlPropertyMap>(uri, 1, 0, icon.constData(), iconSingleton);
}

void registerTypes()
{
    registerSingletons("HuskarUI.Basic", QStringLiteral("Hus"));
    registerSingletons("DelegateUI", QStringLiteral("Del"));
    qmlRegisterSingletonType<QQmlPropertyMap>("HuskarUI.Basic", 1, 0, "HusCollapse", collapseSingleton);
}

} // namespace

void HusApp::initialize(QQmlEngine *engine)
{
    static const bool registered = [] {
        initUikitResources();
        registerTypes();
        return true;
    }();
    Q_UNUSED(registered)
    engine->addImportPath(QStringLiteral("qrc:/uikit"));
    if (!engine->imageProvider(QStringLiteral("husicon")))
        engine->addImageProvider(QStringLiteral("husicon"), new HusIconProvider);
}
