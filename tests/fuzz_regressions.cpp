// The fuzz targets' checks, run over their seed inputs and over every input
// the fuzzers found, on each ordinary build: what was once wrong stays
// tested without clang and without a fuzzing run.
#include "progress/firstfield.h"
#include "progress/tabmemory.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>
#include <cstdint>

extern "C" int fuzz_firstfield(const uint8_t *data, size_t size);
extern "C" int fuzz_tabsline(const uint8_t *data, size_t size);
extern "C" int fuzz_batchline(const uint8_t *data, size_t size);

namespace {

QStringList failedChecks;

} // namespace

// The targets report a failed check here instead of aborting.
void fuzzCheckFailed(const char *file, int line, const char *condition)
{
    failedChecks.append(
            QStringLiteral("%1:%2: %3").arg(QLatin1String(file)).arg(line).arg(QLatin1String(condition)));
}

class FuzzRegressions : public QObject
{
    Q_OBJECT

private slots:
    void replaysSeedsAndFindings_data();
    void replaysSeedsAndFindings();
    void brokenOffMarkIsText_data();
    void brokenOffMarkIsText();
};

void FuzzRegressions::replaysSeedsAndFindings_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");

    int inputs = 0;
    for (const char *folder : {"corpus", "regressions"}) {
        for (const char *target : {"firstfield", "tabsline", "batchline"}) {
            const QString dir = QStringLiteral(HUNTMARK_FUZZ_DIR "/%1/%2")
                                        .arg(QLatin1String(folder), QLatin1String(target));
            QDirIterator it(dir, QDir::Files);
            while (it.hasNext()) {
                it.next();
                QTest::addRow("%s/%s/%s", folder, target, qPrintable(it.fileName()))
                        << QString::fromLatin1(target) << it.filePath();
                ++inputs;
            }
        }
    }
    // An empty list would pass without testing anything.
    QVERIFY2(inputs >= 20, qPrintable(QStringLiteral("only %1 inputs under " HUNTMARK_FUZZ_DIR).arg(inputs)));
}

void FuzzRegressions::replaysSeedsAndFindings()
{
    QFETCH(QString, target);
    QFETCH(QString, path);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray input = file.readAll();
    const auto *data = reinterpret_cast<const uint8_t *>(input.constData());
    const size_t size = size_t(input.size());

    failedChecks.clear();
    if (target == u"firstfield") {
        // The first byte chooses the chunk size: replay every one of them,
        // so the boundaries fall everywhere in these short inputs.
        QByteArray variant = input;
        for (int chunk = 0; chunk < 256 && !variant.isEmpty(); ++chunk) {
            variant[0] = char(chunk);
            fuzz_firstfield(reinterpret_cast<const uint8_t *>(variant.constData()), size);
        }
    } else if (target == u"tabsline") {
        fuzz_tabsline(data, size);
    } else {
        fuzz_batchline(data, size);
    }
    QVERIFY2(failedChecks.isEmpty(), qPrintable(failedChecks.join(u'\n')));
}

void FuzzRegressions::brokenOffMarkIsText_data()
{
    QTest::addColumn<QByteArray>("file");

    // Found by both fuzzers for the first field: a file that is only the
    // start of a byte-order mark had no field at all.
    QTest::newRow("first byte of a mark") << QByteArray("\xEF");
    QTest::newRow("first two bytes of a mark") << QByteArray("\xEF\xBB");
}

void FuzzRegressions::brokenOffMarkIsText()
{
    QFETCH(QByteArray, file);

    // A mark broken off part way is text, as it is when more bytes follow
    // ("\xEF\xBB" then "1" is the field "\xEF\xBB" "1"); so a file that ends
    // there holds a field of those bytes, not none.
    QByteArray bytes = file;
    QBuffer device(&bytes);
    QVERIFY(device.open(QIODevice::ReadOnly));
    const std::optional<progress::FlagScan> scan = progress::scanFlagText(device, 1);
    QVERIFY2(scan.has_value(), "no field found");
    QCOMPARE(scan->length, file.size());
    QCOMPARE(scan->flagAt, '\xEF');

    QTemporaryDir dir;
    QFile saved(dir.filePath(QStringLiteral("Tabs.ini")));
    QVERIFY(saved.open(QIODevice::WriteOnly));
    saved.write(file);
    saved.close();
    QCOMPARE(progress::readFirstField(saved.fileName()), std::optional<QByteArray>(file));
}

QTEST_MAIN(FuzzRegressions)
#include "fuzz_regressions.moc"
