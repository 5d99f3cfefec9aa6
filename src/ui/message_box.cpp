#include "message_box.h"

#include "i18n/translations.h"
#include "ui_texts.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                   MessageButtons buttons) {
    if (Hook())
        return Hook()(owner, text, caption, buttons);

    QMessageBox box(owner);
    // A box is a window of its own: give it the dialog's font explicitly.
    if (owner)
        box.setFont(owner->font());
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(i18n::Tr("ui", ui_text::kOk), QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    if (buttons == MessageButtons::OkCancel)
        cancel = box.addButton(i18n::Tr("ui", ui_text::kCancel), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel ? static_cast<QAbstractButton*>(cancel) : ok);
    box.exec();
    return box.clickedButton() == ok ? IDOK : IDCANCEL;
}
