// The device list: a report-style table with a check box in front of each
// row, an item-data word per row, gridlines and full-row single selection.
// Rows are painted in the colour of their item data (the row state).
#pragma once

#include <QColor>
#include <QTableWidget>
#include <QVector>
#include <cstdint>
#include <optional>

class DeviceListCtrl : public QTableWidget {
    Q_OBJECT
public:
    explicit DeviceListCtrl(QWidget* parent = nullptr);

    void InsertColumn(int column, const QString& heading, Qt::Alignment alignment, int width);

    // Inserts a row at `index` (clamped to the row count) with `text` in the
    // first column, unticked, item data 0. Returns the row's index.
    int InsertItem(int index, const QString& text);
    void DeleteAllItems();
    int GetItemCount() const { return rowCount(); }

    void SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;

    void SetItemData(int row, uintptr_t data);
    uintptr_t GetItemData(int row) const;

    bool GetCheck(int row) const;
    void SetCheck(int row, bool checked);

    // Selects the row and gives it the focus; the previous selection goes.
    void SelectRow(int row);
    int GetSelectedRow() const;

    // Widens a column, if need be, to show `sample` in full in the list's font.
    void FitColumnTo(int column, const QString& sample);
    // "heading: text" of each filled cell, one a line, then the text kept in
    // kRoleRowNote of the address cell: the row's tooltip.
    QString RowSummary(int row) const;
    // What the cells have no room for (a result's detail and error code).
    static constexpr int kRoleRowNote = Qt::UserRole + 30;

    // Background of a row in the given state; nothing for states without a colour.
    using RowColour = std::optional<QColor>;
    using RowColourFn = RowColour (*)(uintptr_t itemData);
    void SetRowColourFn(RowColourFn fn) { m_rowColour = fn; }
    // The colour the row is painted in now (empty: the list's default).
    RowColour GetRowBackground(int row) const;

Q_SIGNALS:
    // A click on a column heading.
    void ColumnClicked(int column);
    // A click in the list; row -1 when no row was hit.
    void ListClicked(int row, int column);
    // Enter or Return on the current row.
    void RowEntered(int row);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Space ticks or unticks the current row, Ctrl+A acts as a click on the
    // tick column's heading, Enter reports the current row.
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    QTableWidgetItem* CellItem(int row, int column);

    QVector<Qt::Alignment> m_alignments;
    RowColourFn m_rowColour = nullptr;
};
