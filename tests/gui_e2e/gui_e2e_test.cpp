// The real window on a real X server against camsim: search, tick all from
// the heading, batch upgrade, then the rows, their colours and the summary.
// Message boxes are real too, read and answered through their buttons.
// Then the same with the keyboard alone, and every control's accessible
// name and description. With TOLVANE_SCREENSHOT_DIR set, it saves the window
// idle (after the search), during the batch and after it, in the language that
// TOLVANE_LANG or the locale chooses (English pictures are named *-en.png).
#include "device_list_ctrl.h"
#include "engine/version_worker.h"
#include "fleet_expectations.h"
#include "i18n/translations.h"
#include "ip_address_ctrl.h"
#include "plan_dlg.h"
#include "probe_dialogs.h"
#include "tolvane_app.h"
#include "tolvane_dlg.h"
#include "ui_texts.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionViewItem>
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

// An engine text as the window shows it (the translation is installed first).
QString Shown(const char* text) {
    return i18n::Tr("engine", text);
}

// The fleet of res/demo-fleet.json, by last address byte, in the window's language.
QList<Expected> Fleet() {
    QList<Expected> fleet;
    for (const FleetCamera& camera : kDemoFleet)
        fleet.append({camera.host, QString::fromUtf8(camera.version), Shown(camera.result),
                      QString::fromUtf8(camera.after)});
    return fleet;
}

QString Prefix() {
    return qEnvironmentVariable("E2E_PREFIX", QStringLiteral("127.77.0."));
}

// The picture's path, named for the language the window speaks.
QString ShotPath(const QString& dir, const char* name) {
    QString file = QString::fromLatin1(name);
    if (i18n::Tr("ui", ui_text::kButtonSearch) != QString::fromUtf8(ui_text::kButtonSearch))
        file.replace(QStringLiteral(".png"), QStringLiteral("-en.png"));
    return dir + QLatin1Char('/') + file;
}

void Save(QWidget* window, const char* name) {
    const QString dir = qEnvironmentVariable("TOLVANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    const QString path = ShotPath(dir, name);
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
    const QString path = ShotPath(dir, name);
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

// A key as the keyboard delivers it: to the window's focused control.
void Key(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, key, modifiers);
}

QString FocusName(QWidget& window) {
    return window.focusWidget() ? window.focusWidget()->objectName() : QString();
}

void TabTo(QWidget& window, const QString& name) {
    for (int i = 0; i < 20 && FocusName(window) != name; ++i)
        Key(window, Qt::Key_Tab);
    QCOMPARE(FocusName(window), name);
}

} // namespace

class GuiEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { CTolvaneApp::InstallLanguage(); }
    void searchTickAllAndBatchUpgradeTheFleet();
    void keyboardAloneWalksTheWindow();
};

void GuiEndToEnd::searchTickAllAndBatchUpgradeTheFleet() {
    const QList<Expected> kFleet = Fleet();
    const QString kOk = Shown(kFleetOk);
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
            // The first box is the batch summary; the export's notice comes later.
            if (boxTexts.size() == 1)
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
    QCOMPARE(batchStatus->text(), i18n::Tr("ui", ui_text::kBatchSelected).arg(12));
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
    QCOMPARE(boxTexts[0], Shown("升级完成，成功%1台，失败%2台。").arg(10).arg(2));
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
    QVERIFY2(plan.contains(kFleet[10].result), qPrintable(plan));
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
    QVERIFY2(exported.contains(Prefix() + "4,8080,5.1.7.1,5.1.7.9," + kOk + ","),
             qPrintable(exported));

    clock.restart();
    QVERIFY(dlg.close());
    QVERIFY(!dlg.isVisible());
    qInfo("closed in %lld ms", static_cast<long long>(clock.elapsed()));
}

void GuiEndToEnd::keyboardAloneWalksTheWindow() {
    const QList<Expected> kFleet = Fleet();
    CTolvaneDlg dlg;
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    DeviceListCtrl* list = dlg.DeviceList();

    // Whatever takes the focus, and every control with an id, is named and
    // described; the list is not named after its group.
    for (QWidget* widget : dlg.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&dlg) ||
            (!(widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().startsWith("IDC_")))
            continue;
        QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
        QVERIFY2(!widget->accessibleDescription().isEmpty(), qPrintable(widget->objectName()));
    }
    for (QGroupBox* group : dlg.findChildren<QGroupBox*>())
        QVERIFY(group->title() != list->accessibleName());

    // Tab follows the layout and comes round again.
    const QStringList order =
        QStringLiteral(
            "field1 field2 field3 field4 IDC_EDIT_PORT IDC_EDIT_USER IDC_EDIT_PASSWORD "
            "IDC_BTN_UPGRADE "
            "IDC_LIST_DEVICES_HEADER IDC_LIST_DEVICES IDC_BTN_SEARCH IDC_BTN_BATCH_UPGRADE")
            .split(' ');
    for (qsizetype i = 0; i <= order.size(); ++i, Key(dlg, Qt::Key_Tab))
        QCOMPARE(FocusName(dlg), order[i % order.size()]);

    TabTo(dlg, "IDC_BTN_SEARCH");
    Key(dlg, Qt::Key_Space);
    QTRY_COMPARE_WITH_TIMEOUT(list->GetItemCount(), kFleet.size(), 20000);

    // The heading and Ctrl+A tick or untick all rows in turn; Space one row.
    const auto ticked = [list] {
        int count = 0;
        for (int row = 0; row < list->GetItemCount(); ++row)
            count += list->GetCheck(row) ? 1 : 0;
        return count;
    };
    g_bSelectAll = 1;
    TabTo(dlg, "IDC_LIST_DEVICES_HEADER");
    Key(dlg, Qt::Key_Space);
    QCOMPARE(ticked(), kFleet.size());
    TabTo(dlg, "IDC_LIST_DEVICES");
    Key(dlg, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(ticked(), 0);
    Key(dlg, Qt::Key_A, Qt::ControlModifier);
    Key(dlg, Qt::Key_Home, Qt::ControlModifier);
    Key(dlg, Qt::Key_Down);
    Key(dlg, Qt::Key_Right); // Space ticks from any cell of the row
    Key(dlg, Qt::Key_Space);
    QVERIFY(!list->GetCheck(1) && ticked() == kFleet.size() - 1);
    Key(dlg, Qt::Key_Space);
    QCOMPARE(ticked(), kFleet.size());
    // Enter copies the row's address, as a click on it does.
    Key(dlg, Qt::Key_Return);
    QCOMPARE(dlg.AddressBox()->GetWindowText(), list->GetItemText(1, COL_IP));

    // Shift+F10 opens the list's menu; Escape closes it.
    QStringList entries;
    QTimer::singleShot(200, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                entries << action->objectName();
            QTest::keyClick(menu, Qt::Key_Escape);
        }
    });
    Key(dlg, Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY2(entries.contains("IDM_ADD_DEVICE") && entries.contains("IDM_EXPORT"),
             qPrintable(entries.join(',')));
    QCOMPARE(FocusName(dlg), QStringLiteral("IDC_LIST_DEVICES"));

    // The summary box is answered with Enter.
    QStringList boxTexts;
    QTimer boxWatch;
    QObject::connect(&boxWatch, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->isVisible()) {
            boxTexts << box->text();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    boxWatch.start(50);
    TabTo(dlg, "IDC_BTN_BATCH_UPGRADE");
    Key(dlg, Qt::Key_Space);
    // The status line keeps its name; its text is read through its text interface.
    QAccessibleInterface* line = QAccessible::queryAccessibleInterface(
        dlg.findChild<QLabel*>(QStringLiteral("IDC_STATIC_BATCH_STATUS")));
    QVERIFY(line && line->textInterface());
    QCOMPARE(line->text(QAccessible::Name), i18n::Tr("ui", ui_text::kAccBatchStatus));
    QCOMPARE(line->textInterface()->text(0, line->textInterface()->characterCount()),
             i18n::Tr("ui", ui_text::kBatchSelected).arg(12));

    QTRY_VERIFY_WITH_TIMEOUT(dlg.CloseEnabled(), 170000);
    QTRY_COMPARE_WITH_TIMEOUT(boxTexts.size(), 1, 5000);
    QCOMPARE(boxTexts[0], Shown("升级完成，成功%1台，失败%2台。").arg(10).arg(2));
    for (int i = 0; i < kFleet.size(); ++i) {
        QCOMPARE(list->GetItemText(i, COL_PROGRESS), kFleet[i].result);
        QVERIFY(list->RowSummary(i).contains(kFleet[i].result));
    }
    // A five-digit port shows in full, as the list's own delegate measures it.
    list->SetItemText(0, COL_PORT, QStringLiteral("65535"));
    const QModelIndex port = list->model()->index(0, COL_PORT);
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.font = list->font();
    QVERIFY(list->itemDelegate()->sizeHint(option, port).width() <= list->visualRect(port).width());
    QVERIFY(dlg.close());
}

QTEST_MAIN(GuiEndToEnd)
#include "gui_e2e_test.moc"
