#include "probe_dialogs.h"

#include "i18n/translations.h"
#include "message_box.h"
#include "netaddr/address_range.h"
#include "netaddr/dotted_ipv4.h"
#include "ui_texts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

namespace {

QLineEdit* AddField(QDialog* dialog, QFormLayout* form, const char* label, const char* name) {
    auto* edit = new QLineEdit(dialog);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(i18n::Tr("ui", label));
    form->addRow(i18n::Tr("ui", label), edit);
    return edit;
}

void AddButtons(QDialog* dialog, QFormLayout* form) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok =
        buttons->addButton(i18n::Tr("ui", ui_text::kOk), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(i18n::Tr("ui", ui_text::kCancel), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    form->addRow(buttons);
}

// A camera's own address: neither 0.0.0.0 nor the broadcast address.
std::optional<netaddr::Ipv4Address> CameraAddress(const QString& text) {
    std::optional<netaddr::Ipv4Address> address = netaddr::ParseIpv4(text.toStdString());
    if (!address || address->value == 0 || address->value == 0xffffffffu)
        return std::nullopt;
    return address;
}

void Notice(QWidget* owner, const QString& text) {
    ShowMessageBox(owner, text, i18n::Tr("ui", ui_text::kCaptionNotice));
}

} // namespace

CAddDeviceDlg::CAddDeviceDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(i18n::Tr("ui", ui_text::kAddDeviceCaption));
    auto* form = new QFormLayout(this);
    m_editAddress = AddField(this, form, ui_text::kLabelAddress, "IDC_EDIT_ADD_ADDRESS");
    m_editPort = AddField(this, form, ui_text::kLabelPort, "IDC_EDIT_ADD_PORT");
    m_editPort->setText(QStringLiteral("80"));
    AddButtons(this, form);
}

void CAddDeviceDlg::accept() {
    std::optional<netaddr::Ipv4Address> address = CameraAddress(m_editAddress->text().trimmed());
    if (!address) {
        Notice(this, i18n::Tr("ui", ui_text::kBadAddress));
        m_editAddress->setFocus();
        return;
    }
    // The port is read as the address parser reads "a.b.c.d:port".
    std::optional<netaddr::Ipv4Address> withPort = netaddr::ParseIpv4WithPort(
        (netaddr::FormatIpv4(address->value) + ':' + m_editPort->text().trimmed().toStdString()));
    if (!withPort) {
        Notice(this, i18n::Tr("ui", ui_text::kBadPort));
        m_editPort->setFocus();
        return;
    }
    m_address = withPort->value;
    m_port = withPort->port;
    QDialog::accept();
}

CScanRangeDlg::CScanRangeDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(i18n::Tr("ui", ui_text::kScanRangeCaption));
    auto* form = new QFormLayout(this);
    m_editFirst = AddField(this, form, ui_text::kLabelFirstAddress, "IDC_EDIT_SCAN_FIRST");
    m_editLast = AddField(this, form, ui_text::kLabelLastAddress, "IDC_EDIT_SCAN_LAST");
    AddButtons(this, form);
}

void CScanRangeDlg::accept() {
    std::optional<netaddr::Ipv4Address> first = CameraAddress(m_editFirst->text().trimmed());
    if (!first) {
        Notice(this, i18n::Tr("ui", ui_text::kBadFirstAddress));
        m_editFirst->setFocus();
        return;
    }
    std::optional<netaddr::Ipv4Address> last = CameraAddress(m_editLast->text().trimmed());
    if (!last) {
        Notice(this, i18n::Tr("ui", ui_text::kBadLastAddress));
        m_editLast->setFocus();
        return;
    }
    if (last->value < first->value) {
        Notice(this, i18n::Tr("ui", ui_text::kRangeReversed));
        return;
    }
    std::optional<std::vector<uint32_t>> span = netaddr::AddressSpan(first->value, last->value);
    if (!span) {
        Notice(this, i18n::Tr("ui", ui_text::kRangeTooLarge).arg(netaddr::kMaxRangeAddresses));
        return;
    }
    m_addresses = std::move(*span);
    QDialog::accept();
}
