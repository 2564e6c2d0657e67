#include <QtTest>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickTextDocument>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "jsonhighlighter.h"

namespace {

// The format the highlighter gave the character at `position` of a line; a
// default format when no rule touched it.
QTextCharFormat formatAt(const QTextBlock &block, int position)
{
    const QVector<QTextLayout::FormatRange> ranges = block.layout()->formats();
    QTextCharFormat result;
    for (const QTextLayout::FormatRange &range : ranges) {
        if (position >= range.start && position < range.start + range.length)
            result = range.format;
    }
    return result;
}

QColor colourAt(const QTextBlock &block, int position)
{
    const QTextCharFormat format = formatAt(block, position);
    return format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : QColor();
}

QColor colourAt(const QTextDocument &document, int position)
{
    return colourAt(document.firstBlock(), position);
}

} // namespace

class TestJsonHighlighter : public QObject
{
    Q_OBJECT
private slots:
    void colours_data();
    void colours();
    void lines_are_coloured_on_their_own();
    void document_property_follows_text_areas();
};

void TestJsonHighlighter::colours_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<QColor>("colour");

    // `marker` is the part of the line whose first character is checked; an invalid
    // colour means the text area's own colour.
    const QColor string(Qt::darkGreen), literal(Qt::darkBlue), bracket(Qt::darkMagenta),
        colon(Qt::darkRed), none;
    QTest::newRow("key") << R"("ok": true)" << "ok" << string;
    QTest::newRow("opening quote of key") << R"("ok": true)" << "\"ok" << string;
    QTest::newRow("colon after key") << R"("ok": true)" << ":" << colon;
    QTest::newRow("true") << R"("ok": true)" << "true" << literal;
    QTest::newRow("false in array") << "[false, null]" << "false" << literal;
    QTest::newRow("null in array") << "[false, null]" << "null" << literal;
    QTest::newRow("word containing null") << "[nulls]" << "nulls" << none;
    QTest::newRow("brace") << R"({"a": 1})" << "{" << bracket;
    QTest::newRow("closing bracket") << "[1]" << "]" << bracket;
    QTest::newRow("string value") << R"("k": "a:b")" << "a:b" << string;
    QTest::newRow("colon inside string") << R"("k": "a:b")" << ":b" << colon;
    QTest::newRow("brace inside string") << R"("k": "{x")" << "{x" << bracket;
    QTest::newRow("literal inside string") << R"("k": "true")" << "true" << literal;
    QTest::newRow("escaped quote ends the first piece") << R"("say \"hi\" now")" << "say" << string;
    QTest::newRow("between the escaped quotes") << R"("say \"hi\" now")" << "hi" << none;
    QTest::newRow("after the escaped quotes") << R"("say \"hi\" now")" << " now" << string;
    QTest::newRow("integer") << R"("n": 42)" << "42" << none;
    QTest::newRow("negative decimal") << "[-3.5e2]" << "-3.5e2" << none;
    QTest::newRow("comma") << "[1, 2]" << "," << none;
    QTest::newRow("Chinese string") << R"("名称": "插件")" << "插件" << string;
}

void TestJsonHighlighter::colours()
{
    QFETCH(QString, line);
    QFETCH(QString, marker);
    QFETCH(QColor, colour);

    QTextDocument document(line);
    JsonHighlighter highlighter(&document);
    // Qt colours a freshly attached document from the event loop.
    QCoreApplication::processEvents();
    const int position = line.indexOf(marker);
    QVERIFY(position >= 0);
    QCOMPARE(colourAt(document, position), colour);
    // Coloured text is bold; the rest keeps the text area's weight.
    const QTextCharFormat format = formatAt(document.firstBlock(), position);
    QCOMPARE(format.hasProperty(QTextFormat::FontWeight), colour.isValid());
    QVERIFY(!colour.isValid() || format.fontWeight() == QFont::Bold);
}

void TestJsonHighlighter::lines_are_coloured_on_their_own()
{
    // A string broken across lines is no string on either line.
    QTextDocument document(QStringLiteral("[\"abc\ndef\", 1]"));
    JsonHighlighter highlighter(&document);
    QCoreApplication::processEvents();
    const QTextBlock second = document.firstBlock().next();
    QCOMPARE(second.text(), QStringLiteral("def\", 1]"));
    QCOMPARE(colourAt(document, 2), QColor());
    QCOMPARE(colourAt(second, 0), QColor());
    QCOMPARE(colourAt(second, 3), QColor());
    QCOMPARE(colourAt(second, 7), QColor(Qt::darkMagenta));
}

static QObject *createTextArea(QQmlEngine &engine, const QByteArray &text)
{
    QQmlComponent component(&engine);
    component.setData("import QtQuick 2.15\nTextEdit { text: '" + text + "' }", QUrl());
    QObject *area = component.create();
    if (!area)
        qWarning() << component.errors();
    return area;
}

void TestJsonHighlighter::document_property_follows_text_areas()
{
    QQmlEngine engine;
    QScopedPointer<QObject> first(createTextArea(engine, R"({"ok": true})"));
    QScopedPointer<QObject> second(createTextArea(engine, "[2]"));
    QVERIFY(first && second);
    auto *firstDocument = first->property("textDocument").value<QQuickTextDocument *>();
    auto *secondDocument = second->property("textDocument").value<QQuickTextDocument *>();

    JsonHighlighter highlighter;
    QSignalSpy changed(&highlighter, &JsonHighlighter::documentChanged);
    highlighter.setProperty("document", QVariant::fromValue(firstDocument));
    highlighter.setDocument(firstDocument);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(highlighter.quickDocument(), firstDocument);
    QTRY_COMPARE(colourAt(*firstDocument->textDocument(), 2), QColor(Qt::darkGreen));

    highlighter.setDocument(secondDocument);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(highlighter.QSyntaxHighlighter::document(), secondDocument->textDocument());
    QVERIFY(colourAt(*firstDocument->textDocument(), 2) != QColor(Qt::darkGreen));
    highlighter.setDocument(nullptr);
    highlighter.setDocument(nullptr);
    QCOMPARE(changed.count(), 3);
    QCOMPARE(highlighter.QSyntaxHighlighter::document(), nullptr);
}

QTEST_MAIN(TestJsonHighlighter)
#include "tst_jsonhighlighter.moc"
