#include "status_line.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

// Read-only text interface over the label's current text; the name and the
// description are the widget's own.
class StatusLineAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit StatusLineAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::StatusBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value)
            return Label()->text();
        return QAccessibleWidget::text(type);
    }

    // QAccessibleTextInterface: nothing to select, no caret.
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override {
        return Label()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(Label()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    const QLabel* Label() const { return static_cast<const QLabel*>(widget()); }
};

QAccessibleInterface* MakeStatusLineAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("StatusLine") && object->isWidgetType())
        return new StatusLineAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(MakeStatusLineAccessible);
        return true;
    }();
    (void)installed;
}

void StatusLine::setText(const QString& text) {
    const QString old = QLabel::text();
    if (old == text)
        return;
    QLabel::setText(text);
    QAccessibleTextUpdateEvent event(this, 0, old, text);
    QAccessible::updateAccessibility(&event);
}
