// The main dialog: single and batch upgrades of the cameras of the network.
#pragma once

#include "dialog/dialog_ids.h"
#include "dialog/dialog_state.h"
#include "dialog/found_notes.h"
#include "dialog/version_queue.h"
#include "dialog_units.h"
#include "engine/requests_notes.h"
#include "list_rows.h"
#include "note_batch.h"

#include <QColor>
#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <thread>

class CProbeReceiver;
class CPlanDlg;
class DeviceListCtrl;
class IpAddressCtrl;
class QContextMenuEvent;
class QLabel;
class QMenu;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class StatusLine;
struct OsaTask;

class CTolvaneDlg : public QDialog, public NoteOwner {
    Q_OBJECT
public:
    explicit CTolvaneDlg(QWidget* parent = nullptr);
    ~CTolvaneDlg() override;

    // NoteOwner: what the workers see of the dialog.
    NoteWindow GetNoteWindow() const override { return m_noteWindow.load(); }
    bool IsRunning() const override { return m_bRunning.load() != 0; }

    // Bound texts: true takes every control's text into its member, false
    // writes every member into its control.
    void UpdateData(bool saveAndValidate);

    void EnableControls(bool enable);
    int32_t SendUpgradeRequest(uint32_t index, const QString& address, int32_t port,
                               const QString& user, const QString& password);
    int32_t SendVersionRequest(const QString& address, int32_t port);

    // Handlers of the posted notes; they free what the note carries.
    intptr_t OnDeviceFound(uintptr_t wParam, intptr_t lParam);
    intptr_t OnUpgradeResult(uintptr_t wParam, intptr_t lParam);
    intptr_t OnUpgradeProgress(uintptr_t wParam, intptr_t lParam);
    intptr_t OnDeviceVersion(uintptr_t wParam, intptr_t lParam);

    // Control handlers.
    void OnBnClickedSearch();
    void OnBnClickedUpgrade();
    void OnBnClickedBatchUpgrade();
    void OnColumnClickDeviceList(int column);
    void OnClickDeviceList(int row, int column);
    void OnSysCommand(uint32_t id);
    // The window's close request; false when refused (an upgrade runs).
    bool OnClose();

    // Cameras beyond the broadcast domain (the device list's context menu):
    // a camera added by hand, an address range scanned by unicast probes.
    void OnAddDevice();
    void OnScanRange();
    // A probed camera's report: listed like a found camera unless its
    // address already has a row.
    intptr_t OnDeviceProbed(uintptr_t wParam, intptr_t lParam);

    // Shows text and state on every row of the address; false when no row has it.
    bool UpdateRow(const QString& address, const QString& text, uintptr_t state);
    // Writes a version into the rows of that address, in both modes.
    void SetRowVersion(const QString& address, const QString& version);

    // Row background of a row state; nothing for states without a colour.
    static std::optional<QColor> RowColour(uintptr_t state);
    // The caption of the summary box: the executable's name without extension.
    static QString ApplicationName();

    // Read-only views for tests and automation.
    int32_t SingleMode() const { return m_state.SingleMode(); }
    int32_t Total() const { return m_state.Total(); }
    int32_t Succeeded() const { return m_state.Succeeded(); }
    int32_t Failed() const { return m_state.Failed(); }
    bool CloseEnabled() const { return m_state.CloseEnabled(); }
    DeviceListCtrl* DeviceList() const { return m_listDevices; }
    IpAddressCtrl* AddressBox() const { return m_ipAddress; }
    // Longest single note or command handler so far, in nanoseconds; and all
    // note handlers together, with their number.
    int64_t LongestHandlerNs() const { return m_longestHandlerNs; }
    int64_t TotalHandlerNs() const { return m_totalHandlerNs; }
    int64_t HandledNotes() const { return m_handledNotes; }
    // Version reads kept for the version worker, not yet sent.
    size_t VersionsWaiting() const { return m_versions.Waiting(); }
    void ResetHandlerTiming() { m_longestHandlerNs = m_totalHandlerNs = m_handledNotes = 0; }

    // Plan, export and retry: their context-menu entries and handlers.
    void AddReportMenuEntries(QMenu& menu);
    void OnPlanMenu();
    void OnExportMenu();
    void OnTickFailedMenu();
    // The plan view last shown (null when none is open).
    CPlanDlg* PlanDialog() const;
    // Gives the export path instead of the file dialog ("" cancels); empty restores it.
    static void SetExportPathHook(std::function<QString()> hook);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

public Q_SLOTS:
    void reject() override;

private:
    void BuildControls();
    void SetUpFrame(DialogBaseUnits units);
    void BuildSingleControls(DialogBaseUnits units);
    void BuildBatchControls(DialogBaseUnits units);
    void BuildLabelsAndGroups(DialogBaseUnits units);
    void ConnectControls();
    void DescribeControls();
    void SetUpKeyboard();
    bool IsContextOnList(const QContextMenuEvent& event) const;
    void OnInitDialog();
    void CreateTasks();
    void StopWorkersAndSdk();
    void DispatchNote(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void ClearList();
    void PumpVersions();
    void TimeHandler(int64_t startNs);
    bool FinishBatchIfDone();
    // After an upgrade or batch: a box when history or log lines were lost.
    void ShowReportFailureNotice();
    void AddProbeMenuEntries(QMenu& menu);
    NoteOwner* ProbeOwner();
    int FindRow(const QString& address) const; // -1 when no row has it
    void NoteRowStarted(const QString& address);
    void NoteRowResult(const QString& address, const UpgradeResultNote& note, intptr_t code);
    void OnPlanReady(const QString& text);
    void JoinPlanThread();

    QIcon m_hIcon;
    QString m_strPort;
    QString m_strUser;
    QString m_strPassword;
    QString m_strSingleStatus;
    DeviceListCtrl* m_listDevices = nullptr;
    IpAddressCtrl* m_ipAddress = nullptr;
    std::array<OsaTask*, UPGRADE_TASK_COUNT> m_upgradeTasks{};
    OsaTask* m_versionTask = nullptr;
    // Mode, counts, the running batch's cameras and the close rules.
    DialogState m_state;
    QString m_strBatchStatus;
    std::atomic<int32_t> m_bRunning{1};

    // Controls bound to the texts above.
    QLineEdit* m_editPort = nullptr;
    QLineEdit* m_editUser = nullptr;
    QLineEdit* m_editPassword = nullptr;
    StatusLine* m_staticSingleStatus = nullptr;
    StatusLine* m_staticBatchStatus = nullptr;
    QPushButton* m_btnUpgrade = nullptr;
    QPushButton* m_btnSearch = nullptr;
    QPushButton* m_btnBatch = nullptr;

    std::atomic<NoteWindow> m_noteWindow{0};
    ListRows m_rows; // m_listDevices as the dialog's logic sees it
    int64_t m_longestHandlerNs = 0;
    CProbeReceiver* m_probeReceiver = nullptr; // made at the first probe

    std::thread m_planThread; // log-in and version reads of a plan, off the window thread
    bool m_bPlanRunning = false;
    QPointer<CPlanDlg> m_planDlg;
    int64_t m_totalHandlerNs = 0;
    int64_t m_handledNotes = 0;

    // Declared last: destroyed first, while the members their sinks reach live.
    NoteBatch m_notes;       // every note posted to the dialog, handled in bursts
    VersionQueue m_versions; // version reads the worker's mailbox has no room for yet
    QTimer* m_versionTimer = nullptr;
    FoundNotes m_foundNotes; // the search's reports, marked with its generation
};
