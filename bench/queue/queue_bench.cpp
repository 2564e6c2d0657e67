#include <QCoreApplication>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include "husapp.h"
#include "registration.h"

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop, idle as the console's would be, for ms milliseconds.
void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

// queue_bench <tasks> <seconds> <shown|hidden>: the console's transfer queue window
// with that many finished tasks and nothing running; prints the share of one core
// the whole process used over the given seconds, after the rows have settled, and
// the number of frames drawn meanwhile.
int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || (args.at(3) != QLatin1String("shown") && args.at(3) != QLatin1String("hidden"))) {
        QTextStream(stderr) << "usage: queue_bench <tasks> <seconds> <shown|hidden>\n";
        return 2;
    }
    registerConsoleTypes();
    QQmlEngine engine;
    HusApp::initialize(&engine);
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Page/Window_DownloadQuest.qml")));
    QObject *window = component.create();
    if (!window) {
        QTextStream(stderr) << component.errorString();
        return 1;
    }

    const int tasks = args.at(1).toInt();
    for (int i = 0; i < tasks; ++i)
        QMetaObject::invokeMethod(window, "addQuest", Q_ARG(QVariant, QStringLiteral("插件%1:Proj.ifo").arg(i)),
                                  Q_ARG(QVariant, QVariantList()));
    QMetaObject::invokeMethod(window, "showEx");
    // Every task has no step, so each finishes at the driver's next tick.
    QElapsedTimer settle;
    settle.start();
    for (;;) {
        spin(100);
        const QVariantList model = window->property("downloadModel").toList();
        bool finished = true;
        for (const QVariant &task : model)
            finished = finished && task.toMap().value(QStringLiteral("status")).toInt() == 3;
        if (finished && model.size() == tasks && !window->property("driverActive").toBool())
            break;
        if (settle.elapsed() > 60000) {
            QTextStream(stderr) << "the tasks did not finish within 60 s\n";
            return 1;
        }
    }
    if (args.at(3) == QLatin1String("hidden"))
        QMetaObject::invokeMethod(window, "hide");
    spin(1500); // the last fills come to rest

    const double seconds = args.at(2).toDouble();
    int frames = 0;
    QObject::connect(qobject_cast<QQuickWindow *>(window), &QQuickWindow::frameSwapped, [&frames] { ++frames; });
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    spin(int(seconds * 1000));
    const double used = cpuSeconds() - before;
    QTextStream(stdout) << QString::number(100.0 * used / (wall.elapsed() / 1000.0), 'f', 2) << ' ' << frames << '\n';
    delete window;
    return 0;
}
