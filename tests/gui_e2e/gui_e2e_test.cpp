// The real window on a real X server against camsim: search, tick all from
// the heading, batch upgrade, then the rows, their colours and the summary.
// Message boxes are real too, read and answered through their buttons.
// With TOLVANE_SCREENSHOT_DIR set, it saves the window idle (after the
// search), during the batch and after it.
#include "device_list_ctrl.h"
#include "engine/version_worker.h"
#include "fleet_expectations.h"
#include "plan_dlg.h"
#include "probe_dialogs.h"
#include "tolvane_dlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

struct Expected {
    int host;
    QString version;
    QString result;
    QString after; // the version cell once the batch is done
};

const QString kOk = QString::fromUtf8(kFleetOk);

QList<Expected> FleetExpectations() {
    QList<Expected> fleet;
    for (const FleetCamera& camera : kDemoFleet)
        fleet.append({camera.host, QString::fromUtf8(camera.version),
                      QString::fromUtf8(camera.result), QString::fromUtf8(camera.after)});
    return fleet;
}

// The fleet of res/demo-fleet.json, by last address byte.
const QList<Expected> kFleet = FleetExpectations();

QString Prefix() {
    return qEnvironmentVariable("E2E_PREFIX", QStringLiteral("127.77.0."));
}

void Save(QWidget* window, const char* name) {
    const QString dir = qEnvironmentVariable("TOLVANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    const QString path = dir + QLatin1Char('/') + QString::fromLatin1(name);
    QVERIFY2(window->grab().save(path), qPrintable(path));
    qInfo("saved %s", qPrintable(path));
}

// The window with a message box drawn over its centre, as a screen shows it.
void SaveWithBox(QWidget* window, QWidget* box, const char* name) {
    const QString dir = qEnvironmentVariable("TOLVANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QImage image = window->grab().toImage();
    const QImage boxImage = box->grab().toImage();
    QPainter painter(&image);
    const QPoint at((image.width() - boxImage.width()) / 2,
                    (image.height() - boxImage.height()) / 2);
    painter.drawImage(at, boxImage);
    painter.setPen(Qt::darkGray);
    painter.drawRect(QRect(at, boxImage.size()).adjusted(-1, -1, 0, 0));
    painter.end();
    const QString path = dir + QLatin1Char('/') + QString::fromLatin1(name);
    if (image.save(path))
        qInfo("saved %s", qPrintable(path));
}

// Fills the scan dialog as soon as it opens and presses OK.
void AnswerScan(QTimer& poll, const QString& first, const QString& last) {
    QObject::connect(&poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<CScanRangeDlg*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->findChild<QLineEdit*>(QStringLiteral("IDC_EDIT_SCAN_FIRST"))->setText(first);
        dialog->findChild<QLineEdit*>(QStringLiteral("IDC_EDIT_SCAN_LAST"))->setText(last);
        dialog->findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
    });
    poll.start(20);
}

void TriggerMenuEntry(CTolvaneDlg& dlg, const char* name) {
    QMenu menu;
    dlg.AddReportMenuEntries(menu);
    QAction* action = menu.findChild<QAction*>(QString::fromLatin1(name));
    QVERIFY(action);
    action->trigger();
}

int CountState(DeviceListCtrl* list, uintptr_t state) {
    int count = 0;
    for (int row = 0; row < list->GetItemCount(); ++row)
        count += list->GetItemData(row) == state ? 1 : 0;
    return count;
}

} // namespace

class GuiEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void searchTickAllAndBatchUpgradeTheFleet();
};

void GuiEndToEnd::searchTickAllAndBatchUpgradeTheFleet() {
    InitSdkLock();
    CTolvaneDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    DeviceListCtrl* list = dlg.DeviceList();

    // Real boxes: read and answer them as an operator would.
    QStringList boxTexts;
    QStringList boxCaptions;
    QTimer boxWatch;
    QObject::connect(&boxWatch, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(top);
            if (!box || !box->isVisible())
                continue;
            boxTexts << box->text();
            boxCaptions << box->windowTitle();
            SaveWithBox(&dlg, box, "screenshot-done.png");
            QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
        }
    });
    boxWatch.start(50);

    QElapsedTimer clock;
    clock.start();
    // Unicast probes over a range find the same fleet, in address order.
    QTimer scanPoll;
    AnswerScan(scanPoll, Prefix() + QStringLiteral("1"), Prefix() + QStringLiteral("60"));
    dlg.OnScanRange();
    scanPoll.stop();
    QTRY_COMPARE_WITH_TIMEOUT(list->GetItemCount(), kFleet.size(), 20000);
    for (int i = 0; i < kFleet.size(); ++i)
        QCOMPARE(list->GetItemText(i, COL_IP), Prefix() + QString::number(kFleet[i].host));
    qInfo("range scan after %lld ms", static_cast<long long>(clock.elapsed()));

    clock.restart();
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("IDC_BTN_SEARCH")),
                      Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(list->GetItemCount(), kFleet.size(), 20000);
    const auto rowOf = [&](int host) {
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->GetItemText(row, COL_IP) == Prefix() + QString::number(host))
                return row;
        }
        return -1;
    };
    // Address order, numerically (…9 before …10).
    for (int i = 0; i < kFleet.size(); ++i)
        QCOMPARE(list->GetItemText(i, COL_IP), Prefix() + QString::number(kFleet[i].host));
    for (const Expected& camera : kFleet) {
        if (!camera.version.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(list->GetItemText(rowOf(camera.host), COL_VERSION),
                                      camera.version, 20000);
    }
    QCOMPARE(list->GetItemText(0, COL_PORT), QStringLiteral("8080"));
    qInfo("search and versions after %lld ms", static_cast<long long>(clock.elapsed()));
    Save(&dlg, "screenshot-idle.png");
    clock.restart();

    QHeaderView* header = list->horizontalHeader();
    QTest::mouseClick(
        header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(COL_CHECK) + 10, header->height() / 2));
    for (int row = 0; row < list->GetItemCount(); ++row)
        QVERIFY(list->GetCheck(row));

    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("IDC_BTN_BATCH_UPGRADE")),
                      Qt::LeftButton);
    auto* batchStatus = dlg.findChild<QLabel*>(QStringLiteral("IDC_STATIC_BATCH_STATUS"));
    QCOMPARE(batchStatus->text(), QStringLiteral("共选择12台"));
    QVERIFY(!dlg.CloseEnabled());
    QVERIFY(!dlg.close());

    // Five workers: at most five rows upgrade at once.
    QTRY_VERIFY_WITH_TIMEOUT(
        CountState(list, ROW_UPGRADING) >= 2 && CountState(list, ROW_SUCCEEDED) >= 2, 60000);
    qInfo("batch running after %lld ms", static_cast<long long>(clock.elapsed()));
    Save(&dlg, "screenshot-batch.png");

    QTRY_VERIFY_WITH_TIMEOUT(dlg.CloseEnabled(), 170000);
    qInfo("batch done after %lld ms", static_cast<long long>(clock.elapsed()));
    QTRY_COMPARE_WITH_TIMEOUT(boxTexts.size(), 1, 5000);
    QCOMPARE(boxTexts[0], QString::fromUtf8(kDemoFleetSummary));
    QCOMPARE(boxCaptions[0], CTolvaneDlg::ApplicationName());
    QCOMPARE(batchStatus->text(), QString());

    // Every row's text, state and painted colour.
    list->clearSelection();
    list->setCurrentItem(nullptr);
    for (const Expected& camera : kFleet) {
        const int row = rowOf(camera.host);
        list->scrollTo(list->model()->index(row, COL_PORT));
        const QImage image = list->viewport()->grab().toImage();
        QCOMPARE(list->GetItemText(row, COL_PROGRESS), camera.result);
        QCOMPARE(list->GetItemText(row, COL_VERSION), camera.after);
        const bool ok = camera.result == kOk;
        QCOMPARE(list->GetItemData(row), ok ? ROW_SUCCEEDED : ROW_FAILED);
        const QRect cell = list->visualRect(list->model()->index(row, COL_PORT));
        const QPoint background(cell.right() - 3, cell.center().y());
        QCOMPARE(image.pixelColor(background).toRgb(),
                 ok ? QColor(64, 224, 205) : QColor(255, 127, 80));
    }

    // A plan of the ticked rows, and the list exported as CSV.
    TriggerMenuEntry(dlg, "IDM_PLAN");
    QTRY_VERIFY_WITH_TIMEOUT(dlg.PlanDialog() != nullptr &&
                                 dlg.PlanDialog()->PlanText().contains(Prefix() + "12"),
                             30000);
    const QString plan = dlg.PlanDialog()->PlanText();
    QVERIFY2(plan.contains(QStringLiteral("5.1.7.9")), qPrintable(plan));
    QVERIFY2(plan.contains(QStringLiteral("打开设备失败")), qPrintable(plan));
    dlg.PlanDialog()->close();
    QTemporaryDir dir;
    const QString csvPath = dir.filePath(QStringLiteral("fleet.csv"));
    CTolvaneDlg::SetExportPathHook([&] { return csvPath; });
    TriggerMenuEntry(dlg, "IDM_EXPORT");
    CTolvaneDlg::SetExportPathHook({});
    QFile csv(csvPath);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString exported = QString::fromUtf8(csv.readAll());
    QCOMPARE(exported.count(QStringLiteral("\r\n")), kFleet.size() + 1);
    QVERIFY2(exported.contains(Prefix() + "4,8080,5.1.7.1,5.1.7.9,升级设备成功！,"),
             qPrintable(exported));

    clock.restart();
    QVERIFY(dlg.close());
    QVERIFY(!dlg.isVisible());
    qInfo("closed in %lld ms", static_cast<long long>(clock.elapsed()));
}

QTEST_MAIN(GuiEndToEnd)
#include "gui_e2e_test.moc"
