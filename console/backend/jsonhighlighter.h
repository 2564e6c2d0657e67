#pragma once

#include <QPointer>
#include <QQuickTextDocument>
#include <QRegExp>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QVector>

// Colours JSON in a Qt Quick text area, one line at a time: strings, the literals
// true/false/null, braces and brackets, colons. Later rules win where matches
// overlap, so a colon inside a string still shows as a colon. Numbers keep the
// text area's own colour.
class JsonHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
    Q_PROPERTY(QQuickTextDocument *document READ quickDocument WRITE setDocument NOTIFY documentChanged)
public:
    explicit JsonHighlighter(QTextDocument *parent = nullptr);

    QQuickTextDocument *quickDocument() const;
    // Attaches to the text area's document; null detaches.
    void setDocument(QQuickTextDocument *document);

signals:
    void documentChanged();

protected:
    void highlightBlock(const QString &text) override;

private:
    struct Rule
    {
        QRegExp pattern;
        QTextCharFormat format;
    };

    QVector<Rule> m_rules;
    QPointer<QQuickTextDocument> m_document;
};
