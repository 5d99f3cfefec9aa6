#include "about_dlg.h"

#include "dialog_units.h"
#include "engine/program_folder.h"
#include "i18n/translations.h"
#include "ui_texts.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const QFont font = DialogFont(9);
    setFont(font);
    const DialogBaseUnits units = BaseUnitsOf(font);
    setWindowTitle(i18n::Tr("ui", ui_text::kAboutCaption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // Below the template's rows: the data folder, where the operator puts
    // the images and finds the logs; selectable so that it can be copied.
    const int width = MapDialogX(170, units);
    const int height = MapDialogY(90, units);

    auto* icon = new QLabel(this);
    const QPoint iconAt(MapDialogX(14, units), MapDialogY(14, units));
    icon->setPixmap(QIcon(QStringLiteral(":/tolvane/tolvane.png")).pixmap(32, 32));
    icon->setGeometry(QRect(iconAt, QSize(32, 32)));
    icon->setObjectName(QStringLiteral("IDR_MAINFRAME"));

    auto* version = new QLabel(i18n::Tr("ui", ui_text::kAboutVersion), this);
    QRect versionRect = MapDialogRect({42, 14, 114, 8}, units);
    versionRect.setHeight(std::max(versionRect.height(), version->fontMetrics().height()));
    version->setGeometry(versionRect);

    auto* folder = new QLabel(
        i18n::Tr("ui", ui_text::kAboutDataFolder).arg(QString::fromStdString(GetProgramFolder())),
        this);
    folder->setObjectName(QStringLiteral("IDC_DATA_FOLDER"));
    folder->setWordWrap(true);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A deep folder wraps at its separators onto more lines than the
    // template's three: the box grows rather than cut the path off.
    QRect folderRect = MapDialogRect({14, 62, 149, 24}, units);
    const int folderGrowth =
        std::max(0, folder->heightForWidth(folderRect.width()) - folderRect.height());
    folderRect.setHeight(folderRect.height() + folderGrowth);
    folder->setGeometry(folderRect);
    setFixedSize(width, height + folderGrowth);

    auto* ok = new QPushButton(i18n::Tr("ui", ui_text::kOk), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setAccessibleName(ok->text());
    ok->setGeometry(MapDialogRect({113, 41, 50, 14}, units));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
