// The two small dialogs of the device list's context menu: a camera added
// by hand and an address range to scan. Each checks its input with the
// project's address parser when OK is pressed and stays open, after a
// message box, while the input is wrong.
#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

class QLineEdit;

class CAddDeviceDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAddDeviceDlg(QWidget* parent = nullptr);

    // Valid once the dialog was accepted.
    uint32_t Address() const { return m_address; }
    uint16_t Port() const { return m_port; }

public Q_SLOTS:
    void accept() override;

private:
    QLineEdit* m_editAddress = nullptr;
    QLineEdit* m_editPort = nullptr;
    uint32_t m_address = 0;
    uint16_t m_port = 0;
};

class CScanRangeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CScanRangeDlg(QWidget* parent = nullptr);

    // The addresses from first to last, valid once the dialog was accepted.
    const std::vector<uint32_t>& Addresses() const { return m_addresses; }

public Q_SLOTS:
    void accept() override;

private:
    QLineEdit* m_editFirst = nullptr;
    QLineEdit* m_editLast = nullptr;
    std::vector<uint32_t> m_addresses;
};
