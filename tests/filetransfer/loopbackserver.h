#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// A loopback HTTP/1.1 server for faults the simulator cannot time precisely: answers
// cut short, answers without a length, peers that go silent mid-transfer, answers
// held back until the test lets them go. Every request it reads is kept for
// inspection.
class LoopbackServer : public QObject
{
    Q_OBJECT
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        bool sendLength = true;     // false: no Content-Length, the close ends the body
        qint64 announcedLength = -1; // a Content-Length other than the body's size
        bool stallAfterBody = false; // keep the connection open and silent afterwards
        bool holdUntilReleased = false;
    };

    struct Request {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    struct Part {
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    explicit LoopbackServer(QObject *parent = nullptr);

    QString url(const QString &path) const;
    void setAnswer(const QByteArray &path, const Answer &answer) { m_answers.insert(path, answer); }
    // Sends the answers held back so far.
    void release();
    // A port on which nothing listens.
    static QString deadUrl();

    QList<Request> requests() const { return m_requests; }
    static QList<Part> multipartParts(const Request &request);

signals:
    void requestRead();

private:
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Answer &answer);

    QTcpServer m_server;
    QHash<QByteArray, Answer> m_answers;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QList<QTcpSocket *> m_held;
    QList<Request> m_requests;
};
