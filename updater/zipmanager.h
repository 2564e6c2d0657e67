#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QThread;

// Installs one archive into a directory. Lives on a thread of its own for exactly
// one extraction; reports every problem as text and always ends with finished().
// All or nothing: the entries are unpacked into a staging folder first and only
// moved into place when every one of them is complete; a failure on the way
// leaves the installed files as they were.
class ZipWorker : public QObject
{
    Q_OBJECT

public:
    ZipWorker(const QString &zipPath, const QString &destDir);

    // Names that would land outside the destination: a ".." step, an absolute
    // name, a drive letter, an embedded NUL (either separator counts, since the
    // package is also unpacked on Windows); and file names that mean the
    // destination itself ("", ".").
    static bool isUnsafeEntryName(const QString &name);

public slots:
    void process();

signals:
    void progressChanged(int progress);
    void finished();
    void errorOccurred(const QString &message);

private:
    // Reports the end of a failed install: damaged when what was replaced could not all be put back.
    void fail(bool damaged);
    // Moves the staged entries into place, keeping the files they replace aside
    // until the last move has succeeded and putting them back if one fails.
    bool install(const QString &stagePrefix, const QString &destPrefix, const QStringList &directories,
                 const QStringList &files, bool *restored);

    QString zipPath;
    QString destDir;
};

// The GUI-thread front of the extraction, exposed to QML as the singleton "Unzip".
// Each unzipAsync() gets a fresh thread and worker; both delete themselves.
class ZipManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int progress READ progress NOTIFY progressChanged)

public:
    explicit ZipManager(QObject *parent = nullptr);
    ~ZipManager() override;

    // The process-wide manager, made on first use and kept until the process ends.
    static ZipManager *instance();

    int progress() const { return m_progress; }

    Q_INVOKABLE void unzipAsync(const QString &zipPath, const QString &destDir);

signals:
    void progressChanged(int progress);
    void errorOccurred(const QString &message);
    void unzipFinished();

private:
    int m_progress = 0;
    QPointer<QThread> workerThread;
};
