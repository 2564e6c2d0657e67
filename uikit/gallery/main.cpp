#include <QCommandLineParser>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickWindow>
#include <QTimer>

#include "husapp.h"

// Shows every component of the library in one window; with --screenshot it
// saves the window in the chosen theme and exits.
int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption dark(QStringLiteral("dark"), QStringLiteral("Start in the dark theme."));
    const QCommandLineOption shot(QStringLiteral("screenshot"), QStringLiteral("Save the window to <file> and exit."),
                                  QStringLiteral("file"));
    parser.addOptions({dark, shot});
    parser.process(app);

    QQmlApplicationEngine engine;
    HusApp::initialize(&engine);
    engine.rootContext()->setContextProperty(QStringLiteral("galleryDark"), parser.isSet(dark));
    engine.load(QUrl(QStringLiteral("qrc:/gallery/gallery.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;

    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    if (!window)
        return 1;
    if (parser.isSet(shot)) {
        const QString file = parser.value(shot);
        // Long enough for the pop-ups' enter transitions and the icons to load.
        QTimer::singleShot(4000, window, [window, file] {
            const bool saved = window->grabWindow().save(file);
            if (!saved)
                qWarning("cannot write %s", qPrintable(file));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
