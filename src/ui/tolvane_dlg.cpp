// Construction, initialisation, bound texts and the dispatch of posted notes.
#include "tolvane_dlg.h"

#include "about_dlg.h"
#include "device_list_ctrl.h"
#include "dialog/engine_stop.h"
#include "engine/note_window.h"
#include "engine/upgrade_sequence.h"
#include "engine/version_worker.h"
#include "i18n/translations.h"
#include "ip_address_ctrl.h"
#include "osa/osa_tsk.h"
#include "sdk/lpr_sdk.h"
#include "status_line.h"
#include "ui_texts.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

QEvent::Type DrainEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Notes handled before the window thread paints and reads input again.
constexpr std::chrono::milliseconds kNoteSlice{4};
// How often version reads that wait are offered to the worker's mailbox again.
constexpr int kVersionRetryMs = 20;

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

CTolvaneDlg::CTolvaneDlg(QWidget* parent)
    : QDialog(parent), m_state([this](uint32_t worker, const BatchCamera& camera) {
          return ::SendUpgradeRequest(m_upgradeTasks.data(), worker, camera.address.c_str(),
                                      camera.port, camera.user.c_str(), camera.password.c_str(),
                                      this);
      }),
      m_notes([this] { QCoreApplication::postEvent(this, new QEvent(DrainEventType())); }),
      m_versions([this](const std::string& address, int32_t port) {
          return ::SendVersionRequest(m_versionTask, address.c_str(), port, this);
      }),
      m_foundNotes(*this, [this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
          m_notes.Post(message, wParam, lParam);
      }) {
    m_state.SetTranslator(i18n::TrUtf8);
    m_hIcon = QIcon(QStringLiteral(":/tolvane/tolvane.png"));
    LprSdkActive().LprSetup();
    BuildControls();
    m_rows.Attach(m_listDevices);
    OnInitDialog();
}

CTolvaneDlg::~CTolvaneDlg() {
    // A dialog destroyed without its close sequence (never shown, or ended
    // by its owner) must still leave no worker reading it.
    StopWorkersAndSdk();
    JoinPlanThread();
}

void CTolvaneDlg::OnInitDialog() {
    UpdateData(false);
    setWindowIcon(m_hIcon);

    // Posts from the workers and the search callback arrive on any thread;
    // queueing a note is thread-safe and never blocks for long.
    m_noteWindow = RegisterNoteWindow([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        m_notes.Post(message, wParam, lParam);
    });
    // Each found camera's version read is offered again until the worker's
    // mailbox takes it, also when no version note comes to prompt it.
    m_versionTimer = new QTimer(this);
    m_versionTimer->setInterval(kVersionRetryMs);
    connect(m_versionTimer, &QTimer::timeout, this, [this] { PumpVersions(); });

    m_listDevices->SetRowColourFn(&CTolvaneDlg::RowColour);
    m_listDevices->InsertColumn(COL_CHECK, i18n::Tr("ui", ui_text::kColumnCheck), Qt::AlignHCenter,
                                50);
    m_listDevices->InsertColumn(COL_IP, i18n::Tr("ui", ui_text::kColumnAddress), Qt::AlignLeft,
                                140);
    m_listDevices->InsertColumn(COL_PORT, i18n::Tr("ui", ui_text::kColumnPort), Qt::AlignLeft, 50);
    m_listDevices->InsertColumn(COL_VERSION, i18n::Tr("ui", ui_text::kColumnVersion), Qt::AlignLeft,
                                160);
    m_listDevices->InsertColumn(COL_PROGRESS, i18n::Tr("ui", ui_text::kColumnProgress),
                                Qt::AlignLeft, 540);

    // A five-digit port in full, whatever the font.
    m_listDevices->FitColumnTo(COL_PORT, QStringLiteral("65535"));
    m_ipAddress->SetAddress(0);
    CreateTasks();

    m_strPort = QStringLiteral("80");
    m_strUser = QStringLiteral("admin");
    m_strPassword = QStringLiteral("ploma");
    UpdateData(false);
    m_ipAddress->setFocus();
}

void CTolvaneDlg::CreateTasks() {
    for (OsaTask*& slot : m_upgradeTasks)
        slot = StartEngineTask(UpdateTaskMain);
    m_versionTask = StartEngineTask(GetVersionTaskMain);
}

void CTolvaneDlg::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        m_strPort = m_editPort->text();
        m_strUser = m_editUser->text();
        m_strPassword = m_editPassword->text();
        m_strSingleStatus = m_staticSingleStatus->text();
        m_strBatchStatus = m_staticBatchStatus->text();
        return;
    }
    m_editPort->setText(m_strPort);
    m_editUser->setText(m_strUser);
    m_editPassword->setText(m_strPassword);
    m_staticSingleStatus->setText(m_strSingleStatus);
    m_staticBatchStatus->setText(m_strBatchStatus);
}

int32_t CTolvaneDlg::SendUpgradeRequest(uint32_t index, const QString& address, int32_t port,
                                        const QString& user, const QString& password) {
    return ::SendUpgradeRequest(m_upgradeTasks.data(), index, address.toUtf8().constData(), port,
                                user.toUtf8().constData(), password.toUtf8().constData(), this);
}

int32_t CTolvaneDlg::SendVersionRequest(const QString& address, int32_t port) {
    if (!m_versionTask)
        return SEND_REFUSED;
    return ::SendVersionRequest(m_versionTask, address.toUtf8().constData(), port, this);
}

std::optional<QColor> CTolvaneDlg::RowColour(uintptr_t state) {
    const std::optional<RowRgb> rgb = ::RowColour(state);
    if (!rgb)
        return std::nullopt;
    return QColor(rgb->red, rgb->green, rgb->blue);
}

QString CTolvaneDlg::ApplicationName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

bool CTolvaneDlg::event(QEvent* event) {
    if (event->type() != DrainEventType())
        return QDialog::event(event);
    // After the close sequence the dialog handles nothing more.
    if (m_state.Closed()) {
        m_notes.FreeAll();
        return true;
    }
    m_notes.Drain(
        [this](const NoteBatch::Note& note) {
            if (m_state.Closed())
                FreeNoteMessage(note.message, note.wParam, note.lParam);
            else
                DispatchNote(note.message, note.wParam, note.lParam);
        },
        kNoteSlice);
    return true;
}

void CTolvaneDlg::DispatchNote(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const int64_t start = NowNs();
    switch (message) {
    case WM_DEVICE_FOUND:
        // A report of a search stopped since: its camera is not in this list.
        if (m_foundNotes.IsCurrent(wParam))
            OnDeviceFound(wParam, lParam);
        else
            FreeNoteMessage(message, wParam, lParam);
        break;
    case WM_UPGRADE_RESULT:
        OnUpgradeResult(wParam, lParam);
        break;
    case WM_UPGRADE_PROGRESS:
        OnUpgradeProgress(wParam, lParam);
        break;
    case WM_DEVICE_VERSION:
        OnDeviceVersion(wParam, lParam);
        break;
    default:
        FreeNoteMessage(message, wParam, lParam);
        break;
    }
    TimeHandler(start);
    ++m_handledNotes;
}

void CTolvaneDlg::TimeHandler(int64_t startNs) {
    const int64_t elapsed = NowNs() - startNs;
    m_totalHandlerNs += elapsed;
    if (elapsed > m_longestHandlerNs)
        m_longestHandlerNs = elapsed;
}

void CTolvaneDlg::OnSysCommand(uint32_t id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
    }
}

// Linux window managers give no system menu to extend: the About entry lives
// in the dialog's context menu.
void CTolvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* about = menu.addAction(i18n::Tr("ui", ui_text::kAboutMenuItem));
    about->setObjectName(QStringLiteral("IDM_ABOUTBOX"));
    if (IsContextOnList(*event))
        AddProbeMenuEntries(menu);
    AddReportMenuEntries(menu);
    if (menu.exec(event->globalPos()) == about)
        OnSysCommand(IDM_ABOUTBOX);
}
