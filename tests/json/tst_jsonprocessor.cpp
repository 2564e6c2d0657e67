#include <QtTest>

#include "jsonprocessor.h"

class TestJsonProcessor : public QObject
{
    Q_OBJECT
private slots:
    void formatJson_data();
    void formatJson();
    void validateJson_accepts_documents_with_one_key();
    void validateJson_reports_errors_data();
    void validateJson_reports_errors();
    void validateJson_counts_bytes_not_characters_data();
    void validateJson_counts_bytes_not_characters();

private:
    JsonProcessor processor;
};

void TestJsonProcessor::formatJson_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("formatted");

    QTest::newRow("keys come out sorted") << R"({"b":1,"a":2})"
                                          << "{\n    \"a\": 2,\n    \"b\": 1\n}\n";
    QTest::newRow("nesting indents four spaces per level")
        << R"({"list":[1,{"x":null}],"on":true})"
        << "{\n    \"list\": [\n        1,\n        {\n            \"x\": null\n        }\n    ],\n"
           "    \"on\": true\n}\n";
    QTest::newRow("top-level array") << "[ \"a\" ,2.5 ]" << "[\n    \"a\",\n    2.5\n]\n";
    QTest::newRow("Chinese text survives") << R"({"名称":"插件配置","说明":"中文 ✓"})"
                                           << "{\n    \"名称\": \"插件配置\",\n    \"说明\": \"中文 ✓\"\n}\n";
    QTest::newRow("emoji survives") << R"(["😀"])" << "[\n    \"😀\"\n]\n";
    QTest::newRow("invalid text") << R"({"a": 1,})" << "";
    QTest::newRow("missing comma") << "{\"a\": 1\n\"b\": 2}" << "";
    QTest::newRow("empty text") << "" << "";
    QTest::newRow("blank text") << "  \n" << "";
    QTest::newRow("top-level number") << "5" << "";
    QTest::newRow("top-level string") << "\"text\"" << "";
}

void TestJsonProcessor::formatJson()
{
    QFETCH(QString, raw);
    QFETCH(QString, formatted);
    const QString result = processor.formatJson(raw);
    QCOMPARE(result, formatted);
    // The editor puts the result straight into its text; a null string would read
    // as null there rather than as an empty text.
    QVERIFY(!result.isNull());
}

void TestJsonProcessor::validateJson_accepts_documents_with_one_key()
{
    for (const QString &text : {QStringLiteral("{}"), QStringLiteral("[1, 2]"),
                                QStringLiteral("{\"名\": [\"😀\", {\"a\": null}]}")}) {
        const QVariantMap result = processor.validateJson(text);
        QCOMPARE(result.keys(), QStringList{QStringLiteral("hasError")});
        QCOMPARE(result.value("hasError"), QVariant(false));
    }
}

void TestJsonProcessor::validateJson_reports_errors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    QTest::newRow("missing comma between members") << "{\"a\": 1\n\"b\": 2}" << "unterminated object";
    QTest::newRow("trailing comma") << R"({"a": 1,})" << "object is missing after a comma";
    QTest::newRow("bare word") << R"({"a": yes})" << "illegal number";
    QTest::newRow("unterminated string") << R"({"a": "x)" << "unterminated string";
    QTest::newRow("empty text") << "" << "illegal value";
    QTest::newRow("top-level number") << "5" << "illegal value";
}

void TestJsonProcessor::validateJson_reports_errors()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    const QVariantMap result = processor.validateJson(text);
    QCOMPARE(result.value("hasError"), QVariant(true));
    QCOMPARE(result.value("errorMessage").toString(), message);
    QVERIFY(result.value("errorOffset").toInt() >= 0);
    QCOMPARE(result.size(), 3);
}

void TestJsonProcessor::validateJson_counts_bytes_not_characters_data()
{
    // The same broken document twice: once with an ASCII name, once with a name
    // whose characters take more bytes in UTF-8. The offsets must differ by exactly
    // the extra bytes.
    QTest::addColumn<QString>("ascii");
    QTest::addColumn<QString>("wide");
    QTest::addColumn<int>("extraBytes");

    QTest::newRow("two Chinese characters") << R"({"ab": 1 "c": 2})" << R"({"名称": 1 "c": 2})" << 4;
    QTest::newRow("Chinese on an earlier line") << "{\"ab\": 1,\n\"c\": x}" << "{\"名称\": 1,\n\"c\": x}" << 4;
    QTest::newRow("Latin-1 accent") << R"({"e": yes})" << R"({"é": yes})" << 1;
    QTest::newRow("emoji beyond U+FFFF") << R"({"ab": yes})" << R"({"😀": yes})" << 2;
}

void TestJsonProcessor::validateJson_counts_bytes_not_characters()
{
    QFETCH(QString, ascii);
    QFETCH(QString, wide);
    QFETCH(int, extraBytes);
    const QVariantMap plain = processor.validateJson(ascii);
    const QVariantMap widened = processor.validateJson(wide);
    QCOMPARE(plain.value("hasError"), QVariant(true));
    QCOMPARE(widened.value("hasError"), QVariant(true));
    QCOMPARE(widened.value("errorOffset").toInt(), plain.value("errorOffset").toInt() + extraBytes);
    QCOMPARE(widened.value("errorMessage"), plain.value("errorMessage"));
}

QTEST_GUILESS_MAIN(TestJsonProcessor)
#include "tst_jsonprocessor.moc"
