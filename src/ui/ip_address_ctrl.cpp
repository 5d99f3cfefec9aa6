#include "ip_address_ctrl.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStringList>

IpAddressCtrl::IpAddressCtrl(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(validator);
        field->setMaxLength(3);
        field->setObjectName(QStringLiteral("field%1").arg(i + 1));
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this,
                [this, i](const QString&) { OnFieldEdited(static_cast<int>(i)); });
        layout->addWidget(field, 1);
        m_fields[i] = field;
    }
    setFocusProxy(m_fields[0]);
    UpdateBackground();
}

void IpAddressCtrl::SetAddress(uint32_t address) {
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(QString::number((address >> (24 - 8 * i)) & 0xFF));
}

void IpAddressCtrl::SetWindowText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    for (size_t i = 0; i < m_fields.size(); ++i) {
        bool ok = false;
        const int value =
            i < static_cast<size_t>(parts.size()) ? parts[static_cast<qsizetype>(i)].toInt(&ok) : 0;
        m_fields[i]->setText(ok && value >= 0 && value <= 255 ? QString::number(value) : QString());
    }
}

QString IpAddressCtrl::GetWindowText() const {
    QStringList parts;
    for (const QLineEdit* field : m_fields)
        parts << QString::number(field->text().toInt());
    return parts.join(QLatin1Char('.'));
}

// A field never holds more than 255; three digits move on to the next field.
void IpAddressCtrl::OnFieldEdited(int index) {
    QLineEdit* field = m_fields[static_cast<size_t>(index)];
    if (field->text().toInt() > 255)
        field->setText(QStringLiteral("255"));
    if (field->text().size() == 3 && index + 1 < static_cast<int>(m_fields.size())) {
        m_fields[static_cast<size_t>(index) + 1]->setFocus();
        m_fields[static_cast<size_t>(index) + 1]->selectAll();
    }
}

// A dot moves to the next field; backspace in an empty field moves back.
bool IpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        for (size_t i = 0; i < m_fields.size(); ++i) {
            if (watched != m_fields[i])
                continue;
            if (key->text() == QStringLiteral(".")) {
                if (i + 1 < m_fields.size() && !m_fields[i]->text().isEmpty()) {
                    m_fields[i + 1]->setFocus();
                    m_fields[i + 1]->selectAll();
                }
                return true;
            }
            if (key->key() == Qt::Key_Backspace && m_fields[i]->cursorPosition() == 0 && i > 0 &&
                !m_fields[i]->hasSelectedText()) {
                m_fields[i - 1]->setFocus();
                m_fields[i - 1]->end(false);
                return true;
            }
        }
    }
    return QFrame::eventFilter(watched, event);
}

void IpAddressCtrl::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        UpdateBackground();
}

void IpAddressCtrl::UpdateBackground() {
    setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
}
