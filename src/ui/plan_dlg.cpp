#include "plan_dlg.h"

#include "i18n/translations.h"
#include "ui_texts.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CPlanDlg::CPlanDlg(const QString& text, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("IDD_PLAN"));
    setWindowTitle(i18n::Tr("ui", ui_text::kPlanCaption));
    m_text = new QPlainTextEdit(text, this);
    m_text->setObjectName(QStringLiteral("IDC_EDIT_PLAN"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* ok = new QPushButton(i18n::Tr("ui", ui_text::kOk), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(ok, 0, Qt::AlignRight);
    resize(560, 420);
}

QString CPlanDlg::PlanText() const {
    return m_text->toPlainText();
}
