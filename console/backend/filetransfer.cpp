#include "filetransfer.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QSslConfiguration>
#include <QSslSocket>

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

// Enough to show a steady speed, short enough to follow a change within seconds.
constexpr qint64 SpeedWindowMs = 3000;
constexpr qint64 SampleSpacingMs = 100;
constexpr qint64 ReportIntervalMs = 250;

// The socket's own buffer is kept at about this much, so memory does not grow
// with the file whatever the speed of the peer.
constexpr qint64 UploadBacklog = 4 * 1024 * 1024;
// An answer head larger than this is not an HTTP answer to a file upload.
constexpr int MaxAnswerHead = 64 * 1024;

QByteArray randomBoundary()
{
    QByteArray bytes(24, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    return "kxt-boundary-" + bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

} // namespace

FileTransfer::FileTransfer(QObject *parent)
    : QObject(parent)
{
    m_uploadStall.setSingleShot(true);
    connect(&m_uploadStall, &QTimer::timeout, this, [this]() { finishUpload(false); });
}

FileTransfer::~FileTransfer()
{
    // The manager is destroyed after this body; a reply still running then must not
    // call back into a half-destroyed service.
    if (currentReply)
        currentReply->disconnect(this);
    if (m_uploadSocket)
        m_uploadSocket->disconnect(this);
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
    if (currentReply || m_uploadSocket) {
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
    m_tag = additionalobj;
    resetThroughput();

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
        reportThroughput(received, known ? total : -1);
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
    if (currentReply || m_uploadSocket) {
        emit uploadCompleted(false, QStringLiteral("已有进行中的传输"));
        return;
    }

    auto *source = new QFile(filePath, this);
    if (!source->open(QIODevice::ReadOnly)) {
        emit uploadCompleted(false, QStringLiteral("无法打开文件"));
        source->deleteLater();
        return;
    }
    m_uploadSource = source;
    m_tag = additionalobj;
    resetThroughput();

    const QUrl target(url, QUrl::TolerantMode);
    const bool tls = target.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    const bool usable = target.isValid() && !target.host().isEmpty()
        && (tls || target.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0)
        && (!tls || QSslSocket::supportsSsl());

    const QByteArray boundary = randomBoundary();
    const QByteArray part = "--" + boundary
        + "\r\nContent-Type: application/octet-stream"
          "\r\nContent-Disposition: form-data; name=\"file\"; filename=\""
        + quotedFileName(remotePath + QFileInfo(filePath).fileName()) + "\"\r\n\r\n";
    m_uploadTail = "\r\n--" + boundary + "--\r\n";
    m_uploadBodySize = part.size() + source->size() + m_uploadTail.size();
    QByteArray path = target.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty())
        path = "/";
    if (target.hasQuery())
        path += '?' + target.query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = target.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (target.port() > 0)
        host += ':' + QByteArray::number(target.port());
    m_uploadHead = "POST " + path + " HTTP/1.1\r\nHost: " + host
        + "\r\nContent-Type: multipart/form-data; boundary=\"" + boundary
        + "\"\r\nMIME-Version: 1.0\r\nContent-Length: " + QByteArray::number(m_uploadBodySize)
        + "\r\nConnection: close\r\nUser-Agent: Mozilla/5.0\r\n\r\n";
    m_uploadRequestSize = m_uploadHead.size();
    m_uploadHead += part;
    m_uploadFileEnd = m_uploadHead.size() + source->size();
    m_uploadQueued = 0;
    m_uploadWritten = 0;
    m_uploadAnswer.clear();

    if (tls) {
        auto *socket = new QSslSocket(this);
        socket->setPeerVerifyMode(QSslSocket::VerifyNone);
        connect(socket, &QSslSocket::encrypted, this, &FileTransfer::pumpUpload);
        m_uploadSocket = socket;
    } else {
        m_uploadSocket = new QTcpSocket(this);
        connect(m_uploadSocket, &QTcpSocket::connected, this, &FileTransfer::pumpUpload);
    }
    QTcpSocket *socket = m_uploadSocket;
    connect(socket, &QTcpSocket::bytesWritten, this, &FileTransfer::uploadWritten);
    connect(socket, &QTcpSocket::readyRead, this, &FileTransfer::readUploadAnswer);
    connect(socket, &QTcpSocket::errorOccurred, this, [this]() { finishUpload(false); });
    connect(socket, &QTcpSocket::disconnected, this, [this]() { finishUpload(false); });
    m_uploadStall.start(m_stallTimeoutMs);

    if (!usable) {
        // Sent requests report at the earliest once the call has returned.
        QMetaObject::invokeMethod(
            this, [this, socket]() { if (m_uploadSocket == socket) finishUpload(false); }, Qt::QueuedConnection);
    } else if (tls) {
        static_cast<QSslSocket *>(socket)->connectToHostEncrypted(target.host(), quint16(target.port(443)));
    } else {
        socket->connectToHost(target.host(), quint16(target.port(80)));
    }
}

void FileTransfer::pumpUpload()
{
    const qint64 fileEnd = m_uploadFileEnd;
    const qint64 total = fileEnd + m_uploadTail.size();
    while (m_uploadSocket && m_uploadQueued < total && m_uploadSocket->bytesToWrite() < UploadBacklog) {
        QByteArray piece;
        if (m_uploadQueued == 0) {
            piece = m_uploadHead;
        } else if (m_uploadQueued < fileEnd) {
            piece = m_uploadSource->read(qMin(UploadChunk, fileEnd - m_uploadQueued));
            if (piece.isEmpty()) {
                // The file shrank or can no longer be read: the announced length is a lie now.
                finishUpload(false);
                return;
            }
        } else {
            piece = m_uploadTail;
        }
        m_uploadQueued += piece.size();
        m_uploadSocket->write(piece);
    }
}

void FileTransfer::uploadWritten(qint64 bytes)
{
    m_uploadWritten += bytes;
    m_uploadStall.start(m_stallTimeoutMs);
    const qint64 sent = qBound<qint64>(0, m_uploadWritten - m_uploadRequestSize, m_uploadBodySize);
    m_uploadProgress = m_uploadBodySize > 0 ? double(sent) / double(m_uploadBodySize) : 1.0;
    emit uploadProgressChanged(m_uploadProgress, m_tag);
    reportThroughput(sent, m_uploadBodySize);
    pumpUpload();
}

void FileTransfer::readUploadAnswer()
{
    if (!m_uploadSocket)
        return;
    m_uploadAnswer += m_uploadSocket->readAll();
    m_uploadStall.start(m_stallTimeoutMs);
    for (;;) {
        const int end = m_uploadAnswer.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_uploadAnswer.size() > MaxAnswerHead)
                finishUpload(false);
            return;
        }
        // "HTTP/1.1 200 OK": the status is the second word.
        const QList<QByteArray> words = m_uploadAnswer.left(m_uploadAnswer.indexOf("\r\n")).split(' ');
        const int status = words.value(1).toInt();
        if (status >= 100 && status < 200) {
            m_uploadAnswer.remove(0, end + 4);
            continue;
        }
        // The network stack, too, reports answers from 400 on as failures.
        finishUpload(words.value(0).startsWith("HTTP/") && status >= 200 && status < 400);
        return;
    }
}

void FileTransfer::finishUpload(bool success)
{
    if (!m_uploadSocket)
        return;
    const QString tag = m_tag;
    cleanUp();
    emit uploadCompleted(success, tag);
}

void FileTransfer::abort()
{
    if (m_uploadSocket) {
        finishUpload(false);
        return;
    }
    if (!currentReply)
        return;
    currentReply->disconnect(this);
    currentReply->abort();
    if (outputFile) {
        outputFile->close();
        outputFile->remove();
    }
    cleanUp();
    emit downloadCompleted(false, QStringLiteral("已取消"));
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
    if (m_uploadSocket) {
        m_uploadSocket->disconnect(this);
        m_uploadSocket->abort();
        m_uploadSocket->deleteLater();
        m_uploadSocket = nullptr;
    }
    if (m_uploadSource) {
        m_uploadSource->deleteLater();
        m_uploadSource = nullptr;
    }
    m_uploadStall.stop();
    m_uploadHead.clear();
    m_uploadTail.clear();
    m_uploadAnswer.clear();
    m_downloadProgress = 0.0;
}

void FileTransfer::resetThroughput()
{
    m_clock.start();
    m_samples = {{0, 0}};
    m_lastReport = -1;
}

void FileTransfer::reportThroughput(qint64 done, qint64 total)
{
    const qint64 now = m_clock.elapsed();
    if (now - m_samples.last().msecs >= SampleSpacingMs)
        m_samples.append({now, done});
    // The oldest sample kept is the last one at or before the window's start.
    while (m_samples.size() > 1 && m_samples.at(1).msecs <= now - SpeedWindowMs)
        m_samples.removeFirst();
    if (m_lastReport >= 0 && now - m_lastReport < ReportIntervalMs)
        return;
    m_lastReport = now;
    const Sample &base = m_samples.first();
    const double speed = now > base.msecs ? double(done - base.bytes) * 1000.0 / double(now - base.msecs) : 0.0;
    emit throughputChanged(done, total, speed, m_tag);
}
