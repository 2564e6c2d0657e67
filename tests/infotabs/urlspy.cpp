#include <QCoreApplication>
#include <QDesktopServices>
#include <QQmlEngine>
#include <QUrl>

// Takes the place of the desktop browser for http and https, so the tests can see
// which pages the console asked to open without starting a browser.
class OpenedUrls : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList urls READ urls NOTIFY urlsChanged)
public:
    QStringList urls() const { return m_urls; }
    Q_INVOKABLE void clear()
    {
        m_urls.clear();
        emit urlsChanged();
    }

public slots:
    void open(const QUrl &url)
    {
        m_urls.append(url.toString());
        emit urlsChanged();
    }

signals:
    void urlsChanged();

private:
    QStringList m_urls;
};

static void installUrlSpy()
{
    auto *spy = new OpenedUrls;
    spy->setParent(QCoreApplication::instance());
    for (const char *scheme : {"http", "https"})
        QDesktopServices::setUrlHandler(QLatin1String(scheme), spy, "open");
    qmlRegisterSingletonInstance("KxtTest", 1, 0, "OpenedUrls", spy);
}
Q_COREAPP_STARTUP_FUNCTION(installUrlSpy)

#include "urlspy.moc"
