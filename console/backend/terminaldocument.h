#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickTextDocument>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

// Writes a shell's output the way a terminal shows it, as far as a text view
// can: a carriage return goes back to the start of the line and what follows
// overwrites it, backspace steps back, "erase in line" erases, line feed starts
// a new line. Colour and style sequences become character formats; every other
// escape sequence is dropped. Only the newest maximumLines lines are kept.
//
// The lines live in a document of this object's own. The Qt Quick text area
// given as `document` shows a window of windowLines of them (fewer when they
// are long): the newest while following, else the ones scrolled to. A text
// item lays out and draws all it holds, so a window keeps the cost of an
// append the same however much was shown before.
//
// A selection is held in lines and columns of the kept lines, so it outlives
// scrolling; the window shows the part of it that it holds. While there is
// one, new output leaves the window where it is.
class TerminalDocument : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QQuickTextDocument *document READ document WRITE setDocument NOTIFY documentChanged)
    Q_PROPERTY(int maximumLines READ maximumLines WRITE setMaximumLines NOTIFY maximumLinesChanged)
    Q_PROPERTY(bool dark READ dark WRITE setDark NOTIFY darkChanged)
    Q_PROPERTY(int windowLines READ windowLines WRITE setWindowLines NOTIFY windowChanged)
    // What fills the screen when lines are long: the window holds no more
    // lines than reach this many characters.
    Q_PROPERTY(int windowCharacters READ windowCharacters WRITE setWindowCharacters NOTIFY windowChanged)
    Q_PROPERTY(int lineCount READ lineCount NOTIFY lineCountChanged)
    Q_PROPERTY(int firstLine READ firstLine NOTIFY windowChanged)
    Q_PROPERTY(bool following READ following NOTIFY windowChanged)
    // Set from the first press of a selection until it is cleared, also while
    // it is still empty.
    Q_PROPERTY(bool selecting READ selecting NOTIFY selectionChanged)
    // The selection as positions in the window's document: both at the
    // window's start or end for the part outside it.
    Q_PROPERTY(int selectionStart READ selectionStart NOTIFY selectionChanged)
    Q_PROPERTY(int selectionEnd READ selectionEnd NOTIFY selectionChanged)
public:
    explicit TerminalDocument(QObject *parent = nullptr);

    QQuickTextDocument *document() const { return m_document; }
    void setDocument(QQuickTextDocument *document);
    int maximumLines() const { return m_maximumLines; }
    void setMaximumLines(int lines);
    bool dark() const { return m_dark; }
    // Recolours what is shown already, too.
    void setDark(bool dark);
    int windowLines() const { return m_windowLines; }
    void setWindowLines(int lines);
    int windowCharacters() const { return m_windowCharacters; }
    void setWindowCharacters(int characters);
    int lineCount() const { return m_lines.blockCount(); }
    int firstLine() const { return m_firstLine; }
    bool following() const { return m_following; }
    bool selecting() const { return m_selecting; }
    int selectionStart() const;
    int selectionEnd() const;

    // margin goes first when text starts a line; carriage return, backspace
    // and erasing stop at it, so a progress line that rewrites itself keeps it.
    Q_INVOKABLE void write(const QString &text, const QString &margin = QString());
    // True while the line being written holds nothing yet.
    Q_INVOKABLE bool atLineStart() const;
    // Shows the window from line on; at the newest lines it follows them again.
    Q_INVOKABLE void scrollTo(int line);
    // Every line kept, shown or not.
    Q_INVOKABLE QString plainText() const;

    // Selection ends given as positions in the window's document.
    Q_INVOKABLE void beginSelection(int position);
    Q_INVOKABLE void extendSelection(int position);
    // A press without a drag selects nothing: the view lets go.
    Q_INVOKABLE void endSelection();
    Q_INVOKABLE void selectAll();
    Q_INVOKABLE void clearSelection();
    // All the selection covers, scrolled out of the window or not.
    Q_INVOKABLE QString selectedText() const;

    // Colour number 0-7 (black, red, green, yellow, blue, magenta, cyan, white)
    // of text on the light or the dark background.
    static QColor colour(int index, bool dark);

signals:
    void documentChanged();
    void maximumLinesChanged();
    void darkChanged();
    void windowChanged();
    void lineCountChanged();
    void selectionChanged();

private:
    enum class State { Text, Escape, Csi, Osc, OscEscape, Charset };
    // A place in the kept lines.
    struct Spot {
        int line = 0;
        int column = 0;
        bool operator<(const Spot &other) const
        {
            return line < other.line || (line == other.line && column < other.column);
        }
    };

    QTextDocument *viewDocument() const;
    // hold: the window stays at its first line even while following.
    void showWindow(bool hold = false);
    // After lines were written, dropped lines taken from the top.
    void showWritten(int dropped);
    Spot spotAt(int position) const;
    int positionOf(Spot spot) const;
    int documentPosition(Spot spot) const;
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

    QTextDocument m_lines;
    int m_windowLines = 50;
    int m_windowCharacters = 8000;
    int m_firstLine = 0;
    bool m_following = true;
    bool m_selecting = false;
    Spot m_anchor;
    Spot m_head;
    // Writes come in bursts; the window is copied once after them.
    QTimer m_showTimer;

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
    int m_newLines = 0;
};
