#include "device_list_ctrl.h"

#include "dialog/dialog_ids.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

constexpr int kItemDataRole = Qt::UserRole;

// Paints each cell's background in the colour of its row's state, read from
// the first cell's item data at paint time.
class RowColourDelegate : public QStyledItemDelegate {
public:
    explicit RowColourDelegate(DeviceListCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (const auto colour = m_list->GetRowBackground(index.row()))
            option->backgroundBrush = *colour;
    }

private:
    DeviceListCtrl* m_list;
};

// Headings that Tab reaches: Space or Enter acts as a click on the tick
// column's heading, the one heading that does anything, which shows a focus
// frame meanwhile.
class KeyboardHeader : public QHeaderView {
public:
    explicit KeyboardHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
        setFocusPolicy(Qt::TabFocus);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Select:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Q_EMIT sectionClicked(0);
            return;
        default:
            QHeaderView::keyPressEvent(event);
        }
    }
    void focusInEvent(QFocusEvent* event) override {
        QHeaderView::focusInEvent(event);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QHeaderView::focusOutEvent(event);
        viewport()->update();
    }
    void paintEvent(QPaintEvent* event) override {
        QHeaderView::paintEvent(event);
        if (!hasFocus())
            return;
        // Drawn here: the styles' focus frames are too faint on a heading.
        QPainter painter(viewport());
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(
            QRect(sectionViewportPosition(0), 0, sectionSize(0), height()).adjusted(2, 2, -2, -2));
    }
};

} // namespace

DeviceListCtrl::DeviceListCtrl(QWidget* parent) : QTableWidget(parent) {
    setHorizontalHeader(new KeyboardHeader(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list instead of walking its cells: rows are whole.
    setTabKeyNavigation(false);
    setShowGrid(true);
    setSortingEnabled(false);
    setWordWrap(false);
    verticalHeader()->hide();
    // Rows as tight as the text allows, like a report list.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Column widths are the template's pixels, however narrow.
    horizontalHeader()->setMinimumSectionSize(1);
    setItemDelegate(new RowColourDelegate(this));
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { Q_EMIT ColumnClicked(column); });
}

void DeviceListCtrl::InsertColumn(int column, const QString& heading, Qt::Alignment alignment,
                                  int width) {
    insertColumn(column);
    auto* header = new QTableWidgetItem(heading);
    header->setTextAlignment(alignment | Qt::AlignVCenter);
    setHorizontalHeaderItem(column, header);
    setColumnWidth(column, width);
    m_alignments.insert(column, alignment);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

QTableWidgetItem* DeviceListCtrl::CellItem(int row, int column) {
    QTableWidgetItem* cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        const Qt::Alignment alignment =
            column < m_alignments.size() ? m_alignments[column] : Qt::AlignLeft;
        cell->setTextAlignment(alignment | Qt::AlignVCenter);
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, column, cell);
    }
    return cell;
}

int DeviceListCtrl::InsertItem(int index, const QString& text) {
    const int row = std::clamp(index, 0, rowCount());
    insertRow(row);
    QTableWidgetItem* first = CellItem(row, 0);
    first->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    first->setCheckState(Qt::Unchecked);
    first->setText(text);
    first->setData(kItemDataRole, QVariant::fromValue<qulonglong>(0));
    return row;
}

void DeviceListCtrl::DeleteAllItems() {
    clearContents();
    setRowCount(0);
}

void DeviceListCtrl::SetItemText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    CellItem(row, column)->setText(text);
}

QString DeviceListCtrl::GetItemText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void DeviceListCtrl::SetItemData(int row, uintptr_t data) {
    if (row < 0 || row >= rowCount() || (item(row, 0) && GetItemData(row) == data))
        return;
    CellItem(row, 0)->setData(kItemDataRole, QVariant::fromValue<qulonglong>(data));
    // The state colours the whole row: that row is repainted, not the list
    // (nothing when it is scrolled out of view).
    viewport()->update(QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row)));
}

uintptr_t DeviceListCtrl::GetItemData(int row) const {
    const QTableWidgetItem* cell = item(row, 0);
    return cell ? static_cast<uintptr_t>(cell->data(kItemDataRole).toULongLong()) : 0;
}

bool DeviceListCtrl::GetCheck(int row) const {
    const QTableWidgetItem* cell = item(row, 0);
    return cell && cell->checkState() == Qt::Checked;
}

void DeviceListCtrl::SetCheck(int row, bool checked) {
    if (row < 0 || row >= rowCount())
        return;
    CellItem(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void DeviceListCtrl::SelectRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int DeviceListCtrl::GetSelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

DeviceListCtrl::RowColour DeviceListCtrl::GetRowBackground(int row) const {
    if (!m_rowColour || row < 0 || row >= rowCount())
        return std::nullopt;
    return m_rowColour(GetItemData(row));
}

void DeviceListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    Q_EMIT ListClicked(index.isValid() ? index.row() : -1,
                       index.isValid() ? index.column()
                                       : columnAt(event->position().toPoint().x()));
}

void DeviceListCtrl::keyPressEvent(QKeyEvent* event) {
    const int row = currentRow();
    if (event->matches(QKeySequence::SelectAll)) {
        Q_EMIT ColumnClicked(0);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Select:
        // Whatever cell of the row is current, not only the check box's.
        if (row >= 0 && event->modifiers() == Qt::NoModifier) {
            SetCheck(row, !GetCheck(row));
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (row >= 0)
            Q_EMIT RowEntered(row);
        return;
    default:
        break;
    }
    QTableWidget::keyPressEvent(event);
}

void DeviceListCtrl::FitColumnTo(int column, const QString& sample) {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    // The style keeps this margin either side of a cell's text, and the grid
    // line takes the cell's last pixel.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, this) + 1;
    const int needed =
        option.fontMetrics.horizontalAdvance(sample) + 2 * margin + (showGrid() ? 1 : 0);
    if (columnWidth(column) < needed)
        setColumnWidth(column, needed);
}

QString DeviceListCtrl::RowSummary(int row) const {
    QStringList lines;
    for (int column = 0; column < columnCount(); ++column) {
        const QString text = GetItemText(row, column);
        const QTableWidgetItem* heading = horizontalHeaderItem(column);
        if (!text.isEmpty())
            lines << (heading ? heading->text() + QStringLiteral(": ") : QString()) + text;
    }
    const QTableWidgetItem* address = item(row, COL_IP);
    const QString note = address ? address->data(kRoleRowNote).toString() : QString();
    if (!note.isEmpty())
        lines << note;
    return lines.join(QLatin1Char('\n'));
}

// Cells may be cut short: a row's tooltip shows all of it.
bool DeviceListCtrl::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTableWidget::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = index.isValid() ? RowSummary(index.row()) : QString();
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
    return true;
}
