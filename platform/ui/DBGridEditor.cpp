#include "platform/ui/DBGridEditor.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QScopedValueRollback>

namespace platform::ui {

namespace {

// Keys that belong to the grid while the pick list is closed.
bool IsGridKey(const QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Delete) return Event->modifiers() & Qt::ControlModifier;
    switch (Event->key()) {
        case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
        case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Escape: case Qt::Key_Insert:
            return true;
        default: return false;
    }
}

}  // namespace

TInplaceEditor::TInplaceEditor(QWidget* Grid)
    : QWidget(Grid), FEdit(new QLineEdit(this)), FCombo(new QComboBox(this)), FButton(new QToolButton(this)) {
    FEdit->setFrame(false);
    FCombo->setEditable(true);
    FCombo->setInsertPolicy(QComboBox::NoInsert);
    FCombo->setFrame(false);
    FButton->setText(QStringLiteral("..."));
    FButton->setFocusPolicy(Qt::NoFocus);
    for (QWidget* Part : {static_cast<QWidget*>(FEdit), static_cast<QWidget*>(FCombo->lineEdit()),
                          static_cast<QWidget*>(FCombo)}) {
        Part->installEventFilter(this);
        // Esc and Enter come to the editor, not to the form's buttons.
        Part->setProperty("WantEscape", true);
        Part->setProperty("WantReturns", true);
    }
    connect(FEdit, &QLineEdit::textEdited, this, [this] { UserChanged(); });
    connect(FCombo->lineEdit(), &QLineEdit::textEdited, this, [this] { UserChanged(); });
    connect(FCombo, &QComboBox::activated, this, [this] { UserChanged(); });
    connect(FButton, &QToolButton::clicked, this, [this] {
        if (OnEditButtonClick) OnEditButtonClick();
    });
    setFocusProxy(FEdit);
    SetKind(ekText);
    hide();
}

void TInplaceEditor::SetKind(TKind Value, const QStringList& PickList) {
    FKind = Value;
    {
        const QScopedValueRollback<bool> Resetting(FResetting, true);
        FCombo->clear();
        FCombo->addItems(PickList);
    }
    FEdit->setVisible(Value != ekPickList);
    FCombo->setVisible(Value == ekPickList);
    FButton->setVisible(Value == ekEllipsis);
    setFocusProxy(FocusTarget());
    Place();
}

QWidget* TInplaceEditor::FocusTarget() const {
    return FKind == ekPickList ? static_cast<QWidget*>(FCombo) : static_cast<QWidget*>(FEdit);
}

QString TInplaceEditor::Text() const { return FKind == ekPickList ? FCombo->currentText() : FEdit->text(); }

void TInplaceEditor::Reset(const QString& Text) {
    const QScopedValueRollback<bool> Resetting(FResetting, true);
    FEdit->setText(Text);
    FCombo->setCurrentIndex(FCombo->findText(Text));
    FCombo->setEditText(Text);
    FModified = false;
}

void TInplaceEditor::SetMaxLength(int Value) {
    const int Length = Value > 0 ? Value : 32767;
    FEdit->setMaxLength(Length);
    FCombo->lineEdit()->setMaxLength(Length);
}

void TInplaceEditor::SetReadOnly(bool Value) {
    FEdit->setReadOnly(Value);
    FCombo->lineEdit()->setReadOnly(Value);
}

void TInplaceEditor::SelectAll() {
    FEdit->selectAll();
    FCombo->lineEdit()->selectAll();
}

void TInplaceEditor::Type(const QString& Text) {
    if (FKind == ekPickList) FCombo->setEditText(Text);
    else FEdit->setText(Text);
    UserChanged();
}

void TInplaceEditor::DropDown() {
    if (FKind == ekPickList) FCombo->showPopup();
}

bool TInplaceEditor::DroppedDown() const { return FKind == ekPickList && FCombo->view()->isVisible(); }

void TInplaceEditor::UserChanged() {
    if (FResetting) return;
    // A refused change is undone by the grid, which resets the text.
    if (!FModified && OnChanging && !OnChanging()) return;
    FModified = true;
}

bool TInplaceEditor::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() != QEvent::KeyPress || !OnKeyDown) return QWidget::eventFilter(Watched, Event);
    auto* Key = static_cast<QKeyEvent*>(Event);
    const bool OpenList = FKind == ekPickList && (Key->key() == Qt::Key_F4 ||
                                                  (Key->key() == Qt::Key_Down && (Key->modifiers() & Qt::AltModifier)));
    if (OpenList) {
        DropDown();
        return true;
    }
    if (DroppedDown() || !(IsGridKey(Key) || AtTextEdge(Key))) return QWidget::eventFilter(Watched, Event);
    int Code = Key->key();
    OnKeyDown(Code, Key->modifiers());
    return Code == 0;
}

bool TInplaceEditor::AtTextEdge(const QKeyEvent* Key) const {
    if ((Key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    const QLineEdit* Edit = FKind == ekPickList ? FCombo->lineEdit() : FEdit;
    const int Length = static_cast<int>(Edit->text().size());
    const int Start = Edit->hasSelectedText() ? Edit->selectionStart() : Edit->cursorPosition();
    const int End = Edit->hasSelectedText() ? Edit->selectionEnd() : Start;
    const bool Whole = Start == 0 && End == Length;
    if (Key->key() == Qt::Key_Left) return Start == 0 && (End == 0 || Whole);
    if (Key->key() == Qt::Key_Right) return End == Length && (Start == Length || Whole);
    return false;
}

void TInplaceEditor::resizeEvent(QResizeEvent*) { Place(); }

void TInplaceEditor::Place() {
    const int Button = FKind == ekEllipsis ? std::min(height(), width()) : 0;
    FEdit->setGeometry(0, 0, width() - Button, height());
    FCombo->setGeometry(0, 0, width(), height());
    FButton->setGeometry(width() - Button, 0, Button, height());
}

}  // namespace platform::ui
