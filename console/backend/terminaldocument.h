#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickTextDocument>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

class QTextDocument;

// Writes a shell's output into a Qt Quick text area the way a terminal shows
// it, as far as a text view can: a carriage return goes back to the start of
// the line and what follows overwrites it, backspace steps back, "erase in
// line" erases, line feed starts a new line. Colour and style sequences become
// character formats; every other escape sequence is dropped. Only the newest
// maximumLines lines are kept, so writing costs the same however much was
// shown before.
class TerminalDocument : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QQuickTextDocument *document READ document WRITE setDocument NOTIFY documentChanged)
    Q_PROPERTY(int maximumLines READ maximumLines WRITE setMaximumLines NOTIFY maximumLinesChanged)
    Q_PROPERTY(bool dark READ dark WRITE setDark NOTIFY darkChanged)
public:
    explicit TerminalDocument(QObject *parent = nullptr);

    QQuickTextDocument *document() const { return m_document; }
    void setDocument(QQuickTextDocument *document);
    int maximumLines() const { return m_maximumLines; }
    void setMaximumLines(int lines);
    bool dark() const { return m_dark; }
    // Recolours what is shown already, too.
    void setDark(bool dark);

    // margin goes first when text starts a line; carriage return, backspace
    // and erasing stop at it, so a progress line that rewrites itself keeps it.
    Q_INVOKABLE void write(const QString &text, const QString &margin = QString());
    // True while the line being written holds nothing yet.
    Q_INVOKABLE bool atLineStart() const;

    // Colour number 0-7 (black, red, green, yellow, blue, magenta, cyan, white)
    // of text on the light or the dark background.
    static QColor colour(int index, bool dark);

signals:
    void documentChanged();
    void maximumLinesChanged();
    void darkChanged();

private:
    enum class State { Text, Escape, Csi, Osc, OscEscape, Charset };

    QTextDocument *textDocument() const;
    void feed(QChar c);
    void flush();
    void newLine();
    void finishCsi(QChar final);
    void selectGraphicRendition();
    void eraseInLine();
    QTextCharFormat currentFormat() const;

    QPointer<QQuickTextDocument> m_document;
    int m_maximumLines = 10000;
    bool m_dark = false;

    // Where the next character goes: a column of the document's last block.
    int m_column = 0;
    int m_margin = 0;
    QString m_run;
    State m_state = State::Text;
    QString m_params;
    int m_oscLength = 0;

    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    int m_foreground = -1;
    int m_background = -1;

    // Open for the length of one write.
    QTextCursor m_cursor;
};
