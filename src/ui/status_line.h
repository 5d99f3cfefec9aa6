// A status line: a label whose accessible name stays fixed while its text
// changes. Screen readers and UI automation find it by that name and read
// the current text through its text interface, and hear each new text.
#pragma once

#include <QLabel>

class StatusLine : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    // Hides QLabel::setText (not virtual), so that every change is announced.
    void setText(const QString& text);
};
