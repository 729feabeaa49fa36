// The real program where the session offers more than one window system, or
// none it can use: which it takes, and what it says when it cannot start.

#include "desktops.h"
#include "realprogram.h"

#include <QDir>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Waits are for what the program does; the deadline only ends a test whose
// program never does it.
constexpr int Deadline = 60000;

} // namespace

class EndToEndWindowSystemsTest : public QObject {
    Q_OBJECT

private slots:
    // Where the session offers both, the calculator runs on the X display.
    void prefersXWhereWaylandIsOfferedToo()
    {
        Compositor weston;
        QVERIFY2(weston.start(), "weston did not start");
        QProcessEnvironment environment = weston.environment();
        environment.insert(QStringLiteral("DISPLAY"), qEnvironmentVariable("DISPLAY"));
        RealProgram program;
        QVERIFY2(program.start(programPath(), environment), qPrintable(program.output()));
        QCOMPARE(program.geometry().size(), QSize(173, 304));
    }

    void withoutADisplaySaysSoAndExits_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<bool>("runtimeFolder");
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("waylandPlugin");
        QTest::addColumn<QString>("said");
        const QString english = QStringLiteral("needs a graphical display");
        QTest::newRow("none") << QString() << QString() << false << "C.UTF-8" << true << english;
        QTest::newRow("X display not there")
            << ":9999" << QString() << false << "C.UTF-8" << true << english;
        QTest::newRow("Wayland display not there")
            << QString() << "serit-none" << true << "en_US.UTF-8" << true << english;
        QTest::newRow("Wayland display without a runtime folder")
            << QString() << "serit-none" << false << "en_US.UTF-8" << true << english;
        QTest::newRow("none, in Turkish") << QString() << QString() << false << "tr_TR.UTF-8"
                                          << true << "grafik ekran gerektirir";
        // An install with the dependencies alone, in a session of Wayland alone.
        QTest::newRow("Wayland without the toolkit's Wayland plugin")
            << QString() << "serit-none" << true << "en_US.UTF-8" << false
            << "needs the Qt Wayland platform plugin";
        QTest::newRow("Wayland without the toolkit's Wayland plugin, in Turkish")
            << QString() << "serit-none" << true << "tr_TR.UTF-8" << false
            << "Wayland platform eklentisi gerekir";
    }
    // One line that says why, exit status 1, and no crash.
    void withoutADisplaySaysSoAndExits()
    {
        QFETCH(QString, display);
        QFETCH(QString, waylandDisplay);
        QFETCH(bool, runtimeFolder);
        QFETCH(QString, language);
        QFETCH(bool, waylandPlugin);
        QFETCH(QString, said);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "XDG_RUNTIME_DIR"})
            environment.remove(QLatin1String(name));
        const QTemporaryDir folder;
        if (runtimeFolder)
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path());
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        if (!waylandDisplay.isEmpty())
            environment.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay);
        environment.insert(QStringLiteral("LANG"), language);
        // The program sees the toolkit's platform plugins without Wayland's.
        PrivateRoot root;
        const QTemporaryDir plugins;
        if (!waylandPlugin) {
            if (!root.start())
                QSKIP("hiding the Wayland plugin takes root and a mount namespace");
            const QDir installed(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                                 QStringLiteral("/platforms"));
            for (const QFileInfo& plugin : installed.entryInfoList(QDir::Files))
                if (!plugin.fileName().contains(QLatin1String("wayland")))
                    QVERIFY(QFile::link(plugin.filePath(), plugins.filePath(plugin.fileName())));
            root.replace(installed.path(), plugins.path());
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(waylandPlugin ? programPath() : root.wrap(programPath()), {});
        QVERIFY(program.waitForFinished(Deadline));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        const QStringList lines =
            QString::fromUtf8(program.readAllStandardError() + program.readAllStandardOutput())
                .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(said), qPrintable(lines.first()));
        // Where the plugin is missing, the line names its package.
        QVERIFY2(waylandPlugin || lines.first().contains(QLatin1String("qt6-wayland")),
                 qPrintable(lines.first()));
    }
};

QTEST_MAIN(EndToEndWindowSystemsTest)
#include "tst_e2e_windowsystems.moc"
