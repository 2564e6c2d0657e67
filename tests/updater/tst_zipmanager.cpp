#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>

#include "files.h"
#include "zipmanager.h"

// An entry of a test archive; kind as make_zip.py takes it.
struct ZipEntry
{
    QString name;
    QByteArray data;
    QString kind;
};

using Prepare = std::function<void(const QDir &dest)>;
Q_DECLARE_METATYPE(ZipEntry)
Q_DECLARE_METATYPE(Prepare)

namespace {

const QString summary = QStringLiteral("更新失败，已保留原有版本");

// Everything the manager tells its listeners, in arrival order.
struct Recorder
{
    explicit Recorder(ZipManager *manager)
    {
        QObject::connect(manager, &ZipManager::progressChanged, &context,
                         [this](int p) { events << QStringLiteral("progress %1").arg(p); });
        QObject::connect(manager, &ZipManager::errorOccurred, &context,
                         [this](const QString &m) { events << QStringLiteral("error ") + m; });
        QObject::connect(manager, &ZipManager::unzipFinished, &context, [this] { events << QStringLiteral("finished"); });
    }

    // Waits for the n-th unzipFinished, then a little longer so that anything
    // arriving after it (a second finish, a late progress) is caught as well.
    bool waitFinished(int n = 1)
    {
        const bool arrived = QTest::qWaitFor([&] { return events.count(QStringLiteral("finished")) >= n; }, 10000);
        QTest::qWait(50);
        return arrived;
    }

    QStringList events;
    QObject context;
};

// One extraction from start to finish; what the manager reported, with the
// destination's absolute path written as %d.
QStringList extract(ZipManager &manager, const QString &zip, const QString &dest)
{
    Recorder recorder(&manager);
    manager.unzipAsync(zip, dest);
    if (!recorder.waitFinished())
        recorder.events << QStringLiteral("no finish within 10 s");
    return recorder.events.replaceInStrings(QDir(dest).absolutePath(), QStringLiteral("%d"));
}

// A directory ("x/"), or a file holding "content of <name>".
ZipEntry file(const QString &name, const QString &kind = {})
{
    return {name, name.endsWith(QLatin1Char('/')) ? QByteArray() : "content of " + name.toUtf8(), kind};
}

QList<ZipEntry> files(const QStringList &names, const QString &kind = {})
{
    QList<ZipEntry> entries;
    for (const QString &name : names)
        entries << file(name, kind);
    return entries;
}

// The immutable flag stops even root from moving a file.
bool chattr(const char *flag, const QString &path)
{
    return QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-f"), QString::fromLatin1(flag), path}) == 0;
}

// Every path below root, with the content of the files.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> contents;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        contents.insert(QDir(root).relativeFilePath(it.next()), readFile(it.filePath()));
    return contents;
}

} // namespace

class TestZipManager : public QObject
{
    Q_OBJECT

private:
    QString archive(const QList<ZipEntry> &entries)
    {
        QJsonArray list;
        for (const ZipEntry &entry : entries)
            list.append(QJsonArray{entry.name, QString::fromLatin1(entry.data), entry.kind});
        const QString path = archives->filePath(QStringLiteral("a%1.zip").arg(++archiveCount));
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(MAKE_ZIP), path});
        python.write(QJsonDocument(list).toJson());
        python.closeWriteChannel();
        if (!python.waitForFinished() || python.exitCode() != 0)
            qFatal("could not write test archive %s", qPrintable(path));
        return path;
    }

    std::unique_ptr<WorkDir> sandbox;
    std::unique_ptr<QTemporaryDir> archives;
    QString destPath;
    int archiveCount = 0;

private slots:
    // The destination sits alone in an empty working directory, so that anything
    // landing beside it shows.
    void init()
    {
        sandbox = std::make_unique<WorkDir>();
        archives = std::make_unique<QTemporaryDir>();
        destPath = sandbox->filePath(QStringLiteral("dest"));
        QVERIFY(QDir().mkpath(destPath));
    }

    // Whatever a test did, nothing landed outside the destination, and nothing
    // inside it links anywhere.
    void cleanup()
    {
        const QStringList all = snapshot(sandbox->path()).keys();
        QCOMPARE(all.filter(QRegularExpression("^(?!dest/)")), QStringList{"dest"});
        for (const QString &path : all)
            QVERIFY2(!QFileInfo(sandbox->filePath(path)).isSymLink() && !path.contains("evil"), qPrintable(path));
    }

    void unreadableArchiveReportsOpenFailure_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty file") << QByteArray("");
        QTest::newRow("not a zip") << QByteArray(4096, 'z');
        QTest::newRow("zip signature, then nothing") << QByteArray("PK\x03\x04", 4);
    }

    void unreadableArchiveReportsOpenFailure()
    {
        QFETCH(QByteArray, bytes);
        ZipManager manager;
        const QString path = archives->filePath(QStringLiteral("bad.zip"));
        if (!bytes.isNull())
            writeFile(path, bytes);
        QCOMPARE(extract(manager, path, destPath), (QStringList{"error 无法打开ZIP文件", "finished"}));
    }

    void unsafeNamesAreRecognised_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("unsafe");
        for (const char *name : {"../evil.txt", "sub/../../evil.txt", "sub/../evil.txt", "..\\evil.txt",
                                 "sub\\..\\..\\evil.txt", "/tmp/evil.txt", "/tmp/evil/", "\\evil.txt", "C:/evil.txt",
                                 "C:evil.txt", "d:\\evil.txt", "", "./.", "."})
            QTest::newRow(name) << QString::fromUtf8(name) << true;
        QTest::newRow("embedded NUL") << QStringLiteral("a.txt") + QChar(0) + QStringLiteral("/../x") << true;
        for (const char *name : {"..config", "a..b/c..txt", "./d.txt", ":res/x.txt", "d/", "./", "更新包/说明.txt"})
            QTest::newRow(name) << QString::fromUtf8(name) << false;
    }

    void unsafeNamesAreRecognised()
    {
        QFETCH(QString, name);
        QFETCH(bool, unsafe);
        QCOMPARE(ZipWorker::isUnsafeEntryName(name), unsafe);
    }

    // An archive over an installation: what the manager reports, and then either
    // every entry in place or the installation exactly as it was.
    void extraction_data()
    {
        QTest::addColumn<QList<ZipEntry>>("entries");
        QTest::addColumn<Prepare>("prepare");
        QTest::addColumn<QStringList>("expected");

        const auto none = Prepare([](const QDir &) {});
        const auto row = [none](const char *tag, const QStringList &names, const QStringList &progress,
                                const QString &kind = {}) {
            QTest::newRow(tag) << files(names, kind) << none << progress + QStringList{"finished"};
        };
        row("directory first, three files", {"d/", "d/a.txt", "d/b.txt", "d/c.txt"}, {"progress 50", "progress 75", "progress 100"});
        row("directory last, fractions dropped", {"a.txt", "b.txt", "d/"}, {"progress 33", "progress 66"});
        row("empty archive", {}, {});
        row("only directories", {"a/", "a/b/", "c/"}, {});
        row("file in folders without directory entries", {"x/y/z.txt"}, {"progress 100"});
        row("dots that stay inside", {"..config", "a..b/c..txt", "./d.txt"}, {"progress 33", "progress 66", "progress 100"});
        row("names that look like resource paths", {":res/x.txt", ":/y.txt"}, {"progress 50", "progress 100"});
        row("Chinese names, UTF-8 flag", {"更新包/", "更新包/说明.txt", "更新包/图片/标志.png"}, {"progress 66", "progress 100"});
        row("Chinese names, local code page", {"插件/配置.json", "控制台.exe"}, {"progress 50", "progress 100"}, "local");

        // Below, each archive is a.txt, the troublesome entry, c.txt.
        const auto around = [](const ZipEntry &entry) { return QList<ZipEntry>{file("a.txt"), entry, file("c.txt")}; };
        const auto old = Prepare([](const QDir &d) {
            for (const char *name : {"a.txt", "b.txt", "c.txt"})
                writeFile(d.filePath(name), "old");
        });
        const auto failed = [](const QStringList &events) {
            return events + QStringList{"error " + summary, "finished"};
        };
        QTest::newRow("unsafe name") << around(file("sub/../../evil.txt")) << none
                                     << failed({"progress 33", "error 不安全的路径，已拒绝: sub/../../evil.txt"});
        QTest::newRow("link") << around(ZipEntry{"link", "../..", "link"}) << none
                              << failed({"progress 33", "error 不安全的路径，已拒绝: link"});
        const QStringList staged{"progress 33", "progress 66", "progress 100"};
        QTest::newRow("non-empty directory where a file goes")
            << around(file("b.txt")) << Prepare([](const QDir &d) { writeFile(d.filePath("b.txt/keep"), "mine"); })
            << failed(staged + QStringList{"error 无法删除旧文件: %d/b.txt"});
        QTest::newRow("a replaced file cannot be moved")
            << around(file("b.txt")) << Prepare([old](const QDir &d) {
                   old(d);
                   QVERIFY2(chattr("+i", d.filePath("c.txt")), "the immutable flag needs root");
               })
            << failed(staged + QStringList{"error 无法删除旧文件: %d/c.txt"});
        QTest::newRow("file where a directory goes")
            << around(file("sub/b.txt")) << Prepare([](const QDir &d) { writeFile(d.filePath("sub"), "mine"); })
            << failed(staged + QStringList{"error 无法创建目录: %d/sub"});
        const QString longName(300, QLatin1Char('n'));
        QTest::newRow("name too long to create")
            << around(file(longName)) << none << failed({"progress 33", "error 无法写入文件: %d/" + longName});
        QTest::newRow("entry that cannot be opened")
            << around(ZipEntry{"b.bin", "LZMA data", "lzma"}) << old
            << failed({"progress 33", "error 无法打开ZIP中的文件: b.bin"});
        // Stored bytes declared deflated: the entry opens, its data is damaged.
        QTest::newRow("damaged entry")
            << around(ZipEntry{"b.txt", QByteArray(100000, 'p'), "damaged"}) << old
            << failed({"progress 33", "error 文件写入不完整: %d/b.txt"});
        QTest::newRow("checksum mismatch")
            << around(ZipEntry{"b.txt", "content of b.txt", "crc"}) << old
            << failed({"progress 33", "error 文件写入不完整: %d/b.txt"});
        QTest::newRow("old file and a link out are replaced")
            << around(file("b.txt"))
            << Prepare([](const QDir &d) {
                   writeFile(d.filePath("a.txt"), QByteArray(10000, 'o'));
                   QVERIFY(QFile::link(d.filePath("../outside.txt"), d.filePath("b.txt")));
               })
            << staged + QStringList{"finished"};
    }

    void extraction()
    {
        QFETCH(QList<ZipEntry>, entries);
        QFETCH(Prepare, prepare);
        QFETCH(QStringList, expected);
        const QDir dest(destPath);
        prepare(dest);
        const QMap<QString, QByteArray> before = snapshot(destPath);

        ZipManager manager;
        const QStringList events = extract(manager, archive(entries), destPath);
        chattr("-i", dest.filePath("c.txt"));
        QCOMPARE(events, expected);
        const QStringList progress = events.filter("progress ");
        QCOMPARE(manager.progress(), progress.isEmpty() ? 0 : progress.last().section(' ', 1).toInt());
        if (events.contains("error " + summary)) {
            QCOMPARE(snapshot(destPath), before);
            return;
        }
        for (const ZipEntry &entry : entries) {
            const QString path = destPath + QLatin1Char('/') + entry.name;
            QVERIFY2(entry.name.endsWith(QLatin1Char('/')) ? QFileInfo(path).isDir() : readFile(path) == entry.data,
                     qPrintable(entry.name));
        }
    }

    void shortWriteIsReported()
    {
        const QString path = archive({file("a.txt"), ZipEntry{"big.bin", QByteArray(1024 * 1024, 'x'), {}}});
        // A file-size limit on this process makes the disk refuse the rest of big.bin.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit capped = saved;
        capped.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &capped), 0);
        ZipManager manager;
        const QStringList events = extract(manager, path, destPath);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(events, (QStringList{"progress 50", "error 文件写入不完整: %d/big.bin", "error " + summary, "finished"}));
        QCOMPARE(snapshot(destPath).keys(), QStringList());
    }

    // A second extraction is refused while one runs, and a manager going away
    // waits for the running one to complete.
    void busyManagerRefusesAndWaitsWhenDestroyed()
    {
        QList<ZipEntry> entries;
        QStringList names;
        for (int i = 0; i < 8; ++i) {
            names << QStringLiteral("f%1.bin").arg(i);
            entries << ZipEntry{names.last(), QByteArray(1024 * 1024, char('a' + i)), {}};
        }
        const QString first = archive(entries);
        const QString second = archive(files({"other.txt"}));
        const QString otherDest = sandbox->filePath("other");

        auto manager = std::make_unique<ZipManager>();
        Recorder recorder(manager.get());
        // Nothing returns to the event loop in between, so the first extraction's
        // thread is certainly still running when the second call arrives.
        manager->unzipAsync(first, destPath);
        manager->unzipAsync(second, otherDest);
        QCOMPARE(recorder.events, QStringList{"error Another operation is in progress"});
        manager.reset();
        QCOMPARE(snapshot(destPath).keys(), names);
        for (const QString &name : names)
            QCOMPARE(QFileInfo(QDir(destPath).filePath(name)).size(), qint64(1024 * 1024));
    }

    void nextExtractionMayStartFromFinishedHandler()
    {
        const QString second = archive(files({"b.txt", "c.txt"}));
        ZipManager manager;
        Recorder recorder(&manager);
        int finishes = 0;
        connect(&manager, &ZipManager::unzipFinished, this, [&] {
            if (++finishes == 1)
                manager.unzipAsync(second, destPath);
        });
        manager.unzipAsync(archive(files({"a.txt"})), destPath);
        QVERIFY(recorder.waitFinished(2));
        QCOMPARE(recorder.events, (QStringList{"progress 100", "finished", "progress 50", "progress 100", "finished"}));
        QCOMPARE(snapshot(destPath).keys(), (QStringList{"a.txt", "b.txt", "c.txt"}));
    }
};

QTEST_GUILESS_MAIN(TestZipManager)
#include "tst_zipmanager.moc"
