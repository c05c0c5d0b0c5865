#pragma once
// The editor a data grid lays over its current cell: a text edit, an
// editable drop-down of the column's pick list, or a text edit with an
// ellipsis button. Keys that move through the grid go to the grid.
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QToolButton>
#include <QWidget>
#include <functional>

class QKeyEvent;

namespace platform::ui {

class TInplaceEditor : public QWidget {
    Q_OBJECT
public:
    enum TKind { ekText, ekPickList, ekEllipsis };

    explicit TInplaceEditor(QWidget* Grid);

    TKind Kind() const { return FKind; }
    // Shows the text edit or the drop-down; PickList fills the drop-down.
    void SetKind(TKind Value, const QStringList& PickList = {});
    QString Text() const;
    // Shows Text as the unchanged value.
    void Reset(const QString& Text);
    // Changed by the user since the last reset.
    bool Modified() const { return FModified; }
    void SetMaxLength(int Value);
    void SetReadOnly(bool Value);
    void SelectAll();
    // Sets Text as if typed (the first key of an edit that opens the editor).
    void Type(const QString& Text);
    void DropDown();
    bool DroppedDown() const;
    QWidget* FocusTarget() const;

    // Asked before a user change is taken: false refuses it (the grid cannot edit).
    std::function<bool()> OnChanging;
    // A key the grid handles (arrows between rows, Enter, Esc, page keys); set Key to 0 when done.
    std::function<void(int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void()> OnEditButtonClick;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void UserChanged();
    void Place();
    // Left at the start of the text or Right at its end (or with all of it
    // selected): the key leaves the editor for the next column.
    bool AtTextEdge(const QKeyEvent* Key) const;

    TKind FKind = ekText;
    QLineEdit* FEdit;
    QComboBox* FCombo;
    QToolButton* FButton;
    bool FModified = false;
    bool FResetting = false;
};

}  // namespace platform::ui
