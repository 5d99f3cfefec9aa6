// The window in both languages: Chinese texts byte for byte, English ones in
// English, and every label, button, group and heading within its rectangle.
#include "about_dlg.h"
#include "device_list_ctrl.h"
#include "engine/note_texts.h"
#include "i18n/translations.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTranslator>
#include <QtTest>

namespace {

void UseLanguage(i18n::Language language) {
    // A translator removes itself from the application when it goes.
    qDeleteAll(qApp->findChildren<QTranslator*>());
    // Chinese may have nothing to load: the window's own texts are Chinese.
    const bool installed = i18n::InstallTranslations(language);
    QVERIFY(installed || language == i18n::Language::Chinese);
}

QString ButtonText(const DialogRig& rig, const char* name) {
    const auto* button = rig.Find<QPushButton>(name);
    return button ? button->text() : QString();
}

// Every text wider than the room its control gives it, and every label that
// grew into a control; empty when the layout holds.
QString Clipped(const QWidget& window) {
    QStringList faults;
    const auto check = [&](const QWidget* widget, const QString& text, int room) {
        const int needed = widget->fontMetrics().horizontalAdvance(text);
        if (needed > room)
            faults << QStringLiteral("'%1' needs %2 px, has %3").arg(text).arg(needed).arg(room);
    };
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        check(button, button->text(),
              button->style()
                  ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                  .width());
    }
    for (const QGroupBox* group : window.findChildren<QGroupBox*>())
        check(group, group->title(), group->contentsRect().width());
    for (const DeviceListCtrl* list : window.findChildren<DeviceListCtrl*>()) {
        const QHeaderView* header = list->horizontalHeader();
        const int margin = 2 * list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int column = 0; column < list->columnCount(); ++column)
            check(header, list->horizontalHeaderItem(column)->text(),
                  header->sectionSize(column) - margin);
    }
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->wordWrap()) {
            // Laid out as the label lays it out: no line may be wider than
            // the label, nor the lines taller than it.
            const QRect room = label->contentsRect();
            const QRect used = label->fontMetrics().boundingRect(
                QRect(room.topLeft(), QSize(room.width(), 1 << 20)), Qt::TextWordWrap,
                label->text());
            if (used.width() > room.width() || used.height() > room.height())
                faults << QStringLiteral("'%1' needs %2x%3 px, has %4x%5")
                              .arg(label->text())
                              .arg(used.width())
                              .arg(used.height())
                              .arg(room.width())
                              .arg(room.height());
        } else {
            check(label, label->text(), label->contentsRect().width());
        }
        // A label grows to fit its text: it must not grow into a control.
        for (const QWidget* other : window.findChildren<QWidget*>()) {
            if (other->parentWidget() == label->parentWidget() &&
                !qobject_cast<const QLabel*>(other) && !qobject_cast<const QGroupBox*>(other) &&
                other->geometry().intersects(label->geometry()))
                faults
                    << QStringLiteral("'%1' runs into %2").arg(label->text(), other->objectName());
        }
    }
    return faults.join(QStringLiteral("; "));
}

} // namespace

class LanguageTests : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void chineseKeepsTheSourceTextsAndFits();
    void englishTranslatesWindowAndEngineAndFits();
};

void LanguageTests::chineseKeepsTheSourceTextsAndFits() {
    UseLanguage(i18n::Language::Chinese);
    DialogRig rig;
    rig.dlg->show();
    QCOMPARE(rig.dlg->windowTitle().toUtf8(),
             QByteArray("自动升级工具(2.0.6版本）- 同时支持TI和海思相机"));
    QCOMPARE(ButtonText(rig, "IDC_BTN_SEARCH").toUtf8(), QByteArray("搜索"));
    QCOMPARE(ButtonText(rig, "IDC_BTN_BATCH_UPGRADE").toUtf8(), QByteArray("批量升级"));
    QCOMPARE(rig.dlg->DeviceList()->horizontalHeaderItem(COL_VERSION)->text().toUtf8(),
             QByteArray("设备版本"));
    QCOMPARE(Clipped(*rig.dlg), QString());

    CAboutDlg about(rig.dlg.get());
    about.show();
    QCOMPARE(about.windowTitle().toUtf8(), QByteArray("关于 Tolvane"));
    QCOMPARE(Clipped(about), QString());

    // The save dialog and the edit menus are Qt's own: Chinese too, and
    // English again once English is chosen.
    QVERIFY(i18n::InstallToolkitTranslations(i18n::Language::Chinese));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:").toUtf8(),
             QByteArray("文件名称(&N)："));
    UseLanguage(i18n::Language::English);
    QVERIFY(!i18n::InstallToolkitTranslations(i18n::Language::English));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:"),
             QStringLiteral("File &name:"));
}

void LanguageTests::englishTranslatesWindowAndEngineAndFits() {
    UseLanguage(i18n::Language::English);
    DialogRig rig;
    rig.dlg->show();
    QCOMPARE(ButtonText(rig, "IDC_BTN_SEARCH"), QStringLiteral("Search"));
    QVERIFY(rig.dlg->windowTitle().startsWith(QStringLiteral("Automatic")));
    QCOMPARE(rig.dlg->DeviceList()->horizontalHeaderItem(COL_PROGRESS)->text(),
             QStringLiteral("Progress"));
    QCOMPARE(Clipped(*rig.dlg), QString());

    // A composed engine text is composed from the translated pattern, while
    // what the engine keeps for itself stays Chinese.
    rig.AddRows({"10.31.0.1"}, true);
    PostProgress(*rig.dlg, "10.31.0.1", UPGRADE_STEP_SEND_IMAGE, "hi3516_app.bin");
    QTRY_COMPARE(rig.dlg->DeviceList()->GetItemText(0, COL_PROGRESS),
                 QStringLiteral("Upgrading 'hi3516_app.bin'"));
    QCOMPARE(ProgressText(UPGRADE_STEP_SEND_IMAGE, "a.bin"), std::string("正在升级'a.bin'"));
    QCOMPARE(RunningSummaryText(7, 3, 2, 1, i18n::TrUtf8),
             std::string("7 selected, 3 done: 2 succeeded, 1 failed."));

    CAboutDlg about(rig.dlg.get());
    about.show();
    QCOMPARE(about.windowTitle(), QStringLiteral("About Tolvane"));
    QCOMPARE(Clipped(about), QString());
}

QTEST_MAIN(LanguageTests)
#include "ui_language_tests.moc"
