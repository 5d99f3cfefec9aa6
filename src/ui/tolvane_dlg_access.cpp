// Keyboard ways to everything the mouse does, and the names and descriptions
// that screen readers and UI automation give the controls.
#include "device_list_ctrl.h"
#include "i18n/translations.h"
#include "ip_address_ctrl.h"
#include "status_line.h"
#include "tolvane_dlg.h"
#include "ui_texts.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

namespace {

QString Text(const char* utf8) {
    return i18n::Tr("ui", utf8);
}

} // namespace

void CTolvaneDlg::DescribeControls() {
    // The address box's fields take the focus: each is named on its own.
    for (int i = 0; i < 4; ++i) {
        m_ipAddress->Field(i)->setAccessibleName(Text(ui_text::kAccAddressField).arg(i + 1));
        m_ipAddress->Field(i)->setAccessibleDescription(Text(ui_text::kDescAddress));
    }
    QHeaderView* header = m_listDevices->horizontalHeader();
    header->setObjectName(QStringLiteral("IDC_LIST_DEVICES_HEADER"));
    header->setAccessibleName(Text(ui_text::kAccListHeader));
    const std::pair<QWidget*, const char*> described[] = {
        {m_ipAddress, ui_text::kDescAddress},
        {m_editPort, ui_text::kDescPort},
        {m_editUser, ui_text::kDescUser},
        {m_editPassword, ui_text::kDescPassword},
        {m_btnUpgrade, ui_text::kDescUpgrade},
        {header, ui_text::kDescListHeader},
        {m_listDevices, ui_text::kDescDeviceList},
        {m_btnSearch, ui_text::kDescSearch},
        {m_btnBatch, ui_text::kDescBatch},
        {m_staticSingleStatus, ui_text::kDescSingleStatus},
        {m_staticBatchStatus, ui_text::kDescBatchStatus},
    };
    for (const auto& [widget, description] : described)
        widget->setAccessibleDescription(Text(description));
}

void CTolvaneDlg::SetUpKeyboard() {
    // Tab follows the layout: the single row left to right, then the list
    // (its headings first) and the buttons beside it.
    const QList<QWidget*> order{m_ipAddress->Field(0),
                                m_ipAddress->Field(1),
                                m_ipAddress->Field(2),
                                m_ipAddress->Field(3),
                                m_editPort,
                                m_editUser,
                                m_editPassword,
                                m_btnUpgrade,
                                m_listDevices->horizontalHeader(),
                                m_listDevices,
                                m_btnSearch,
                                m_btnBatch};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_listDevices, &DeviceListCtrl::RowEntered, this,
            [this](int row) { OnClickDeviceList(row, COL_IP); });

    // The Menu key reaches the focused control as a context-menu request of
    // the platform; Shift+F10 makes the same request.
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        QWidget* target = focusWidget() ? focusWidget() : this;
        const QPoint pos = target->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, pos, target->mapToGlobal(pos));
        QCoreApplication::sendEvent(target, &request);
    });
}

// From the keyboard the request is for the focused control, wherever the
// mouse pointer is.
bool CTolvaneDlg::IsContextOnList(const QContextMenuEvent& event) const {
    if (event.reason() == QContextMenuEvent::Keyboard)
        return m_listDevices->hasFocus() || m_listDevices->isAncestorOf(focusWidget());
    return m_listDevices->rect().contains(m_listDevices->mapFromGlobal(event.globalPos()));
}
