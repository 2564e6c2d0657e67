#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTextStream>
#include <QTimer>

#include "husapp.h"
#include "registration.h"
#include "sshmanager.h"

#include <algorithm>

// Two measurements for bench/ssh/run:
//   ssh_bench shell HOST PORT USER PASSWORD FILE
//     cats FILE in an SSHManager shell and prints "<bytes> <seconds>" for the
//     output between two markers;
//   ssh_bench console POINTS MAX_SECONDS
//     appends coloured 4 KiB chunks to a ServerConsole and prints the cost of
//     one append at each of the comma-separated POINTS (MB shown so far).

namespace {

int shell(const QStringList &args)
{
    SSHManager manager;
    QTextStream out(stdout);
    const QString start = QStringLiteral("start_2");
    const QString end = QStringLiteral("end_4");
    QString tail;
    bool started = false;
    bool finished = false;
    qint64 bytes = 0;
    QElapsedTimer clock;

    QObject::connect(&manager, &SSHManager::connectionSuccess, [&] {
        manager.sendInput(QStringLiteral("stty -echo -onlcr; echo start_$((1+1)); cat '%1'; echo end_$((2+2))")
                              .arg(args.at(4)));
    });
    QObject::connect(&manager, &SSHManager::connectionFailed, [&](const QString &error) {
        out << "connection failed: " << error << Qt::endl;
        QCoreApplication::exit(1);
    });
    // Counts the file's characters: cheap, so that the reader is what is measured.
    auto count = [&](QStringView text) {
        // Base64 text has no '_': the first one belongs to the end marker.
        const int underscore = text.indexOf(QLatin1Char('_'));
        if (underscore < 0) {
            bytes += text.size();
            return;
        }
        bytes += underscore - end.indexOf(QLatin1Char('_'));
        finished = true;
        out << bytes << ' ' << clock.nsecsElapsed() / 1e9 << Qt::endl;
        QCoreApplication::quit();
    };
    QObject::connect(&manager, &SSHManager::shellOutput, [&](const QString &chunk) {
        if (finished)
            return;
        if (started) {
            count(chunk);
            return;
        }
        const QString window = tail + chunk;
        tail = window.right(16);
        const int at = window.indexOf(start);
        if (at >= 0) {
            started = true;
            clock.start();
            // Counted from after the marker's line feed.
            count(QStringView(window).mid(at + start.size() + 1));
        }
    });
    manager.connectAndStartShell(args.at(0), args.at(1), args.at(2), args.at(3));
    return QCoreApplication::exec();
}

// About 4 KiB of what `ls --color -l` prints.
QString colouredChunk(int index)
{
    QString chunk;
    int line = 0;
    while (chunk.size() < 4000) {
        chunk += QStringLiteral("drwxr-xr-x 2 root root 4096 Dec  6 21:00 \x1b[01;34mdir_%1_%2\x1b[0m\r\n"
                                "-rwxr-xr-x 1 root root  812 Dec  6 21:00 \x1b[01;32mrun_%1_%2.sh\x1b[0m\r\n")
                     .arg(index).arg(line++);
    }
    return chunk;
}

// Appends until the last of the points (MB shown); at each point prints
// "<MB shown> <ms per append>", the median of the appends just before it.
// Past MAX_SECONDS it prints "stopped <MB shown>" and gives up.
int console(const QStringList &args)
{
    QList<double> points;
    for (const QString &point : args.at(0).split(QLatin1Char(',')))
        points << point.toDouble();
    const double maxSeconds = args.at(1).toDouble();
    QTextStream out(stdout);

    QQmlEngine engine;
    HusApp::initialize(&engine);
    QQmlComponent component(&engine);
    component.setData("import QtQuick 2.15\nimport QtQuick.Window 2.15\nimport \"qrc:/Component\"\n"
                      "Window { width: 900; height: 600; visible: true\n"
                      "  ServerConsole { objectName: \"console\"; anchors.fill: parent } }",
                      QUrl(QStringLiteral("qrc:/bench.qml")));
    QObject *window = component.create();
    if (!window) {
        out << component.errorString() << Qt::endl;
        return 1;
    }
    QObject *view = window->findChild<QObject *>(QStringLiteral("console"));

    const int sample = 61;
    QList<qint64> recent;
    QElapsedTimer clock;
    QElapsedTimer total;
    total.start();
    qint64 shown = 0;
    for (int index = 0; !points.isEmpty(); ++index) {
        const QString chunk = colouredChunk(index);
        clock.start();
        QMetaObject::invokeMethod(view, "appendOutput", Q_ARG(QVariant, chunk));
        QCoreApplication::processEvents();
        recent << clock.nsecsElapsed();
        if (recent.size() > sample)
            recent.removeFirst();
        shown += chunk.size();
        if (shown >= points.first() * 1e6) {
            // The median: on a shared machine an append now and then waits for the CPU.
            QList<qint64> sorted = recent;
            std::sort(sorted.begin(), sorted.end());
            out << points.takeFirst() << ' ' << sorted.at(sorted.size() / 2) / 1e6 << Qt::endl;
        }
        if (total.elapsed() > maxSeconds * 1000) {
            out << "stopped " << shown / 1e6 << Qt::endl;
            break;
        }
    }
    delete window;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    registerConsoleTypes();
    QStringList args = app.arguments().mid(1);
    const QString mode = args.isEmpty() ? QString() : args.takeFirst();
    if (mode == QLatin1String("shell") && args.size() == 5)
        return shell(args);
    if (mode == QLatin1String("console") && args.size() == 2)
        return console(args);
    QTextStream(stderr) << "usage: ssh_bench shell HOST PORT USER PASSWORD FILE | console POINTS MAX_SECONDS\n";
    return 2;
}
