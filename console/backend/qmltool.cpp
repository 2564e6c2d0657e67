#include "qmltool.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <QUrl>

#include <cstdlib>

QmlTool::QmlTool(QObject *parent)
    : QObject(parent)
{
}

QmlTool *QmlTool::instance()
{
    static QmlTool *tool = new QmlTool;
    return tool;
}

QString QmlTool::readFile(const QString &filePath) const
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("null");
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    return stream.readAll();
}

bool QmlTool::wirteFile(const QString &filePath, const QString &content) const
{
    QFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qDebug().noquote() << QStringLiteral("无法打开文件: ") + filePath;
        return false;
    }
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    stream << content;
    stream.flush();
    file.close();
    if (stream.status() != QTextStream::Ok || file.error() != QFileDevice::NoError) {
        qDebug().noquote() << QStringLiteral("无法写入文件: ") + filePath << file.errorString();
        return false;
    }
    return true;
}

QString QmlTool::urlToLocalFile(const QUrl &url) const
{
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

QUrl QmlTool::localFileToUrl(const QString &path) const
{
    // A relative path means the same folder as for the file operations: the
    // working directory's.
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
}

bool QmlTool::isFolder(const QString &path) const
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

void QmlTool::openFile(const QString &fileName) const
{
    if (!QFileInfo::exists(fileName))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
}

static QString programBesideConsole(QString program)
{
#ifndef Q_OS_WIN
    if (program.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        program.chop(4);
#endif
    if (QDir::isAbsolutePath(program))
        return program;
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(program);
}

bool QmlTool::runExe(const QString &pr) const
{
    QStringList arguments = QProcess::splitCommand(pr);
    if (arguments.isEmpty()) {
        qWarning().noquote() << QStringLiteral("无法启动程序: 命令行为空");
        return false;
    }
    const QString program = programBesideConsole(arguments.takeFirst());
    if (!QFileInfo::exists(program)) {
        qWarning().noquote() << QStringLiteral("无法启动程序: 找不到 ") + program;
        return false;
    }
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, QString(), &pid)) {
        qWarning().noquote() << QStringLiteral("无法启动程序: ") + program;
        return false;
    }
    qDebug().noquote() << QStringLiteral("已启动程序: ") + program << "pid" << pid;
    std::exit(0);
}
