#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

// A file's bytes; "<missing>" when it cannot be read, so a missing file never
// passes for an empty one.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Writes the whole of data to path, making the folders on the way.
inline void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

// An empty folder that is the working directory while it exists.
struct WorkDir : QTemporaryDir
{
    WorkDir() { QDir::setCurrent(path()); }
    ~WorkDir() { QDir::setCurrent(QDir::tempPath()); }
};
