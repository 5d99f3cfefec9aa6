// A read-only view of upgrade plans: one block of text per camera.
#pragma once

#include <QDialog>

class QPlainTextEdit;

class CPlanDlg : public QDialog {
    Q_OBJECT
public:
    CPlanDlg(const QString& text, QWidget* parent = nullptr);
    QString PlanText() const;

private:
    QPlainTextEdit* m_text = nullptr;
};
