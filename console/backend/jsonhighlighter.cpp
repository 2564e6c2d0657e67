#include "jsonhighlighter.h"

#include <QFont>

JsonHighlighter::JsonHighlighter(QTextDocument *parent)
    : QSyntaxHighlighter(parent)
{
    const auto rule = [](const QString &pattern, Qt::GlobalColor colour) {
        QTextCharFormat format;
        format.setForeground(QBrush(colour));
        format.setFontWeight(QFont::Bold);
        return Rule{QRegExp(pattern), format};
    };
    m_rules = {
        rule(QStringLiteral("\"[^\"]*\""), Qt::darkGreen),
        rule(QStringLiteral("\\b(true|false|null)\\b"), Qt::darkBlue),
        rule(QStringLiteral("[{}\\[\\]]"), Qt::darkMagenta),
        rule(QStringLiteral(":"), Qt::darkRed),
    };
}

QQuickTextDocument *JsonHighlighter::quickDocument() const
{
    return m_document;
}

void JsonHighlighter::setDocument(QQuickTextDocument *document)
{
    if (document == m_document)
        return;
    m_document = document;
    QSyntaxHighlighter::setDocument(document ? document->textDocument() : nullptr);
    emit documentChanged();
}

void JsonHighlighter::highlightBlock(const QString &text)
{
    for (Rule &rule : m_rules) {
        int start = rule.pattern.indexIn(text);
        while (start >= 0) {
            const int length = rule.pattern.matchedLength();
            setFormat(start, length, rule.format);
            start = rule.pattern.indexIn(text, start + length);
        }
    }
}
