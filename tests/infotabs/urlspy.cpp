#include <QCoreApplication>
#include <QDesktopServices>
#include <QQmlEngine>
#include <QUrl>

// Takes the place of the desktop browser for http and https, so the tests can see
// which pages the console asked to open without starting a browser.
class OpenedUrls : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList urls MEMBER urls NOTIFY urlsChanged)
public:
    Q_INVOKABLE void clear()
    {
        urls.clear();
        emit urlsChanged();
    }

    QStringList urls;

public slots:
    void open(const QUrl &url)
    {
        urls.append(url.toString());
        emit urlsChanged();
    }

signals:
    void urlsChanged();
};

static OpenedUrls *urlSpy = nullptr;

static void installUrlSpy()
{
    urlSpy = new OpenedUrls;
    urlSpy->setParent(QCoreApplication::instance());
    for (const char *scheme : {"http", "https"})
        QDesktopServices::setUrlHandler(QLatin1String(scheme), urlSpy, "open");
    // Every test file gets an engine of its own; all of them share the one recorder
    // and none may delete it.
    qmlRegisterSingletonType<OpenedUrls>("KxtTest", 1, 0, "OpenedUrls", [](QQmlEngine *, QJSEngine *) -> QObject * {
        QQmlEngine::setObjectOwnership(urlSpy, QQmlEngine::CppOwnership);
        return urlSpy;
    });
}
Q_COREAPP_STARTUP_FUNCTION(installUrlSpy)

#include "urlspy.moc"
