#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>

// What an operator sees of the console: its visible windows, newest last. The
// journeys find the window to act in by its title, as the operator does.
class Desktop : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE QVariantList windows() const
    {
        QVariantList shown;
        for (QWindow *window : QGuiApplication::topLevelWindows()) {
            if (window->isVisible() && qobject_cast<QQuickWindow *>(window))
                shown.append(QVariant::fromValue<QObject *>(window));
        }
        return shown;
    }

    // The window keys go to. A window's own "active" also holds while the window it
    // is transient for has the keyboard.
    // (A window handed back as a QObject would become the script engine's to delete.)
    Q_INVOKABLE bool hasKeyboard(QObject *window) const { return window && window == QGuiApplication::focusWindow(); }

    // Asks for a frame. (A window's own update() may be a function of its document's.)
    Q_INVOKABLE void redraw(QObject *window) const
    {
        if (auto *quickWindow = qobject_cast<QQuickWindow *>(window))
            quickWindow->update();
    }

    // The walkthrough's pictures: the window as it is drawn now.
    Q_INVOKABLE bool save(QObject *window, const QString &path) const
    {
        auto *quickWindow = qobject_cast<QQuickWindow *>(window);
        return quickWindow && quickWindow->grabWindow().save(path);
    }

    Q_INVOKABLE QString env(const QString &name) const
    {
        return qEnvironmentVariable(name.toLocal8Bit().constData());
    }
};

static void registerDesktop()
{
    qmlRegisterSingletonType<Desktop>("Desktop", 1, 0, "Desktop",
                                      [](QQmlEngine *, QJSEngine *) -> QObject * { return new Desktop; });
}
Q_COREAPP_STARTUP_FUNCTION(registerDesktop)

#include "desktop.moc"
