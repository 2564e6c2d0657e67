#include "ziparchive.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <zlib.h>

namespace {

// QuaZip only writes methods it can compress with, so the method field of both
// headers of a stored entry is rewritten afterwards.
bool declareMethod(const QString &path, const QByteArray &name, quint16 method)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    int patched = 0;
    const struct { QByteArray signature; int methodAt; int nameAt; } headers[] = {
        {QByteArray("PK\x03\x04", 4), 8, 30}, {QByteArray("PK\x01\x02", 4), 10, 46}};
    for (const auto &header : headers) {
        for (int at = bytes.indexOf(header.signature); at >= 0; at = bytes.indexOf(header.signature, at + 1)) {
            if (bytes.mid(at + header.nameAt, name.size()) != name)
                continue;
            bytes[at + header.methodAt] = static_cast<char>(method & 0xff);
            bytes[at + header.methodAt + 1] = static_cast<char>(method >> 8);
            ++patched;
        }
    }
    file.seek(0);
    return patched == 2 && file.write(bytes) == bytes.size();
}

} // namespace

bool writeZip(const QString &path, const QList<ZipEntry> &entries, NameEncoding encoding)
{
    QuaZip zip(path);
    zip.setUtf8Enabled(encoding == NameEncoding::Utf8Flag);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    bool ok = true;
    for (const ZipEntry &entry : entries) {
        QuaZipFile file(&zip);
        QuaZipNewInfo info(entry.name);
        if (entry.symlink)
            info.externalAttr = 0120777u << 16;
        const bool isDir = entry.name.endsWith(QLatin1Char('/'));
        const bool stored = isDir || entry.declaredMethod >= 0;
        ok = ok && file.open(QIODevice::WriteOnly, info, nullptr, 0, stored ? 0 : Z_DEFLATED);
        ok = ok && (isDir || file.write(entry.data) == entry.data.size());
        file.close();
        ok = ok && file.getZipError() == ZIP_OK;
    }
    zip.close();
    ok = ok && zip.getZipError() == ZIP_OK;
    for (const ZipEntry &entry : entries) {
        if (ok && entry.declaredMethod >= 0)
            ok = declareMethod(path, entry.name.toUtf8(), static_cast<quint16>(entry.declaredMethod));
    }
    return ok;
}

QList<ZipEntry> entriesNamed(const QStringList &names)
{
    QList<ZipEntry> entries;
    for (const QString &name : names)
        entries << (name.endsWith(QLatin1Char('/')) ? ZipEntry{name, {}, false, -1} : ZipEntry::file(name));
    return entries;
}

namespace {

bool chattr(const QString &flag, const QString &path)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("chattr"), {flag, path});
    return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

bool lockFile(const QString &path)
{
    if (!chattr(QStringLiteral("+i"), path)) {
        const QString dir = QFileInfo(path).absolutePath();
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    const QString probe = path + QStringLiteral(".probe");
    if (QFile::rename(path, probe)) {
        QFile::rename(probe, path);
        unlockFile(path);
        return false;
    }
    return true;
}

void unlockFile(const QString &path)
{
    chattr(QStringLiteral("-i"), path);
    QFile::setPermissions(QFileInfo(path).absolutePath(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
