#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QFile;
class QNetworkReply;
class QNetworkRequest;

// Moves one file at a time over HTTP(S) for the QML documents: a download is a
// POST with a JSON body whose answer is streamed into a local file, an upload is a
// multipart POST streamed from a local file. Results come back through the
// completion signals; listeners pick out their own transfers by the tag passed as
// the last argument, which successful downloads and every sent upload report as
// their completion message.
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

    double downloadProgress() const { return m_downloadProgress; }
    double uploadProgress() const { return m_uploadProgress; }

    int stallTimeout() const { return m_stallTimeoutMs; }
    void setStallTimeout(int ms) { m_stallTimeoutMs = ms; }

signals:
    void downloadProgressChanged(double progress, const QString &additional);
    void downloadCompleted(bool success, const QString &message);
    void uploadProgressChanged(double progress, const QString &additional);
    void uploadCompleted(bool success, const QString &message);

private:
    QNetworkRequest makeRequest(const QString &url) const;
    void writeAvailable();
    void finishDownload(const QString &tag);
    void finishUpload(const QString &tag);
    void cleanUp();

    static constexpr qint64 ReadBufferSize = 1024 * 1024;

    QNetworkAccessManager m_manager;
    double m_downloadProgress = 0.0;
    double m_uploadProgress = 0.0;
    QNetworkReply *currentReply = nullptr;
    QFile *outputFile = nullptr;
    bool m_writeFailed = false;
    int m_stallTimeoutMs = DefaultStallTimeoutMs;
};
