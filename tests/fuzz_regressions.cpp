// The fuzz targets' checks, run over their seed inputs and over every input
// the fuzzers found, on each ordinary build: what was once wrong stays
// tested without clang and without a fuzzing run.
#include "fuzztargets.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

namespace {

QStringList failedChecks;

} // namespace

// The targets report a failed check here instead of aborting.
void fuzzCheckFailed(const char *file, int line, const char *condition)
{
    failedChecks.append(QStringLiteral("%1:%2: %3")
                                .arg(QLatin1String(file))
                                .arg(line)
                                .arg(QLatin1String(condition)));
}

class FuzzRegressions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replaysSeedsAndFindings_data();
    void replaysSeedsAndFindings();
};

void FuzzRegressions::replaysSeedsAndFindings_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");

    int inputs = 0;
    for (const char *folder : { "corpus", "regressions" }) {
        for (const char *target : { "firstfield", "tabsline", "batchline" }) {
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
    QVERIFY2(inputs >= 20,
             qPrintable(QStringLiteral("only %1 inputs under " HUNTMARK_FUZZ_DIR).arg(inputs)));
}

void FuzzRegressions::replaysSeedsAndFindings()
{
    QFETCH(QString, target);
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray input = file.readAll();
    const auto run = [&](auto entry) {
        entry(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
    };

    failedChecks.clear();
    if (target == u"firstfield") {
        // The first byte chooses the chunk size: replay every one of them,
        // so the boundaries fall everywhere in these short inputs.
        for (int chunk = 0; chunk < 256 && !input.isEmpty(); ++chunk) {
            input[0] = char(chunk);
            run(fuzz_firstfield);
        }
    } else {
        run(target == u"tabsline" ? fuzz_tabsline : fuzz_batchline);
    }
    QVERIFY2(failedChecks.isEmpty(), qPrintable(failedChecks.join(u'\n')));
}

QTEST_APPLESS_MAIN(FuzzRegressions)
#include "fuzz_regressions.moc"
