#include "loopbackserver.h"

#include <QTcpSocket>

namespace {

QMap<QByteArray, QByteArray> parseHeaders(const QList<QByteArray> &lines)
{
    QMap<QByteArray, QByteArray> headers;
    for (const QByteArray &line : lines) {
        const int colon = line.indexOf(':');
        if (colon > 0)
            headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    return headers;
}

} // namespace

LoopbackServer::LoopbackServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this]() {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket]() { onReadyRead(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket]() {
                m_buffers.remove(socket);
                m_held.removeAll(socket);
                socket->deleteLater();
            });
        }
    });
    m_server.listen(QHostAddress::LocalHost);
}

QString LoopbackServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

QString LoopbackServer::deadUrl()
{
    // Bind and close at once: the port was free a moment ago and nothing else here
    // binds ephemeral ports on purpose.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1/nothing").arg(port);
}

void LoopbackServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    Request request;
    const QList<QByteArray> start = lines.takeFirst().split(' ');
    request.method = start.value(0);
    request.path = start.value(1);
    request.headers = parseHeaders(lines);
    const qint64 length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() - headerEnd - 4 < length)
        return;
    request.body = buffer.mid(headerEnd + 4, int(length));
    buffer.clear();
    m_requests.append(request);
    emit requestRead();

    const Answer reply = m_answers.value(request.path, Answer{404, "no such path", true, -1, false, false});
    if (reply.holdUntilReleased) {
        m_held.append(socket);
        return;
    }
    answer(socket, reply);
}

void LoopbackServer::answer(QTcpSocket *socket, const Answer &reply)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status)
        + (reply.status == 200 ? " OK" : reply.status == 404 ? " Not Found" : " Error") + "\r\n";
    head += "Content-Type: application/octet-stream\r\n";
    if (reply.sendLength) {
        const qint64 length = reply.announcedLength >= 0 ? reply.announcedLength : reply.body.size();
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    socket->write(head + reply.body);
    if (!reply.stallAfterBody)
        socket->disconnectFromHost();
}

void LoopbackServer::release()
{
    const QList<QTcpSocket *> held = m_held;
    m_held.clear();
    for (QTcpSocket *socket : held) {
        const Request &request = m_requests.last();
        Answer reply = m_answers.value(request.path);
        reply.holdUntilReleased = false;
        answer(socket, reply);
    }
}

QList<LoopbackServer::Part> LoopbackServer::multipartParts(const Request &request)
{
    QList<Part> parts;
    const QByteArray type = request.headers.value("content-type");
    const int at = type.indexOf("boundary=");
    if (at < 0)
        return parts;
    QByteArray boundary = type.mid(at + 9);
    if (boundary.startsWith('"'))
        boundary = boundary.mid(1, boundary.size() - 2);
    const QByteArray delimiter = "--" + boundary;
    int pos = request.body.indexOf(delimiter);
    while (pos >= 0) {
        pos += delimiter.size();
        if (request.body.mid(pos, 2) == "--")
            break;
        pos += 2; // CRLF after the delimiter
        const int next = request.body.indexOf("\r\n" + delimiter, pos);
        if (next < 0)
            break;
        const QByteArray chunk = request.body.mid(pos, next - pos);
        const int headerEnd = chunk.indexOf("\r\n\r\n");
        Part part;
        part.headers = parseHeaders(chunk.left(headerEnd).split('\n'));
        part.body = chunk.mid(headerEnd + 4);
        parts.append(part);
        pos = next + 2;
    }
    return parts;
}
