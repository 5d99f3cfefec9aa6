// The dialog's controls, placed at the template's dialog-unit rectangles.
#include "device_list_ctrl.h"
#include "dialog_units.h"
#include "i18n/translations.h"
#include "ip_address_ctrl.h"
#include "status_line.h"
#include "tolvane_dlg.h"
#include "ui_texts.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kDialogWidthDlu = 558;
constexpr int kDialogHeightDlu = 291;
constexpr int kDialogPointSize = 12;

void Place(QWidget* widget, const QRect& dlu, DialogBaseUnits units, const char* objectName,
           const QString& accessibleName) {
    widget->setGeometry(MapDialogRect(dlu, units));
    widget->setObjectName(QString::fromLatin1(objectName));
    if (!accessibleName.isEmpty())
        widget->setAccessibleName(accessibleName);
}

QPushButton* MakeButton(QWidget* parent, const char* text) {
    auto* button = new QPushButton(i18n::Tr("ui", text), parent);
    // No button of the dialog is a default button: Enter presses nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// A label keeps its template rectangle but grows to fit its text, since the
// stand-in font is a little wider than the template's.
QLabel* MakeLabel(QWidget* parent, const char* text, const QRect& dlu, DialogBaseUnits units) {
    auto* label = new QLabel(i18n::Tr("ui", text), parent);
    QRect rect = MapDialogRect(dlu, units);
    rect.setWidth(std::max(rect.width(), label->sizeHint().width()));
    rect.setHeight(std::max(rect.height(), label->sizeHint().height()));
    label->setGeometry(rect);
    return label;
}

} // namespace

void CTolvaneDlg::BuildControls() {
    const QFont font = DialogFont(kDialogPointSize);
    setFont(font);
    const DialogBaseUnits units = BaseUnitsOf(font);
    SetUpFrame(units);
    // Template order (SetUpKeyboard sets the tab order explicitly).
    BuildSingleControls(units);
    BuildBatchControls(units);
    BuildLabelsAndGroups(units);
    ConnectControls();
    DescribeControls();
    SetUpKeyboard();
}

void CTolvaneDlg::SetUpFrame(DialogBaseUnits units) {
    setWindowTitle(i18n::Tr("ui", ui_text::kDialogCaption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(MapDialogX(kDialogWidthDlu, units), MapDialogY(kDialogHeightDlu, units));
    setSizeGripEnabled(false);
}

void CTolvaneDlg::BuildSingleControls(DialogBaseUnits units) {
    m_ipAddress = new IpAddressCtrl(this);
    Place(m_ipAddress, {42, 20, 99, 13}, units, "IDC_IPADDRESS",
          i18n::Tr("ui", ui_text::kLabelAddress));

    m_editPort = new QLineEdit(this);
    Place(m_editPort, {183, 20, 30, 14}, units, "IDC_EDIT_PORT",
          i18n::Tr("ui", ui_text::kLabelPort));

    m_editUser = new QLineEdit(this);
    m_editUser->setMaxLength(16);
    Place(m_editUser, {266, 20, 40, 14}, units, "IDC_EDIT_USER",
          i18n::Tr("ui", ui_text::kLabelUser));

    m_editPassword = new QLineEdit(this);
    m_editPassword->setEchoMode(QLineEdit::Password);
    Place(m_editPassword, {341, 20, 44, 14}, units, "IDC_EDIT_PASSWORD",
          i18n::Tr("ui", ui_text::kLabelPassword));

    m_btnUpgrade = MakeButton(this, ui_text::kButtonUpgrade);
    Place(m_btnUpgrade, {412, 20, 43, 14}, units, "IDC_BTN_UPGRADE",
          i18n::Tr("ui", ui_text::kButtonUpgrade));
}

void CTolvaneDlg::BuildBatchControls(DialogBaseUnits units) {
    m_listDevices = new DeviceListCtrl(this);
    Place(m_listDevices, {11, 85, 484, 184}, units, "IDC_LIST_DEVICES",
          i18n::Tr("ui", ui_text::kAccDeviceList));

    m_btnSearch = MakeButton(this, ui_text::kButtonSearch);
    Place(m_btnSearch, {500, 85, 43, 13}, units, "IDC_BTN_SEARCH",
          i18n::Tr("ui", ui_text::kButtonSearch));

    m_btnBatch = MakeButton(this, ui_text::kButtonBatch);
    Place(m_btnBatch, {500, 105, 43, 13}, units, "IDC_BTN_BATCH_UPGRADE",
          i18n::Tr("ui", ui_text::kButtonBatch));
}

// Labels, group frames and status lines come after the controls in the
// template, so they never take part in the tab order before them.
void CTolvaneDlg::BuildLabelsAndGroups(DialogBaseUnits units) {
    MakeLabel(this, ui_text::kLabelAddress, {14, 22, 25, 8}, units);
    auto* single = new QGroupBox(i18n::Tr("ui", ui_text::kGroupSingle), this);
    single->setGeometry(MapDialogRect({8, 7, 541, 54}, units));
    auto* batch = new QGroupBox(i18n::Tr("ui", ui_text::kGroupBatch), this);
    batch->setGeometry(MapDialogRect({8, 70, 542, 219}, units));
    MakeLabel(this, ui_text::kLabelPort, {154, 22, 25, 8}, units);
    MakeLabel(this, ui_text::kLabelUser, {231, 22, 30, 8}, units);
    MakeLabel(this, ui_text::kLabelPassword, {314, 23, 25, 8}, units);

    m_staticSingleStatus = new StatusLine(this);
    Place(m_staticSingleStatus, {14, 43, 372, 8}, units, "IDC_STATIC_SINGLE_STATUS",
          i18n::Tr("ui", ui_text::kAccSingleStatus));
    m_staticBatchStatus = new StatusLine(this);
    Place(m_staticBatchStatus, {13, 274, 481, 8}, units, "IDC_STATIC_BATCH_STATUS",
          i18n::Tr("ui", ui_text::kAccBatchStatus));
    for (QLabel* status : {m_staticSingleStatus, m_staticBatchStatus}) {
        QRect rect = status->geometry();
        rect.setHeight(std::max(rect.height(), status->fontMetrics().height()));
        status->setGeometry(rect);
    }

    // Group boxes only frame their controls: they stay beneath them, so that
    // clicks reach the controls (the focus order is not affected).
    single->lower();
    batch->lower();
}

void CTolvaneDlg::ConnectControls() {
    connect(m_btnSearch, &QPushButton::clicked, this, [this] { OnBnClickedSearch(); });
    connect(m_btnUpgrade, &QPushButton::clicked, this, [this] { OnBnClickedUpgrade(); });
    connect(m_btnBatch, &QPushButton::clicked, this, [this] { OnBnClickedBatchUpgrade(); });
    connect(m_listDevices, &DeviceListCtrl::ColumnClicked, this,
            [this](int column) { OnColumnClickDeviceList(column); });
    connect(m_listDevices, &DeviceListCtrl::ListClicked, this,
            [this](int row, int column) { OnClickDeviceList(row, column); });
}
