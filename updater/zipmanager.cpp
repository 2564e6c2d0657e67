#include "zipmanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QVector>

#include <algorithm>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

namespace {

// Big enough to keep the disk busy, small enough that memory stays flat whatever
// the size of an entry.
constexpr qint64 copyChunk = 256 * 1024;

bool isSymlinkEntry(const QuaZipFileInfo64 &info)
{
    constexpr quint32 typeMask = 0170000;
    constexpr quint32 symlinkType = 0120000;
    return ((info.externalAttr >> 16) & typeMask) == symlinkType;
}

// Streams the open entry into the open target. False when anything is lost on
// the way: a read or write error, a CRC mismatch, or fewer bytes than announced.
bool copyEntry(QuaZipFile &entry, QFile &target, qint64 announcedSize)
{
    QByteArray buffer(copyChunk, Qt::Uninitialized);
    qint64 written = 0;
    bool complete = true;
    for (;;) {
        const qint64 got = entry.read(buffer.data(), buffer.size());
        if (got < 0) {
            complete = false;
            break;
        }
        if (got == 0)
            break;
        if (target.write(buffer.constData(), got) != got) {
            complete = false;
            break;
        }
        written += got;
    }
    entry.close();
    target.close();
    return complete && entry.getZipError() == UNZ_OK && target.error() == QFileDevice::NoError
        && written == announcedSize;
}

// minizip only looks for the end record after offset 0, so it cannot open an
// archive that holds nothing but that record. Such an archive is merely empty.
bool isEmptyArchive(const QString &path)
{
    constexpr int endRecordSize = 22;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < endRecordSize)
        return false;
    const QByteArray record = file.read(endRecordSize);
    const auto commentSize = static_cast<quint8>(record.at(20)) | (static_cast<quint8>(record.at(21)) << 8);
    return record.startsWith(QByteArray("PK\x05\x06", 4))
        && record.mid(4, 16) == QByteArray(16, '\0')
        && file.size() == endRecordSize + commentSize;
}

} // namespace

ZipWorker::ZipWorker(const QString &zipPath, const QString &destDir)
    : zipPath(zipPath), destDir(destDir)
{
}

bool ZipWorker::isUnsafeEntryName(const QString &name)
{
    if (name.contains(QChar(0)) || name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')))
        return true;
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return true;
    const QStringList steps = QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    if (steps.contains(QStringLiteral("..")))
        return true;
    // A file entry has to name something below the destination, not the destination itself.
    const bool namesSomething = std::any_of(steps.cbegin(), steps.cend(), [](const QString &step) {
        return !step.isEmpty() && step != QLatin1String(".");
    });
    return !namesSomething && !name.endsWith(QLatin1Char('/'));
}

void ZipWorker::process()
{
    QuaZip zip(zipPath);
    if (!zip.open(QuaZip::mdUnzip)) {
        if (!isEmptyArchive(zipPath))
            emit errorOccurred(QStringLiteral("无法打开ZIP文件"));
        emit finished();
        return;
    }

    // Joined as text: QDir::absoluteFilePath() would take a name starting with
    // ':' for a resource path and leave it relative to the working directory.
    QString destPrefix = QDir(destDir).absolutePath();
    if (!destPrefix.endsWith(QLatin1Char('/')))
        destPrefix += QLatin1Char('/');

    // Everything is unpacked beside the installed files first, on the same disk, so
    // that putting it in place is a rename per file and nothing is installed from an
    // archive that turns out damaged halfway.
    QDir().mkpath(destPrefix);
    QTemporaryDir staging(destPrefix + QStringLiteral(".renewer-staging-XXXXXX"));
    if (!staging.isValid()) {
        emit errorOccurred(QStringLiteral("无法创建目录: %1").arg(staging.path()));
        fail(false);
        return;
    }
    const QString stagePrefix = staging.path() + QLatin1Char('/');
    const int total = zip.getEntriesCount();
    int done = 0;
    QStringList directories;
    QStringList files;

    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile entry(&zip);
        QuaZipFileInfo64 info;
        // The entry's own record rather than getActualFileName(), which cuts
        // names off at 256 bytes and would write them under another name.
        if (!zip.getCurrentFileInfo(&info)) {
            emit errorOccurred(QStringLiteral("无法打开ZIP中的文件: %1").arg(entry.getActualFileName()));
            fail(false);
            return;
        }
        const QString name = info.name;
        if (isUnsafeEntryName(name) || isSymlinkEntry(info)) {
            emit errorOccurred(QStringLiteral("不安全的路径，已拒绝: %1").arg(name));
            fail(false);
            return;
        }

        const QString stagedPath = stagePrefix + name;
        if (!QDir().mkpath(QFileInfo(stagedPath).absolutePath())) {
            emit errorOccurred(QStringLiteral("无法创建目录: %1").arg(QFileInfo(destPrefix + name).absolutePath()));
            fail(false);
            return;
        }
        if (name.endsWith(QLatin1Char('/'))) {
            directories << name;
            ++done;
            continue;
        }

        if (!entry.open(QIODevice::ReadOnly)) {
            emit errorOccurred(QStringLiteral("无法打开ZIP中的文件: %1").arg(name));
            fail(false);
            return;
        }
        QFile target(stagedPath);
        if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            emit errorOccurred(QStringLiteral("无法写入文件: %1").arg(destPrefix + name));
            fail(false);
            return;
        }
        if (!copyEntry(entry, target, info.uncompressedSize)) {
            emit errorOccurred(QStringLiteral("文件写入不完整: %1").arg(destPrefix + name));
            fail(false);
            return;
        }
        if (!files.contains(name))
            files << name;
        ++done;
        emit progressChanged(static_cast<int>(done * 100.0 / total));
    }
    // An entry count that promises more than the central directory holds ends
    // the walk early with an error of its own.
    if (zip.getZipError() != UNZ_OK) {
        emit errorOccurred(QStringLiteral("无法打开ZIP文件"));
        fail(false);
        return;
    }
    zip.close();

    bool restored = true;
    if (!install(stagePrefix, destPrefix, directories, files, &restored)) {
        fail(!restored);
        return;
    }
    emit finished();
}

void ZipWorker::fail(bool damaged)
{
    emit errorOccurred(damaged ? QStringLiteral("更新失败，部分原有文件未能恢复")
                               : QStringLiteral("更新失败，已保留原有版本"));
    emit finished();
}

bool ZipWorker::install(const QString &stagePrefix, const QString &destPrefix, const QStringList &directories,
                        const QStringList &files, bool *restored)
{
    // The files replaced wait here until the last one is in place.
    QTemporaryDir aside(destPrefix + QStringLiteral(".renewer-backup-XXXXXX"));
    if (!aside.isValid()) {
        emit errorOccurred(QStringLiteral("无法创建目录: %1").arg(aside.path()));
        return false;
    }
    const QString asidePrefix = aside.path() + QLatin1Char('/');
    QDir fs;
    QStringList created; // directories made in the installation, parents first
    const auto makePath = [&](const QString &dir) {
        QStringList missing;
        for (QString d = dir; !QFileInfo::exists(d) && !QFileInfo(d).isSymLink(); d = QFileInfo(d).absolutePath())
            missing.prepend(d);
        if (!fs.mkpath(dir))
            return false;
        created << missing;
        return true;
    };

    struct Move {
        QString target;
        QString kept; // where the file it replaced waits; empty when there was none
    };
    QVector<Move> moves;
    bool ok = true;
    for (const QString &name : directories) {
        const QString dir = QDir::cleanPath(destPrefix + name);
        if (!makePath(dir)) {
            emit errorOccurred(QStringLiteral("无法创建目录: %1").arg(dir));
            ok = false;
            break;
        }
    }
    for (int i = 0; ok && i < files.size(); ++i) {
        const QString &name = files.at(i);
        const QString target = destPrefix + name;
        const QString dir = QFileInfo(target).absolutePath();
        if (!makePath(dir)) {
            emit errorOccurred(QStringLiteral("无法创建目录: %1").arg(dir));
            ok = false;
            break;
        }
        Move move{target, {}};
        // A link counts as an old file too, even a dangling one: it is moved, not followed.
        const QFileInfo old(target);
        if (old.exists() || old.isSymLink()) {
            move.kept = asidePrefix + name;
            if ((old.isDir() && !old.isSymLink()) || !fs.mkpath(QFileInfo(move.kept).absolutePath())
                || !fs.rename(target, move.kept)) {
                emit errorOccurred(QStringLiteral("无法删除旧文件: %1").arg(target));
                ok = false;
                break;
            }
        }
        if (!fs.rename(stagePrefix + name, target)) {
            emit errorOccurred(QStringLiteral("无法写入文件: %1").arg(target));
            if (!move.kept.isEmpty() && !fs.rename(move.kept, target)) {
                emit errorOccurred(QStringLiteral("无法恢复原有文件: %1").arg(target));
                *restored = false;
            }
            ok = false;
            break;
        }
        moves << move;
    }
    if (ok)
        return true;

    // Put back what was replaced, newest first, and take away what was added.
    for (int i = moves.size() - 1; i >= 0; --i) {
        const Move &move = moves.at(i);
        QFile::remove(move.target);
        if (!move.kept.isEmpty() && !fs.rename(move.kept, move.target)) {
            emit errorOccurred(QStringLiteral("无法恢复原有文件: %1").arg(move.target));
            *restored = false;
        }
    }
    for (int i = created.size() - 1; i >= 0; --i)
        fs.rmdir(created.at(i));
    // Whatever could not be put back stays where it waited rather than being lost.
    if (!*restored)
        aside.setAutoRemove(false);
    return false;
}

ZipManager::ZipManager(QObject *parent)
    : QObject(parent)
{
}

ZipManager::~ZipManager()
{
    if (workerThread) {
        workerThread->quit();
        workerThread->wait();
    }
}

ZipManager *ZipManager::instance()
{
    static ZipManager *const manager = new ZipManager;
    return manager;
}

void ZipManager::unzipAsync(const QString &zipPath, const QString &destDir)
{
    if (workerThread && workerThread->isRunning()) {
        emit errorOccurred(QStringLiteral("Another operation is in progress"));
        return;
    }

    workerThread = new QThread;
    auto *worker = new ZipWorker(zipPath, destDir);
    worker->moveToThread(workerThread);

    connect(workerThread, &QThread::started, worker, &ZipWorker::process);
    connect(worker, &ZipWorker::progressChanged, this, [this](int value) {
        m_progress = value;
        emit progressChanged(value);
    });
    connect(worker, &ZipWorker::finished, workerThread, &QThread::quit);
    connect(worker, &ZipWorker::finished, worker, &QObject::deleteLater);
    connect(workerThread, &QThread::finished, workerThread, &QObject::deleteLater);
    connect(worker, &ZipWorker::errorOccurred, this, &ZipManager::errorOccurred);
    // The quit above has already been delivered, so the thread is only winding
    // down: waiting for it lets a listener start the next extraction from its
    // unzipFinished handler without being turned away as busy.
    const QPointer<QThread> thread = workerThread;
    connect(worker, &ZipWorker::finished, this, [this, thread]() {
        if (thread)
            thread->wait();
        emit unzipFinished();
    });

    workerThread->start(QThread::InheritPriority);
}
