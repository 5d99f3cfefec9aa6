// An address box of four number fields (0 to 255) separated by dots. Its
// text is always four numbers: an empty field reads as 0, so a cleared box
// reads "0.0.0.0".
#pragma once

#include <QFrame>
#include <array>
#include <cstdint>

class QLineEdit;

class IpAddressCtrl : public QFrame {
    Q_OBJECT
public:
    explicit IpAddressCtrl(QWidget* parent = nullptr);

    // The address in host order (first field in the top byte).
    void SetAddress(uint32_t address);
    // Sets the fields from dotted text; parts that are not numbers 0 to 255
    // leave their field empty.
    void SetWindowText(const QString& text);
    QString GetWindowText() const;

    QLineEdit* Field(int index) const { return m_fields[static_cast<size_t>(index)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnFieldEdited(int index);
    void UpdateBackground();

    std::array<QLineEdit*, 4> m_fields{};
};
