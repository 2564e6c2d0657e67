#include "filetransfer.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>

namespace {

// Every download's status code, for following the console's traffic in its log.
Q_LOGGING_CATEGORY(lcStatus, "kxt.transfer.status")

// A quote or a line break in the name would end the header early and let the rest
// of the name pose as headers or body; browsers percent-encode exactly these three.
QByteArray quotedFileName(const QString &name)
{
    QByteArray bytes = name.toUtf8();
    bytes.replace('"', "%22").replace('\r', "%0D").replace('\n', "%0A");
    return bytes;
}

} // namespace

FileTransfer::FileTransfer(QObject *parent)
    : QObject(parent)
{
}

FileTransfer::~FileTransfer()
{
    // The manager is destroyed after this body; a reply still running then must not
    // call back into a half-destroyed service.
    if (currentReply)
        currentReply->disconnect(this);
}

FileTransfer *FileTransfer::instance()
{
    static FileTransfer service;
    return &service;
}

QNetworkRequest FileTransfer::makeRequest(const QString &url) const
{
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    QSslConfiguration ssl = request.sslConfiguration();
    ssl.setPeerVerifyMode(QSslSocket::VerifyNone);
    request.setSslConfiguration(ssl);
    request.setTransferTimeout(m_stallTimeoutMs);
    return request;
}

void FileTransfer::postDownload(const QString &url, const QString &savePath,
                                const QVariantMap &postData, const QString &additionalobj)
{
    if (currentReply) {
        emit downloadCompleted(false, QStringLiteral("已有进行中的下载"));
        return;
    }

    const QString dirPath = QFileInfo(savePath).absolutePath();
    if (!QDir().mkpath(dirPath)) {
        emit downloadCompleted(false, QStringLiteral("无法创建目录"));
        cleanUp();
        return;
    }

    outputFile = new QFile(savePath, this);
    if (!outputFile->open(QIODevice::WriteOnly)) {
        emit downloadCompleted(false, QStringLiteral("无法创建文件"));
        cleanUp();
        return;
    }
    m_writeFailed = false;

    QNetworkRequest request = makeRequest(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    const QByteArray body = QJsonDocument(QJsonObject::fromVariantMap(postData)).toJson(QJsonDocument::Indented);
    currentReply = m_manager.post(request, body);
    // Without a read limit the network thread reads ahead of the disk writes and
    // keeps the whole answer in memory; with one it pauses the socket instead. The
    // thread only hears of a limit set once the request has started, which a body
    // defers to the next pass of the event loop, so the limit is set after that.
    QMetaObject::invokeMethod(
        currentReply, [reply = currentReply]() { reply->setReadBufferSize(ReadBufferSize); },
        Qt::QueuedConnection);

    const QString tag = additionalobj;
    QNetworkReply *reply = currentReply;
    connect(reply, &QNetworkReply::readyRead, this, &FileTransfer::writeAvailable);
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply, tag](qint64 received, qint64 total) {
        // Qt reports the byte count as the total once a reply without a length ends;
        // a total the server never announced stays unknown.
        const bool known = total > 0 && reply->header(QNetworkRequest::ContentLengthHeader).isValid();
        m_downloadProgress = known ? double(received) / double(total) : 0.0;
        emit downloadProgressChanged(m_downloadProgress, tag);
    });
    connect(reply, &QNetworkReply::finished, this, [this, tag]() { finishDownload(tag); });
}

void FileTransfer::writeAvailable()
{
    if (!currentReply || !outputFile)
        return;
    if (!currentReply->isOpen())
        return;
    const QByteArray chunk = currentReply->readAll();
    if (m_writeFailed || chunk.isEmpty())
        return;
    if (outputFile->write(chunk) != chunk.size()) {
        // A full disk would otherwise end as a success whenever the server sent no
        // length to compare against.
        m_writeFailed = true;
        currentReply->abort();
    }
}

void FileTransfer::finishDownload(const QString &tag)
{
    QNetworkReply *reply = currentReply;
    if (!reply)
        return;
    writeAvailable();
    if (outputFile) {
        if (!outputFile->flush())
            m_writeFailed = true;
        outputFile->close();
    }

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid())
        qCDebug(lcStatus) << "HTTP Status Code:" << status.toInt();

    bool success = reply->error() == QNetworkReply::NoError;
    QString message = success ? tag : reply->errorString();
    if (m_writeFailed) {
        success = false;
        message = QStringLiteral("无法写入文件");
    } else if (success) {
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        const qint64 onDisk = outputFile ? QFileInfo(outputFile->fileName()).size() : 0;
        if (announced > 0 && announced != onDisk) {
            success = false;
            message = QStringLiteral("文件不完整");
        }
    }

    cleanUp();
    emit downloadCompleted(success, message);
}

void FileTransfer::postUpload(const QString &url, const QString &filePath,
                              const QString &remotePath, const QString &additionalobj)
{
    if (currentReply) {
        emit uploadCompleted(false, QStringLiteral("已有进行中的传输"));
        return;
    }

    auto *source = new QFile(filePath, this);
    if (!source->open(QIODevice::ReadOnly)) {
        emit uploadCompleted(false, QStringLiteral("无法打开文件"));
        source->deleteLater();
        return;
    }

    auto *multiPart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/octet-stream"));
    part.setRawHeader("Content-Disposition",
                      "form-data; name=\"file\"; filename=\""
                          + quotedFileName(remotePath + QFileInfo(filePath).fileName()) + '"');
    part.setBodyDevice(source);
    source->setParent(multiPart);
    multiPart->append(part);

    currentReply = m_manager.post(makeRequest(url), multiPart);
    multiPart->setParent(currentReply);

    const QString tag = additionalobj;
    connect(currentReply, &QNetworkReply::uploadProgress, this, [this, tag](qint64 sent, qint64 total) {
        m_uploadProgress = total > 0 ? double(sent) / double(total) : 1.0;
        emit uploadProgressChanged(m_uploadProgress, tag);
    });
    connect(currentReply, &QNetworkReply::finished, this, [this, tag]() { finishUpload(tag); });
}

void FileTransfer::finishUpload(const QString &tag)
{
    if (!currentReply)
        return;
    const bool success = currentReply->error() == QNetworkReply::NoError;
    cleanUp();
    emit uploadCompleted(success, tag);
}

void FileTransfer::cleanUp()
{
    if (outputFile) {
        outputFile->deleteLater();
        outputFile = nullptr;
    }
    if (currentReply) {
        currentReply->disconnect(this);
        currentReply->deleteLater();
        currentReply = nullptr;
    }
    m_downloadProgress = 0.0;
}
