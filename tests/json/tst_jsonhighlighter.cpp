#include <QtTest>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickTextDocument>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "jsonhighlighter.h"

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
    // One letter a character: s string, l literal, b bracket, c colon, '.' the
    // text area's own colour.
    QTest::addColumn<QString>("colours");

    QTest::newRow("key, colon and literal") << R"("ok": true)" << "ssssc.llll";
    QTest::newRow("literals, and a word that only holds one") << "[false, nulls, null]" << "blllll.........llllb";
    QTest::newRow("brackets, number and comma") << R"({"a": [-3.5e2, 1]})" << "bsssc.b.........bb";
    QTest::newRow("what a string holds keeps its own colour") << R"("k": "a:b{true")" << "sssc.sscsblllls";
    QTest::newRow("escaped quotes end a string") << R"("say \"hi\" now")" << "sssssss...ssssss";
    QTest::newRow("Chinese string") << R"("名称": "插件")" << "ssssc.ssss";
    // Each line is coloured on its own: a string broken across lines is no string.
    QTest::newRow("string broken across lines") << "[\"abc\ndef\", 1]" << "b....\n.......b";
}

void TestJsonHighlighter::colours()
{
    QFETCH(QString, text);
    QFETCH(QString, colours);
    QCOMPARE(colours.size(), text.size());

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

    const QHash<QChar, QColor> colourOf{{'s', Qt::darkGreen}, {'l', Qt::darkBlue}, {'b', Qt::darkMagenta},
                                        {'c', Qt::darkRed}, {'.', QColor()}, {'\n', QColor()}};
    for (int position = 0; position < text.size(); ++position) {
        const QTextBlock block = document.findBlock(position);
        QTextCharFormat format;
        for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
            if (position - block.position() >= range.start && position - block.position() < range.start + range.length)
                format = range.format;
        }
        const QColor colour = colourOf.value(colours.at(position));
        QVERIFY2((format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : QColor()) == colour,
                 qPrintable(QStringLiteral("character %1 of %2").arg(position).arg(text)));
        // Coloured text is bold; the rest keeps the text area's weight.
        QCOMPARE(format.hasProperty(QTextFormat::FontWeight), colour.isValid());
        QVERIFY(!colour.isValid() || format.fontWeight() == QFont::Bold);
    }
}

QTEST_MAIN(TestJsonHighlighter)
#include "tst_jsonhighlighter.moc"
