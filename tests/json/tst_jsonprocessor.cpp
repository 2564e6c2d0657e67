#include <QtTest>

#include "jsonprocessor.h"

class TestJsonProcessor : public QObject
{
    Q_OBJECT
private slots:
    void formatAndValidate_data();
    void formatAndValidate();

private:
    JsonProcessor processor;
};

void TestJsonProcessor::formatAndValidate_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("formatted"); // empty: the text does not parse
    QTest::addColumn<QString>("error");

    QTest::newRow("keys come out sorted") << R"({"b":1,"a":2})" << "{\n    \"a\": 2,\n    \"b\": 1\n}\n" << "";
    QTest::newRow("nesting indents four spaces per level")
        << R"({"list":[1,{"x":null}],"on":true})"
        << "{\n    \"list\": [\n        1,\n        {\n            \"x\": null\n        }\n    ],\n"
           "    \"on\": true\n}\n" << "";
    QTest::newRow("top-level array") << "[ \"a\" ,2.5 ]" << "[\n    \"a\",\n    2.5\n]\n" << "";
    QTest::newRow("Chinese and emoji survive") << R"({"名称":"插件配置 😀"})"
                                               << "{\n    \"名称\": \"插件配置 😀\"\n}\n" << "";
    QTest::newRow("missing comma") << "{\"a\": 1\n\"b\": 2}" << "" << "unterminated object";
    QTest::newRow("trailing comma") << R"({"a": 1,})" << "" << "object is missing after a comma";
    QTest::newRow("bare word") << R"({"a": yes})" << "" << "illegal number";
    QTest::newRow("unterminated string") << R"({"a": "x)" << "" << "unterminated string";
    QTest::newRow("empty text") << "" << "" << "illegal value";
    QTest::newRow("top-level number") << "5" << "" << "illegal value";
}

void TestJsonProcessor::formatAndValidate()
{
    QFETCH(QString, raw);
    QFETCH(QString, formatted);
    QFETCH(QString, error);
    const QString result = processor.formatJson(raw);
    QCOMPARE(result, formatted);
    // The editor tests the result against "": a null string would read as null in QML.
    QVERIFY(!result.isNull());

    const QVariantMap check = processor.validateJson(raw);
    QCOMPARE(check.value("hasError").toBool(), !error.isEmpty());
    QCOMPARE(check.value("errorMessage").toString(), error);
    QCOMPARE(check.contains("errorOffset"), !error.isEmpty());
}

QTEST_GUILESS_MAIN(TestJsonProcessor)
#include "tst_jsonprocessor.moc"
