#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Archives for the extraction tests, written with QuaZip itself.
struct ZipEntry
{
    QString name;            // ends with "/" for a directory entry
    QByteArray data;         // content; for a link entry, the link's target
    bool symlink = false;
    int declaredMethod = -1; // >= 0: store data as-is but declare this compression method

    static ZipEntry file(const QString &name) { return {name, "content of " + name.toUtf8(), false, -1}; }
    static ZipEntry file(const QString &name, const QByteArray &data) { return {name, data, false, -1}; }
    static ZipEntry link(const QString &name, const QByteArray &target) { return {name, target, true, -1}; }
};

enum class NameEncoding { Utf8Flag, LocaleCodePage };

// Writes the entries in the given order; false when QuaZip refused any of them.
bool writeZip(const QString &path, const QList<ZipEntry> &entries,
              NameEncoding encoding = NameEncoding::Utf8Flag);

// Shorthand: each name becomes a directory ("x/") or a file holding "content of <name>".
QList<ZipEntry> entriesNamed(const QStringList &names);

// Makes a file impossible to move or delete, even for root where the file system
// allows it (immutable flag; otherwise a read-only folder). False when it stays movable.
bool lockFile(const QString &path);
void unlockFile(const QString &path);
