// The real window on a real X server against a few hundred camsim cameras:
// the search button double-clicked through the X server, as a mouse does it,
// while the first search's reports pour in. Every camera must then be listed
// once, with its version.
#include "device_list_ctrl.h"
#include "engine/version_worker.h"
#include "tolvane_app.h"
#include "tolvane_dlg.h"

#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

class DoubleSearchEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { CTolvaneApp::InstallLanguage(); }
    void doubleClickedSearchListsEachCameraOnceWithItsVersion();
};

void DoubleSearchEndToEnd::doubleClickedSearchListsEachCameraOnceWithItsVersion() {
    const int cameras = qEnvironmentVariableIntValue("E2E_CAMERAS");
    QVERIFY(cameras > 0);
    InitSdkLock();
    CTolvaneDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    DeviceListCtrl* list = dlg.DeviceList();
    auto* search = dlg.findChild<QPushButton*>(QStringLiteral("IDC_BTN_SEARCH"));
    QSignalSpy presses(search, &QPushButton::clicked);

    // Run beside the event loop: the second click reaches the window while
    // it handles the first search's reports.
    const QPoint at = search->mapToGlobal(search->rect().center());
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                   QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                   QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("1")});
    QVERIFY2(xdotool.waitForStarted(10000), "xdotool did not start");
    QTRY_VERIFY_WITH_TIMEOUT(xdotool.state() == QProcess::NotRunning, 10000);
    QCOMPARE(xdotool.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(presses.count(), 2, 5000);

    const auto versionsFilled = [&] {
        int filled = 0;
        for (int row = 0; row < list->GetItemCount(); ++row)
            filled += list->GetItemText(row, COL_VERSION).isEmpty() ? 0 : 1;
        return filled;
    };
    QTRY_COMPARE_WITH_TIMEOUT(list->GetItemCount(), cameras, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(versionsFilled(), cameras, 60000);
    // Late reports of the first search would land now.
    QTest::qWait(1000);
    QSet<QString> listed;
    for (int row = 0; row < list->GetItemCount(); ++row) {
        const QString camera =
            list->GetItemText(row, COL_IP) + QLatin1Char(':') + list->GetItemText(row, COL_PORT);
        QVERIFY2(!listed.contains(camera), qPrintable(camera + QStringLiteral(" listed twice")));
        listed.insert(camera);
    }
    QCOMPARE(list->GetItemCount(), cameras);
    QCOMPARE(versionsFilled(), cameras);
    QVERIFY(dlg.close());
}

QTEST_MAIN(DoubleSearchEndToEnd)
#include "double_search_e2e_test.moc"
