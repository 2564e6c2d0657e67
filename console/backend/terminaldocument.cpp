#include "terminaldocument.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Which colour number a format's text was given; the window gets the colour
// of the theme in force. Backgrounds keep their colours: text on them stays as
// readable.
const int foregroundProperty = QTextFormat::UserProperty + 1;

// Longer parameter lists and titles are no sequence any program sends; past
// this they are cut off rather than held.
const int maxParams = 32;
const int maxOsc = 2048;
// A line is laid out whole whenever it changes: output without line feeds
// (a minified file, a binary) goes on on a new line past this length, as a
// terminal wraps at its edge, so an append never costs more than a line's worth.
const int maxLineLength = 1024;

QTextCursor &select(QTextCursor &cursor, int from, int to)
{
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace

TerminalDocument::TerminalDocument(QObject *parent)
    : QObject(parent)
{
    // A log is never undone; the history would only grow.
    m_lines.setUndoRedoEnabled(false);
    m_lines.setMaximumBlockCount(m_maximumLines);
    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(0);
    connect(&m_showTimer, &QTimer::timeout, this, [this] { showWindow(); });
}

QColor TerminalDocument::colour(int index, bool dark)
{
    // The light theme keeps the names HTML gives these colours; the dark one
    // has the same hues, light enough to read on the console's dark grey.
    static const char *const light[] = {"#000000", "#ff0000", "#008000", "#ffff00",
                                        "#0000ff", "#ff00ff", "#00ffff", "#ffffff"};
    static const char *const onDark[] = {"#a0a0a0", "#ff6b6b", "#5fd75f", "#f2d94e",
                                         "#6aa9ff", "#f07ef0", "#4fd6e0", "#f5f5f5"};
    return QColor(QLatin1String((dark ? onDark : light)[index & 7]));
}

QTextDocument *TerminalDocument::viewDocument() const
{
    return m_document ? m_document->textDocument() : nullptr;
}

void TerminalDocument::setDocument(QQuickTextDocument *document)
{
    if (document == m_document)
        return;
    m_document = document;
    if (QTextDocument *view = viewDocument())
        view->setUndoRedoEnabled(false);
    showWindow();
    emit documentChanged();
}

void TerminalDocument::setMaximumLines(int lines)
{
    if (lines == m_maximumLines)
        return;
    m_maximumLines = lines;
    const int before = lineCount();
    m_lines.setMaximumBlockCount(lines);
    if (lineCount() != before) {
        showWritten(before - lineCount());
        emit lineCountChanged();
    }
    emit maximumLinesChanged();
}

void TerminalDocument::setDark(bool dark)
{
    if (dark == m_dark)
        return;
    m_dark = dark;
    showWindow();
    emit darkChanged();
}

void TerminalDocument::setWindowLines(int lines)
{
    lines = qMax(1, lines);
    if (lines == m_windowLines)
        return;
    m_windowLines = lines;
    showWindow();
}

void TerminalDocument::setWindowCharacters(int characters)
{
    characters = qMax(1, characters);
    if (characters == m_windowCharacters)
        return;
    m_windowCharacters = characters;
    showWindow();
}

void TerminalDocument::scrollTo(int line)
{
    const int last = qMax(0, lineCount() - m_windowLines);
    const int first = qBound(0, line, last);
    if (first == m_firstLine && m_following == (first == last))
        return;
    m_firstLine = first;
    m_following = first == last;
    showWindow();
}

QString TerminalDocument::plainText() const
{
    return m_lines.toPlainText();
}

TerminalDocument::Spot TerminalDocument::spotAt(int position) const
{
    const QTextDocument *view = viewDocument();
    QTextBlock line = view ? view->findBlock(position) : QTextBlock();
    if (!line.isValid())
        return view ? Spot{m_firstLine + view->blockCount() - 1, view->lastBlock().length() - 1} : Spot();
    return {m_firstLine + line.blockNumber(), position - line.position()};
}

int TerminalDocument::positionOf(Spot spot) const
{
    const QTextDocument *view = viewDocument();
    if (!view || spot.line < m_firstLine)
        return 0;
    const QTextBlock line = view->findBlockByNumber(spot.line - m_firstLine);
    if (!line.isValid())
        return view->characterCount() - 1;
    return line.position() + qMin(spot.column, line.length() - 1);
}

int TerminalDocument::documentPosition(Spot spot) const
{
    const QTextBlock line = m_lines.findBlockByNumber(spot.line);
    return line.position() + qMin(spot.column, line.length() - 1);
}

int TerminalDocument::selectionStart() const
{
    return m_selecting ? positionOf(qMin(m_anchor, m_head)) : 0;
}

int TerminalDocument::selectionEnd() const
{
    return m_selecting ? positionOf(qMax(m_anchor, m_head)) : 0;
}

void TerminalDocument::beginSelection(int position)
{
    m_anchor = m_head = spotAt(position);
    m_selecting = true;
    emit selectionChanged();
}

void TerminalDocument::extendSelection(int position)
{
    if (!m_selecting)
        m_anchor = spotAt(position);
    m_head = spotAt(position);
    m_selecting = true;
    emit selectionChanged();
}

void TerminalDocument::endSelection()
{
    if (!(m_anchor < m_head) && !(m_head < m_anchor))
        clearSelection();
}

void TerminalDocument::selectAll()
{
    m_anchor = Spot();
    m_head = {lineCount() - 1, m_lines.lastBlock().length() - 1};
    m_selecting = true;
    emit selectionChanged();
}

void TerminalDocument::clearSelection()
{
    if (!m_selecting)
        return;
    m_selecting = false;
    emit selectionChanged();
    // Held while selecting: the newest output shows now.
    if (m_following)
        showWindow();
}

QString TerminalDocument::selectedText() const
{
    if (!m_selecting)
        return QString();
    QTextCursor cursor(m_lines.firstBlock());
    select(cursor, documentPosition(qMin(m_anchor, m_head)), documentPosition(qMax(m_anchor, m_head)));
    return cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

void TerminalDocument::showWritten(int dropped)
{
    const bool shownDropped = m_firstLine < dropped;
    if (dropped > 0) {
        m_firstLine = qMax(0, m_firstLine - dropped);
        emit windowChanged();
    }
    if (dropped > 0 && m_selecting) {
        m_anchor.line -= dropped;
        m_head.line -= dropped;
        // Cut at the oldest line kept; gone when all it held went.
        if (qMax(m_anchor, m_head).line < 0)
            m_selecting = false;
        for (Spot *spot : {&m_anchor, &m_head}) {
            if (spot->line < 0)
                *spot = Spot();
        }
        emit selectionChanged();
    }
    // Lines the window showed went: the window moves to what is kept, at
    // once while a selection is shown in it. Else only a window that follows
    // and holds no selection shows what came.
    if (shownDropped && m_selecting)
        showWindow(true);
    else if (shownDropped || (m_following && !m_selecting))
        m_showTimer.start();
}

void TerminalDocument::showWindow(bool hold)
{
    m_showTimer.stop();
    QTextDocument *view = viewDocument();
    if (!view)
        return;
    const int last = qMax(0, lineCount() - m_windowLines);
    m_following = m_following || m_firstLine >= last;
    const bool fromEnd = m_following && !hold;
    // Long lines take several rows each: fewer of them fill the screen.
    int lines = 0;
    int characters = 0;
    const auto full = [&] { return lines >= m_windowLines || characters >= m_windowCharacters; };
    QTextBlock line;
    if (fromEnd) {
        for (line = m_lines.lastBlock(); line.previous().isValid(); line = line.previous()) {
            ++lines;
            characters += line.length();
            if (full())
                break;
        }
        m_firstLine = line.blockNumber();
    } else {
        line = m_lines.findBlockByNumber(m_firstLine);
    }

    QTextCursor out(view);
    out.beginEditBlock();
    out.select(QTextCursor::Document);
    out.removeSelectedText();
    for (lines = characters = 0; line.isValid() && (fromEnd || !full()); line = line.next()) {
        if (lines++ > 0)
            out.insertBlock(QTextBlockFormat(), QTextCharFormat());
        characters += line.length();
        for (auto it = line.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (format.hasProperty(foregroundProperty))
                format.setForeground(colour(format.intProperty(foregroundProperty), m_dark));
            out.insertText(fragment.text(), format);
        }
    }
    out.endEditBlock();
    emit windowChanged();
    if (m_selecting)
        emit selectionChanged();
}

bool TerminalDocument::atLineStart() const
{
    return m_lines.lastBlock().length() <= 1;
}

void TerminalDocument::write(const QString &text, const QString &margin)
{
    const int before = lineCount();
    m_newLines = 0;
    m_cursor = QTextCursor(&m_lines);
    m_cursor.beginEditBlock();
    if (!margin.isEmpty() && atLineStart()) {
        m_cursor.movePosition(QTextCursor::End);
        m_cursor.insertText(margin, QTextCharFormat());
        m_column = m_margin = margin.size();
    }
    for (const QChar c : text)
        feed(c);
    flush();
    // Lines past the limit go from the top here.
    m_cursor.endEditBlock();
    m_cursor = QTextCursor();

    showWritten(before + m_newLines - lineCount());
    if (lineCount() != before)
        emit lineCountChanged();
}

void TerminalDocument::feed(QChar c)
{
    const ushort code = c.unicode();
    switch (m_state) {
    case State::Text:
        break;
    case State::Escape:
        if (code == '[') {
            m_params.clear();
            m_state = State::Csi;
        } else if (code == ']') {
            m_oscLength = 0;
            m_state = State::Osc;
        } else if (code == '(' || code == ')' || code == '*' || code == '+') {
            m_state = State::Charset;
        } else {
            m_state = State::Text;
        }
        return;
    case State::Charset:
        m_state = State::Text;
        return;
    case State::Csi:
        if (code >= 0x30 && code <= 0x3f) {
            if (m_params.size() < maxParams)
                m_params += c;
            return;
        }
        if (code >= 0x20 && code <= 0x2f)
            return;
        m_state = State::Text;
        if (code >= 0x40 && code <= 0x7e) {
            finishCsi(c);
            return;
        }
        // A control character breaks the sequence off; it still counts.
        break;
    case State::Osc:
        if (code == 0x07 || ++m_oscLength > maxOsc)
            m_state = State::Text;
        else if (code == 0x1b)
            m_state = State::OscEscape;
        return;
    case State::OscEscape:
        if (code == '\\') {
            m_state = State::Text;
            return;
        }
        m_state = State::Escape;
        feed(c);
        return;
    }

    if ((code >= 0x20 && code != 0x7f) || code == '\t') {
        m_run += c;
        if (m_column + m_run.size() >= maxLineLength)
            newLine();
        return;
    }
    switch (code) {
    case '\n':
        newLine();
        break;
    case '\r':
        flush();
        m_column = m_margin;
        break;
    case '\b':
        flush();
        if (m_column > m_margin)
            --m_column;
        break;
    case 0x1b:
        flush();
        m_state = State::Escape;
        break;
    default:
        // Bell and the other controls have nothing to show.
        break;
    }
}

void TerminalDocument::flush()
{
    if (m_run.isEmpty())
        return;
    const QTextBlock line = m_cursor.document()->lastBlock();
    const int start = line.position();
    int length = line.length() - 1;
    if (m_column > length) {
        m_cursor.setPosition(start + length);
        m_cursor.insertText(QString(m_column - length, QLatin1Char(' ')), QTextCharFormat());
        length = m_column;
    }
    const int overwritten = qMin(m_run.size(), length - m_column);
    select(m_cursor, start + m_column, start + m_column + overwritten).insertText(m_run, currentFormat());
    m_column += m_run.size();
    m_run.clear();
}

void TerminalDocument::newLine()
{
    flush();
    m_cursor.movePosition(QTextCursor::End);
    m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    ++m_newLines;
    m_column = m_margin = 0;
}

void TerminalDocument::finishCsi(QChar final)
{
    // Private modes (bracketed paste, cursor keys, ...) mean nothing to a text view.
    if (!m_params.isEmpty() && !m_params.at(0).isDigit() && m_params.at(0) != QLatin1Char(';'))
        return;
    if (final == QLatin1Char('m'))
        selectGraphicRendition();
    else if (final == QLatin1Char('K'))
        eraseInLine();
}

void TerminalDocument::selectGraphicRendition()
{
    const QStringList pieces = m_params.split(QLatin1Char(';'));
    for (int i = 0; i < pieces.size(); ++i) {
        const int code = pieces.at(i).toInt();
        if (code == 0) {
            m_bold = m_italic = m_underline = false;
            m_foreground = m_background = -1;
        } else if (code == 1) {
            m_bold = true;
        } else if (code == 3) {
            m_italic = true;
        } else if (code == 4) {
            m_underline = true;
        } else if (code == 22) {
            m_bold = false;
        } else if (code == 23) {
            m_italic = false;
        } else if (code == 24) {
            m_underline = false;
        } else if ((code >= 30 && code <= 37) || (code >= 90 && code <= 97)) {
            m_foreground = code % 10;
        } else if (code == 39) {
            m_foreground = -1;
        } else if ((code >= 40 && code <= 47) || (code >= 100 && code <= 107)) {
            m_background = code % 10;
        } else if (code == 49) {
            m_background = -1;
        } else if (code == 38 || code == 48) {
            // 256-colour and RGB colours: skip their arguments, so they are
            // not read as codes of their own.
            const int kind = i + 1 < pieces.size() ? pieces.at(i + 1).toInt() : 0;
            i += kind == 5 ? 2 : kind == 2 ? 4 : 1;
        }
    }
}

void TerminalDocument::eraseInLine()
{
    const QTextBlock line = m_cursor.document()->lastBlock();
    const int start = line.position() + m_margin;
    const int length = line.length() - 1 - m_margin;
    const int column = m_column - m_margin;
    const int mode = m_params.toInt();
    if (mode == 0 && column < length) {
        select(m_cursor, start + column, start + length).removeSelectedText();
    } else if (mode == 1) {
        const int end = qMin(column + 1, length);
        select(m_cursor, start, start + end).insertText(QString(end, QLatin1Char(' ')), QTextCharFormat());
    } else if (mode == 2) {
        select(m_cursor, start, start + length).removeSelectedText();
    }
}

QTextCharFormat TerminalDocument::currentFormat() const
{
    QTextCharFormat format;
    if (m_bold)
        format.setFontWeight(QFont::Bold);
    if (m_italic)
        format.setFontItalic(true);
    if (m_underline)
        format.setFontUnderline(true);
    if (m_foreground >= 0)
        format.setProperty(foregroundProperty, m_foreground);
    if (m_background >= 0)
        format.setBackground(colour(m_background, false));
    return format;
}
