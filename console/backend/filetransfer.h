#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <QVector>

class QFile;
class QNetworkReply;
class QNetworkRequest;
class QTcpSocket;

// Moves one file at a time over HTTP(S) for the QML documents: a download is a
// POST with a JSON body whose answer is streamed into a local file, an upload is a
// multipart POST streamed from a local file. Results come back through the
// completion signals; listeners pick out their own transfers by the tag passed as
// the last argument, which successful downloads and every sent upload report as
// their completion message.
//
// Uploads are written to the socket directly rather than through the network
// access manager, whose worker thread pulls a streamed body 16 KiB at a time and
// made large uploads several times slower than other clients.
//
// Each download's "HTTP Status Code:" line goes to the logging category
// kxt.transfer.status, which a program may switch off.
class FileTransfer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double downloadProgress READ downloadProgress NOTIFY downloadProgressChanged)
    Q_PROPERTY(double uploadProgress READ uploadProgress NOTIFY uploadProgressChanged)

public:
    // A transfer that moves no byte in either direction for this long fails with
    // the network stack's time-out instead of keeping the service busy for ever.
    static constexpr int DefaultStallTimeoutMs = 60000;

    explicit FileTransfer(QObject *parent = nullptr);
    ~FileTransfer() override;

    // The console's process-wide instance, made on first use.
    static FileTransfer *instance();

    Q_INVOKABLE void postDownload(const QString &url, const QString &savePath,
                                  const QVariantMap &postData, const QString &additionalobj);
    Q_INVOKABLE void postUpload(const QString &url, const QString &filePath,
                                const QString &remotePath, const QString &additionalobj);
    // Ends the running transfer as failed and leaves the service idle. A download
    // reports "已取消" and removes its partial file; an upload reports its tag, as
    // every failed upload does.
    Q_INVOKABLE void abort();

    double downloadProgress() const { return m_downloadProgress; }
    double uploadProgress() const { return m_uploadProgress; }

    int stallTimeout() const { return m_stallTimeoutMs; }
    void setStallTimeout(int ms) { m_stallTimeoutMs = ms; }

signals:
    void downloadProgressChanged(double progress, const QString &additional);
    void downloadCompleted(bool success, const QString &message);
    void uploadProgressChanged(double progress, const QString &additional);
    void uploadCompleted(bool success, const QString &message);
    // A few times a second while a transfer runs: bytes moved, the total (-1 when
    // unknown) and the speed over the last few seconds.
    void throughputChanged(qint64 bytesDone, qint64 bytesTotal, double bytesPerSecond, const QString &additional);

private:
    QNetworkRequest makeRequest(const QString &url) const;
    void writeAvailable();
    void finishDownload(const QString &tag);
    void pumpUpload();
    void uploadWritten(qint64 bytes);
    void readUploadAnswer();
    void finishUpload(bool success);
    void cleanUp();
    void resetThroughput();
    void reportThroughput(qint64 done, qint64 total);

    static constexpr qint64 ReadBufferSize = 1024 * 1024;
    static constexpr qint64 UploadChunk = 1024 * 1024;

    QNetworkAccessManager m_manager;
    double m_downloadProgress = 0.0;
    double m_uploadProgress = 0.0;
    QNetworkReply *currentReply = nullptr;
    QFile *outputFile = nullptr;
    bool m_writeFailed = false;
    int m_stallTimeoutMs = DefaultStallTimeoutMs;
    QString m_tag;

    // The running upload: socket, source, the bytes around the file, what is sent.
    QTcpSocket *m_uploadSocket = nullptr;
    QFile *m_uploadSource = nullptr;
    QByteArray m_uploadHead;
    QByteArray m_uploadTail;
    qint64 m_uploadRequestSize = 0;
    qint64 m_uploadBodySize = 0;
    qint64 m_uploadFileEnd = 0;
    qint64 m_uploadQueued = 0;
    qint64 m_uploadWritten = 0;
    QByteArray m_uploadAnswer;
    QTimer m_uploadStall;

    struct Sample {
        qint64 msecs;
        qint64 bytes;
    };
    QElapsedTimer m_clock;
    QVector<Sample> m_samples;
    qint64 m_lastReport = -1;
};
