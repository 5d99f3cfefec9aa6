// The operator's reports on the device list: an upgrade plan of the ticked
// rows, the results exported to a file, and the failed rows ticked again.
#include "device_list_ctrl.h"
#include "dialog/single_checks.h"
#include "engine/report_rows.h"
#include "engine/result_detail.h"
#include "engine/upgrade_plan.h"
#include "engine/version_worker.h"
#include "i18n/translations.h"
#include "message_box.h"
#include "plan_dlg.h"
#include "tolvane_dlg.h"
#include "ui_texts.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QTableWidgetItem>
#include <chrono>

namespace {

// What a row keeps of its camera's last run, beside the cells.
constexpr int kRoleBefore = Qt::UserRole + 20;
constexpr int kRoleAfter = Qt::UserRole + 21;
constexpr int kRoleStart = Qt::UserRole + 22;
constexpr int kRoleEnd = Qt::UserRole + 23;
constexpr int kRoleExpected = Qt::UserRole + 24;
constexpr int kRoleVerified = Qt::UserRole + 25;

std::function<QString()> g_exportPathHook;

QString Text(const char* source) {
    return i18n::Tr("ui", source);
}

QString Now() {
    return QString::fromStdString(TimeText(std::chrono::system_clock::now()));
}

std::string Role(const QTableWidgetItem* item, int role) {
    return item ? item->data(role).toString().toStdString() : std::string();
}

} // namespace

void CTolvaneDlg::SetExportPathHook(std::function<QString()> hook) {
    g_exportPathHook = std::move(hook);
}

void CTolvaneDlg::AddReportMenuEntries(QMenu& menu) {
    menu.addSeparator();
    const auto add = [&](const char* text, const char* name, void (CTolvaneDlg::*handler)()) {
        QAction* action = menu.addAction(Text(text));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    add(ui_text::kMenuPlan, "IDM_PLAN", &CTolvaneDlg::OnPlanMenu);
    add(ui_text::kMenuExport, "IDM_EXPORT", &CTolvaneDlg::OnExportMenu);
    add(ui_text::kMenuTickFailed, "IDM_TICK_FAILED", &CTolvaneDlg::OnTickFailedMenu);
}

void CTolvaneDlg::OnTickFailedMenu() {
    TickFailedRows(m_rows);
}

void CTolvaneDlg::NoteRowStarted(const QString& address) {
    for (const int row : m_rows.Index().RowsOf(address.toStdString())) {
        QTableWidgetItem* item = m_listDevices->item(row, COL_IP);
        if (!item)
            continue;
        // A row that already has an end belongs to an earlier run.
        if (item->data(kRoleStart).isNull() || !item->data(kRoleEnd).isNull()) {
            item->setData(kRoleStart, Now());
            item->setData(kRoleEnd, QVariant());
        }
    }
}

void CTolvaneDlg::NoteRowResult(const QString& address, const UpgradeResultNote& note,
                                intptr_t code) {
    const QString before = QString::fromStdString(FieldText(note.versionBefore));
    const QString end = Now();
    const QString detail = QString::fromStdString(ResultDetailText(note, code, i18n::TrUtf8));
    for (const int row : m_rows.Index().RowsOf(address.toStdString())) {
        QTableWidgetItem* item = m_listDevices->item(row, COL_IP);
        if (!item)
            continue;
        // Not read by the run: the version the list showed when it began.
        item->setData(kRoleBefore,
                      before.isEmpty() ? m_listDevices->GetItemText(row, COL_VERSION) : before);
        item->setData(kRoleAfter, QString::fromStdString(FieldText(note.versionAfter)));
        item->setData(kRoleExpected, QString::fromStdString(FieldText(note.versionExpected)));
        item->setData(kRoleVerified, note.check == UPGRADE_CHECK_VERIFIED
                                         ? QStringLiteral("true")
                                         : QStringLiteral("false"));
        item->setData(DeviceListCtrl::kRoleRowNote, detail);
        // Refused at log-in, the run sent no progress: it began as it ended.
        if (item->data(kRoleStart).isNull() || !item->data(kRoleEnd).isNull())
            item->setData(kRoleStart, end);
        item->setData(kRoleEnd, end);
    }
}

void CTolvaneDlg::OnExportMenu() {
    QString filter;
    QString path = g_exportPathHook
                       ? g_exportPathHook()
                       : QFileDialog::getSaveFileName(this, Text(ui_text::kMenuExport), QString(),
                                                      Text(ui_text::kExportFilter), &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter.contains(QStringLiteral("json")) ? QStringLiteral(".json")
                                                        : QStringLiteral(".csv");
    std::vector<ResultRow> rows;
    for (int row = 0; row < m_listDevices->GetItemCount(); ++row) {
        const QTableWidgetItem* item = m_listDevices->item(row, COL_IP);
        rows.push_back({m_listDevices->GetItemText(row, COL_IP).toStdString(),
                        PortNumber(m_listDevices->GetItemText(row, COL_PORT).toStdString()),
                        Role(item, kRoleBefore), Role(item, kRoleAfter),
                        m_listDevices->GetItemText(row, COL_PROGRESS).toStdString(),
                        Role(item, kRoleStart), Role(item, kRoleEnd), Role(item, kRoleExpected),
                        Role(item, kRoleVerified),
                        item ? item->data(DeviceListCtrl::kRoleRowNote).toString().toStdString()
                             : std::string()});
    }
    const bool json =
        QFileInfo(path).suffix().compare(QStringLiteral("json"), Qt::CaseInsensitive) == 0;
    const bool written = WriteWholeFile(QFile::encodeName(path).toStdString(),
                                        json ? ResultRowsJson(rows) : ResultRowsCsv(rows));
    ShowMessageBox(
        this, written ? Text(ui_text::kExportDone).arg(rows.size()) : Text(ui_text::kExportFailed),
        Text(ui_text::kCaptionNotice));
}

void CTolvaneDlg::OnPlanMenu() {
    if (m_bPlanRunning) {
        ShowMessageBox(this, Text(ui_text::kPlanRunning), Text(ui_text::kCaptionNotice));
        return;
    }
    std::vector<PlanTarget> targets;
    for (int row = 0; row < m_listDevices->GetItemCount(); ++row) {
        const QString address = m_listDevices->GetItemText(row, COL_IP);
        if (m_listDevices->GetCheck(row) && !address.isEmpty())
            targets.push_back(
                {address.toStdString(),
                 PortNumber(m_listDevices->GetItemText(row, COL_PORT).toStdString())});
    }
    if (targets.empty()) {
        ShowMessageBox(this, Text(ui_text::kSelectDevices), Text(ui_text::kCaptionNotice));
        return;
    }
    JoinPlanThread();
    m_bPlanRunning = true;
    // Held like the version worker holds it: the close sequence cannot
    // release the SDK under a plan, and a plan never starts after it.
    m_planThread = std::thread([this, targets] {
        std::vector<UpgradePlan> plans;
        InitSdkLock();
        OSA_csEnter(&g_sdkLock);
        if (IsRunning())
            plans =
                PlanUpgrades(targets, kBatchUser, kBatchPassword, [this] { return IsRunning(); });
        OSA_csLeave(&g_sdkLock);
        QString text;
        for (const UpgradePlan& plan : plans)
            text += QString::fromStdString(PlanText(plan, i18n::TrUtf8)) + QLatin1Char('\n');
        QMetaObject::invokeMethod(
            this, [this, text] { OnPlanReady(text); }, Qt::QueuedConnection);
    });
}

void CTolvaneDlg::OnPlanReady(const QString& text) {
    JoinPlanThread();
    m_bPlanRunning = false;
    if (m_state.Closed())
        return;
    delete m_planDlg.data();
    m_planDlg = new CPlanDlg(text, this);
    m_planDlg->setAttribute(Qt::WA_DeleteOnClose);
    m_planDlg->show();
}

CPlanDlg* CTolvaneDlg::PlanDialog() const {
    return m_planDlg.data();
}

void CTolvaneDlg::JoinPlanThread() {
    if (m_planThread.joinable())
        m_planThread.join();
}
