// The installed program as a user of the machine runs it: installed into a
// prefix the user may not write (the test, when run as root, becomes the user
// "nobody" first), with its own data folder from XDG_DATA_HOME. The windows
// are the harness's, pointed at the installed executable; the data folder is
// the one Qt finds for the running user.

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QtTest>

#include "GuiHarness.h"
#include "gui/platform/QtServices.h"

using namespace kalden;
using namespace kalden::testing;

namespace {

constexpr uid_t NobodyId = 65534;

QString installedKalden() { return qEnvironmentVariable("KALDEN_INSTALLED_PREFIX") + QStringLiteral("/bin/kalden"); }

mode_t modeOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return st.st_mode & 07777;
}

} // namespace

class InstalledProgramTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home_;
    QString dataFile_;

private slots:
    void initTestCase() {
        const QString bin = QFileInfo(installedKalden()).path();
        QVERIFY2(QFile::exists(installedKalden()), "run the install_tree test first");
        // An older version's file beside the executable, written while the
        // prefix is still writable.
        writeBytes(bin + QStringLiteral("/kalden.txt"), "10 12 9 11 8 13 10  ");
        if (::geteuid() == 0) {
            QVERIFY(::chmod(QFile::encodeName(bin).constData(), 0755) == 0);
            QVERIFY(::setgroups(0, nullptr) == 0 && ::setgid(NobodyId) == 0 && ::setuid(NobodyId) == 0);
        } else {
            QVERIFY(::chmod(QFile::encodeName(bin).constData(), 0555) == 0);
        }
        QVERIFY(::access(QFile::encodeName(bin).constData(), W_OK) != 0);
        home_ = std::make_unique<QTemporaryDir>();
        QVERIFY(home_->isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(home_->filePath(QStringLiteral("data"))));
        dataFile_ = home_->filePath(QStringLiteral("data/kalden/kalden.txt"));
    }

    void cleanupTestCase() {
        if (::geteuid() != 0) ::chmod(QFile::encodeName(QFileInfo(installedKalden()).path()).constData(), 0755);
    }

    void theInstalledProgramStarts() {
        QProcess kalden;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        kalden.setProcessEnvironment(env);
        kalden.start(installedKalden(), {});
        QVERIFY2(kalden.waitForStarted(10000), qPrintable(kalden.errorString()));
        QVERIFY2(!kalden.waitForFinished(1500), kalden.readAllStandardError().constData()); // still running
        kalden.kill();
        kalden.waitForFinished();
        QVERIFY(!QFile::exists(dataFile_)); // starting writes nothing
    }

    // The first start reads the older file; Compute writes the user's own,
    // private file; the next start reads that; Clear Data deletes only it.
    void computesAndKeepsTheLastCaseInTheUsersFolder() {
        const QString old = QFileInfo(installedKalden()).path() + QStringLiteral("/kalden.txt");
        {
            Program p;
            p.host.dataHomePath = QtProgramHost(nullptr).dataHome();
            p.start(installedKalden());
            QCOMPARE(QString::fromStdString(p.form->dataFilePath()), dataFile_);
            QCOMPARE(p.form->field(1)->text(), QStringLiteral("10"));
            p.form->field(1)->setText(QStringLiteral("12"));
            p.form->cmdComputeClick();
            QCOMPARE(p.boxes.events, QStringList{});
            QVERIFY(p.results->isVisible());
            QCOMPARE(readBytes(dataFile_), std::string("12 12 9 11 8 13 10  "));
            QCOMPARE(modeOf(dataFile_), 0600u);
            QCOMPARE(modeOf(QFileInfo(dataFile_).path()), 0700u);
        }
        Program p;
        p.host.dataHomePath = QtProgramHost(nullptr).dataHome();
        p.start(installedKalden());
        QCOMPARE(p.form->field(1)->text(), QStringLiteral("12"));
        p.form->btnclearDataClick();
        QCOMPARE(p.boxes.events, QStringList{});
        QVERIFY(!QFile::exists(dataFile_));
        QCOMPARE(readBytes(old), std::string("10 12 9 11 8 13 10  "));
    }
};

QTEST_MAIN(InstalledProgramTest)
#include "InstalledProgramTest.moc"
