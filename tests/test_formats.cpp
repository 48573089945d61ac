// The file formats below the window: the first field of a progress file or
// the tab memory (what counts as the field, what is skipped, bounded memory
// for a file of any size) and the tab memory's line.
#include "firstfield.h"
#include "tabmemory.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A literal's bytes, NUL bytes included.
template<qsizetype N>
QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

// The field as the scanner hands it on, fed in chunks of `chunkSize` bytes.
std::optional<QByteArray> fieldOf(const QByteArray &text, qsizetype chunkSize)
{
    progress::FirstFieldScanner scanner;
    QByteArray field;
    for (qsizetype at = 0; at < text.size(); at += chunkSize) {
        const QByteArrayView chunk =
                QByteArrayView(text).sliced(at, std::min(chunkSize, text.size() - at));
        if (!scanner.feed(chunk,
                          [&](const char *data, qsizetype size) { field.append(data, size); }))
            break;
    }
    scanner.finish([&](const char *data, qsizetype size) { field.append(data, size); });
    if (!scanner.foundField())
        return std::nullopt;
    return field;
}

std::optional<progress::FlagScan> scanOf(const QByteArray &text, qint64 position,
                                         qsizetype headLength = 0)
{
    QByteArray copy = text;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return progress::scanFlagText(buffer, position, headLength);
}

} // namespace

class FormatsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void takesTheFirstField_data();
    void takesTheFirstField();
    void fileWithoutAFieldHasNone_data();
    void fileWithoutAFieldHasNone();
    void countsOnesAndPicksThePosition();
    void countsPastSixteenBits();
    void stopsLookingAtAHugeField();
    void readsASmallFieldFromAFile();
    void splitsTheTabsLine_data();
    void splitsTheTabsLine();
    void convertsATabIndex_data();
    void convertsATabIndex();
};

void FormatsTest::takesTheFirstField_data()
{
    // Plain, quoted and comma-cut fields, blank lines, marks and NUL bytes
    // are also the fuzz corpus's seeds, checked there against a model of the
    // format; these rows are the finer points.
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("alone") << bytes("0110") << bytes("0110");
    QTest::newRow("quoted keeps commas and spaces") << bytes("\"1, 0\",1") << bytes("1, 0");
    QTest::newRow("text after the closing quote ignored") << bytes("\"01\"11") << bytes("01");
    QTest::newRow("inner spaces belong to it") << bytes("5  3\r\n") << bytes("5  3");
    QTest::newRow("carriage returns alone end a line") << bytes("10\r01\r") << bytes("10");
    QTest::newRow("line feeds alone end a line") << bytes("10\n01") << bytes("10");
    QTest::newRow("empty quotes are an empty field") << bytes("\"\"11") << bytes("");
    QTest::newRow("a file ending in half a mark") << bytes("\xEF\xBB") << bytes("\xEF\xBB");
    QTest::newRow("a UTF-16 mark is text") << bytes("\xFF\xFE"
                                                    "1\0")
                                           << bytes("\xFF\xFE"
                                                    "1\0");
}

void FormatsTest::takesTheFirstField()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, field);
    // However the file arrives in pieces, the field is the same.
    for (qsizetype chunk : { qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(1024) }) {
        const auto found = fieldOf(text, chunk);
        QVERIFY2(found.has_value(), qPrintable(QString::number(chunk)));
        QCOMPARE(*found, field);
    }
    // The flag scan keeps the field's first characters and nothing beyond it.
    QCOMPARE(scanOf(text, 1, 3)->head, field.left(3));
}

void FormatsTest::fileWithoutAFieldHasNone_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("spaces and line ends only") << QByteArray("  \r\n \n\r ");
    QTest::newRow("a byte-order mark only") << QByteArray("\xEF\xBB\xBF");
}

void FormatsTest::fileWithoutAFieldHasNone()
{
    QFETCH(QByteArray, text);
    QVERIFY(!fieldOf(text, 1).has_value());
    QVERIFY(!scanOf(text, 1).has_value());
}

void FormatsTest::countsOnesAndPicksThePosition()
{
    const auto scan = scanOf("\"1001011\",1111\r\n", 4);
    QVERIFY(scan);
    QCOMPARE(scan->ones, 4);
    QCOMPARE(scan->length, 7);
    QCOMPARE(scan->flagAt, '1');
    // Positions before the start and past the end read as not done.
    QCOMPARE(scanOf("1001011", 7)->flagAt, '1');
    QCOMPARE(scanOf("1001011", 8)->flagAt, '\0');
    QCOMPARE(scanOf("1001011", 0)->flagAt, '\0');
}

void FormatsTest::countsPastSixteenBits()
{
    // Far more than a 16-bit count holds, and a position beyond it.
    QByteArray text(70000, '1');
    text[69999] = '0';
    text[65537] = '0'; // just past the first chunk read
    const auto scan = scanOf(text, 70000, 65538);
    QCOMPARE(scan->ones, 69998);
    QCOMPARE(scan->flagAt, '0');
    QCOMPARE(scan->head, text.left(65538));
}

void FormatsTest::stopsLookingAtAHugeField()
{
    // A field longer than any flag text is only looked at up to the limit,
    // so neither memory nor time depends on what the file holds.
    const QByteArray text(progress::MaxFlagTextLength + 4096, '1');
    const auto scan = scanOf(text, progress::MaxFlagTextLength + 10);
    QVERIFY(scan);
    QCOMPARE(scan->length, progress::MaxFlagTextLength);
    QCOMPARE(scan->ones, progress::MaxFlagTextLength);
    QCOMPARE(scan->flagAt, '\0');
}

void FormatsTest::readsASmallFieldFromAFile()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("Tabs.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(" 19 10\r\n");
    file.close();
    QCOMPARE(progress::readFirstField(file.fileName()), QByteArray("19 10"));
    QCOMPARE(progress::readFirstField(file.fileName(), 2), QByteArray("19"));
}

void FormatsTest::splitsTheTabsLine_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QByteArray>("outer");
    QTest::addColumn<QByteArray>("inner");
    QTest::newRow("one-digit region") << QByteArray("5 3") << QByteArray("5") << QByteArray("3");
    QTest::newRow("two-digit region")
            << QByteArray("19 10") << QByteArray("19") << QByteArray("10");
    QTest::newRow("two spaces") << QByteArray("5  3") << QByteArray("5") << QByteArray(" 3");
    QTest::newRow("single digit") << QByteArray("7") << QByteArray("7") << QByteArray();
    QTest::newRow("nothing after the space") << QByteArray("7 ") << QByteArray("7") << QByteArray();
    QTest::newRow("three numbers") << QByteArray("7 2 9") << QByteArray("7") << QByteArray("2 9");
    QTest::newRow("words") << QByteArray("seven two") << QByteArray("se") << QByteArray("en two");
    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray();
}

void FormatsTest::splitsTheTabsLine()
{
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, outer);
    QFETCH(QByteArray, inner);
    const tabmemory::TabsLine line = tabmemory::splitTabsField(field);
    QCOMPARE(line.outer, outer);
    QCOMPARE(line.inner, inner);
}

void FormatsTest::convertsATabIndex_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("index"); // -99 for none
    QTest::newRow("digits") << QByteArray("19") << 19;
    QTest::newRow("spaces around") << QByteArray(" 4 ") << 4;
    QTest::newRow("leading zero") << QByteArray("04") << 4;
    QTest::newRow("signs") << QByteArray("-1") << -1;
    QTest::newRow("plus") << QByteArray("+7") << 7;
    QTest::newRow("largest in 16 bits") << QByteArray("32767") << 32767;
    QTest::newRow("one past 16 bits") << QByteArray("32768") << -99;
    QTest::newRow("0 in 16 bits") << QByteArray("65536") << -99;
    QTest::newRow("2 in 32 bits") << QByteArray("4294967298") << -99;
    QTest::newRow("100000 digits") << QByteArray(100000, '9') << -99;
    QTest::newRow("a sign alone") << QByteArray("-") << -99;
    QTest::newRow("empty") << QByteArray() << -99;
    QTest::newRow("a letter") << QByteArray("x") << -99;
    QTest::newRow("a NUL inside") << QByteArray("7\0", 2) << -99;
    QTest::newRow("inner space") << QByteArray("2 9") << -99;
}

void FormatsTest::convertsATabIndex()
{
    QFETCH(QByteArray, text);
    QFETCH(int, index);
    QCOMPARE(tabmemory::toTabIndex(text).value_or(-99), index);
}

QTEST_APPLESS_MAIN(FormatsTest)
#include "test_formats.moc"
