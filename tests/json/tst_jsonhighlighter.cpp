#include <QtTest>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickTextDocument>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "jsonhighlighter.h"

// The format the highlighter gave the character at `position` of the document;
// a default format where no rule touched it.
static QTextCharFormat formatAt(const QTextDocument &document, int position)
{
    const QTextBlock block = document.findBlock(position);
    QTextCharFormat result;
    for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
        if (position - block.position() >= range.start && position - block.position() < range.start + range.length)
            result = range.format;
    }
    return result;
}

class TestJsonHighlighter : public QObject
{
    Q_OBJECT
private slots:
    void colours_data();
    void colours();

private:
    QQmlEngine engine;
};

void TestJsonHighlighter::colours_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<QColor>("colour");

    // `marker` is the part of the text whose first character is checked; an invalid
    // colour means the text area's own colour.
    const QColor string(Qt::darkGreen), literal(Qt::darkBlue), bracket(Qt::darkMagenta),
        colon(Qt::darkRed), none;
    QTest::newRow("key") << R"("ok": true)" << "\"ok" << string;
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
    QTest::newRow("number") << "[-3.5e2]" << "-3.5e2" << none;
    QTest::newRow("comma") << "[1, 2]" << "," << none;
    QTest::newRow("Chinese string") << R"("名称": "插件")" << "插件" << string;
    // Each line is coloured on its own: a string broken across lines is no string.
    QTest::newRow("first line of a broken string") << "[\"abc\ndef\", 1]" << "abc" << none;
    QTest::newRow("second line of a broken string") << "[\"abc\ndef\", 1]" << "def" << none;
    QTest::newRow("bracket on the second line") << "[\"abc\ndef\", 1]" << "]" << bracket;
}

void TestJsonHighlighter::colours()
{
    QFETCH(QString, text);
    QFETCH(QString, marker);
    QFETCH(QColor, colour);

    // Attached as the editor attaches it: through the property, to a text area's document.
    QQmlComponent component(&engine);
    component.setData("import QtQuick 2.15\nTextEdit {}", QUrl());
    QScopedPointer<QObject> area(component.create());
    QVERIFY2(area, qPrintable(component.errorString()));
    area->setProperty("text", text);
    JsonHighlighter highlighter;
    QVERIFY(highlighter.setProperty("document", area->property("textDocument")));
    const QTextDocument &document = *area->property("textDocument").value<QQuickTextDocument *>()->textDocument();
    // Qt colours a freshly attached document from the event loop.
    QCoreApplication::processEvents();
    const QTextCharFormat format = formatAt(document, text.indexOf(marker));
    QCOMPARE(format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : QColor(), colour);
    // Coloured text is bold; the rest keeps the text area's weight.
    QCOMPARE(format.hasProperty(QTextFormat::FontWeight), colour.isValid());
    QVERIFY(!colour.isValid() || format.fontWeight() == QFont::Bold);
}

QTEST_MAIN(TestJsonHighlighter)
#include "tst_jsonhighlighter.moc"
