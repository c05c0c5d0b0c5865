#include "platform/ui/DBCtrls.h"

#include <QAbstractItemView>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <QTextCursor>
#include <algorithm>

#include "platform/ui/Messages.h"

namespace platform::ui {

using platform::data::TField;

namespace {

// Esc takes back the control's change; unchanged, Esc belongs to the form.
void ShowWantsEscape(QWidget* Control, const TFieldDataLink& Link) {
    Control->setProperty("WantEscape", Link.IsModified());
}

// 0 when the field sets no limit.
int FieldMaxLength(const TField* Field) {
    return Field && platform::data::IsStringType(Field->DataType()) ? std::max(Field->Size(), 0) : 0;
}

int MaxLengthOf(const TField* Field) {
    const int Limit = FieldMaxLength(Field);
    return Limit > 0 ? Limit : 32767;
}

}  // namespace

// ---------------------------------------------------------------- edit

TDBEdit::TDBEdit(QWidget* AParent) : QLineEdit(AParent), FDataLink(std::make_unique<TFieldDataLink>(this)) {
    FDataLink->OnDataChange = [this] { DataChange(); };
    FDataLink->OnEditingChange = [this] { DataChange(); };
    FDataLink->OnUpdateData = [this] { Field()->SetText(text()); };
    connect(this, &QLineEdit::textEdited, this, [this] {
        FDataLink->Modified();
        ShowWantsEscape(this, *FDataLink);
    });
    DataChange();
}

TDBEdit::~TDBEdit() { FDataLink.reset(); }

void TDBEdit::DataChange() {
    TField* F = Field();
    // Setting the limit re-sets the text, which drops the selection the user is about to type over.
    if (maxLength() != MaxLengthOf(F)) setMaxLength(MaxLengthOf(F));
    setReadOnly(!FDataLink->CanModify());
    const QString Shown = !F ? QString() : hasFocus() ? F->Text() : F->DisplayText();
    // Setting the same text would move the caret away from where the user types.
    if (!FDataLink->IsModified() && Shown != text()) setText(Shown);
    ShowWantsEscape(this, *FDataLink);
}

void TDBEdit::keyPressEvent(QKeyEvent* Event) {
    if (!FDataLink->ConsumesKey(Event)) {
        QLineEdit::keyPressEvent(Event);
        return;
    }
    if (Event->key() == Qt::Key_Escape) selectAll();
    Event->accept();
}

void TDBEdit::focusInEvent(QFocusEvent* Event) {
    QLineEdit::focusInEvent(Event);
    // The edit text replaces the display text (formats differ).
    DataChange();
}

void TDBEdit::focusOutEvent(QFocusEvent* Event) {
    QLineEdit::focusOutEvent(Event);
    if (FDataLink->UpdateOnExit()) DataChange();
    else selectAll();
}

// ---------------------------------------------------------------- memo

TDBMemo::TDBMemo(QWidget* AParent) : QPlainTextEdit(AParent), FDataLink(std::make_unique<TFieldDataLink>(this)) {
    FDataLink->OnDataChange = [this] { DataChange(); };
    FDataLink->OnEditingChange = [this] { DataChange(); };
    FDataLink->OnUpdateData = [this] { Field()->SetAsString(Lines()); };
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        LimitLength();
        if (hasFocus()) FDataLink->Modified();
        ShowWantsEscape(this, *FDataLink);
    });
    DataChange();
}

TDBMemo::~TDBMemo() { FDataLink.reset(); }

void TDBMemo::DataChange() {
    setReadOnly(!FDataLink->CanModify());
    if (FDataLink->IsModified()) return;
    const QSignalBlocker Quiet(this);
    if (QString Shown = Field() ? Field()->AsString() : QString(); Shown != Lines())
        setPlainText(Shown.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    ShowWantsEscape(this, *FDataLink);
}

QString TDBMemo::Lines() const {
    // Lines end in CR LF in the field, as the platform's edit controls write them.
    return toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void TDBMemo::LimitLength() {
    const int Limit = FieldMaxLength(Field());
    const int Excess = static_cast<int>(Lines().size()) - Limit;
    if (Limit <= 0 || Excess <= 0) return;
    // What was just typed or pasted ends at the caret: its tail is dropped.
    QTextCursor Cursor = textCursor();
    const int End = Cursor.position();
    Cursor.setPosition(std::max(0, End - Excess));
    Cursor.setPosition(End, QTextCursor::KeepAnchor);
    const QSignalBlocker Quiet(this);
    Cursor.removeSelectedText();
}

void TDBMemo::keyPressEvent(QKeyEvent* Event) {
    if (FDataLink->ConsumesKey(Event)) Event->accept();
    else QPlainTextEdit::keyPressEvent(Event);
}

void TDBMemo::focusOutEvent(QFocusEvent* Event) {
    QPlainTextEdit::focusOutEvent(Event);
    FDataLink->UpdateOnExit();
}

// ---------------------------------------------------------------- check box

TDBCheckBox::TDBCheckBox(QWidget* AParent) : QCheckBox(AParent), FDataLink(std::make_unique<TFieldDataLink>(this)) {
    FDataLink->OnDataChange = [this] { DataChange(); };
    FDataLink->OnUpdateData = [this] { UpdateData(); };
    DataChange();
}

TDBCheckBox::~TDBCheckBox() { FDataLink.reset(); }

void TDBCheckBox::SetValueChecked(const QString& Value) {
    FValueChecked = Value;
    DataChange();
}

void TDBCheckBox::SetValueUnchecked(const QString& Value) {
    FValueUnchecked = Value;
    DataChange();
}

void TDBCheckBox::DataChange() {
    TField* F = Field();
    bool Checked = false;
    if (F && !F->IsNull()) {
        if (F->DataType() == platform::data::ftBoolean) Checked = F->AsBoolean();
        else
            for (const QString& Value : FValueChecked.split(u';'))
                if (F->Text().compare(Value, Qt::CaseInsensitive) == 0) Checked = true;
    }
    const QSignalBlocker Quiet(this);
    setChecked(Checked);
}

void TDBCheckBox::UpdateData() {
    TField* F = Field();
    if (F->DataType() == platform::data::ftBoolean) F->SetAsBoolean(isChecked());
    else F->SetText((isChecked() ? FValueChecked : FValueUnchecked).section(u';', 0, 0));
}

void TDBCheckBox::nextCheckState() {
    bool Editing = false;
    RunGuarded([&] { Editing = FDataLink->Edit(); });
    if (!Editing) return;
    QCheckBox::nextCheckState();
    FDataLink->Modified();
}

void TDBCheckBox::focusOutEvent(QFocusEvent* Event) {
    QCheckBox::focusOutEvent(Event);
    FDataLink->UpdateOnExit();
}

// ---------------------------------------------------------------- combo box

class TDBComboBox::TItemPainter : public QStyledItemDelegate {
public:
    explicit TItemPainter(TDBComboBox* Combo) : QStyledItemDelegate(Combo), FCombo(Combo) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        if (!FCombo->OnDrawItem && FCombo->Style() != TComboBoxStyle::csOwnerDrawFixed) {
            QStyledItemDelegate::paint(Painter, Option, Index);
            return;
        }
        TCanvas Canvas(*Painter);
        Canvas.SetFont(TFont(Option.font));
        FCombo->DrawItem(Index.row(), Option.rect, Canvas, Option.state & QStyle::State_Selected);
    }

    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        const QSize Natural = QStyledItemDelegate::sizeHint(Option, Index);
        if (FCombo->Style() != TComboBoxStyle::csOwnerDrawFixed) return Natural;
        return QSize(Natural.width(), FCombo->ItemHeight());
    }

private:
    TDBComboBox* FCombo;
};

TDBComboBox::TDBComboBox(QWidget* AParent) : QComboBox(AParent), FDataLink(std::make_unique<TFieldDataLink>(this)) {
    setItemDelegate(new TItemPainter(this));
    setInsertPolicy(QComboBox::NoInsert);
    SetDropDownCount(8);
    SetStyle(TComboBoxStyle::csDropDown);
    FDataLink->OnDataChange = [this] { DataChange(); };
    FDataLink->OnEditingChange = [this] { DataChange(); };
    FDataLink->OnUpdateData = [this] { Field()->SetText(currentText()); };
    connect(this, &QComboBox::activated, this, [this] { Chosen(); });
    DataChange();
}

TDBComboBox::~TDBComboBox() { FDataLink.reset(); }

void TDBComboBox::SetStyle(TComboBoxStyle Value) {
    FStyle = Value;
    setEditable(Value == TComboBoxStyle::csDropDown);
    if (lineEdit()) {
        lineEdit()->installEventFilter(this);
        connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
            FDataLink->Modified();
            ShowWantsEscape(lineEdit(), *FDataLink);
        });
    }
    DataChange();
}

void TDBComboBox::SetItemHeight(int Value) {
    if (Value == FItemHeight) return;
    FItemHeight = Value;
    update();
}

QStringList TDBComboBox::Items() const {
    QStringList Result;
    for (int I = 0; I < count(); ++I) Result << itemText(I);
    return Result;
}

void TDBComboBox::SetItems(const QStringList& Value) {
    const QSignalBlocker Quiet(this);
    clear();
    addItems(Value);
    DataChange();
}

void TDBComboBox::DrawItem(int Index, const QRect& Rect, TCanvas& Canvas, bool Selected) {
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, Canvas, Selected);
        return;
    }
    Canvas.Brush().Color = SysColor(Selected ? TSysColor::clHighlight : TSysColor::clWindow);
    Canvas.FillRect(Rect);
    Canvas.Font().SetColor(SysColor(Selected ? TSysColor::clHighlightText : TSysColor::clWindowText));
    Canvas.TextOut(Rect.left() + 2, Rect.top(), itemText(Index));
}

void TDBComboBox::DataChange() {
    if (!FDataLink) return;
    if (lineEdit()) {
        lineEdit()->setMaxLength(MaxLengthOf(Field()));
        lineEdit()->setReadOnly(!FDataLink->CanModify());
    }
    if (FDataLink->IsModified()) return;
    const QString Text = Field() ? Field()->Text() : QString();
    const QSignalBlocker Quiet(this);
    setCurrentIndex(findText(Text));
    if (isEditable()) setEditText(Text);
    if (lineEdit()) ShowWantsEscape(lineEdit(), *FDataLink);
}

void TDBComboBox::Chosen() {
    bool Editing = false;
    RunGuarded([&] { Editing = FDataLink->Edit(); });
    if (!Editing) {
        FDataLink->Reset();
        return;
    }
    FDataLink->Modified();
}

bool TDBComboBox::FilterKey(QKeyEvent* Event) {
    if (view()->isVisible()) return false;
    // Choosing from the list with the keyboard changes the value too.
    if (Event->key() == Qt::Key_Up || Event->key() == Qt::Key_Down) {
        bool Editing = false;
        RunGuarded([&] { Editing = FDataLink->Edit(); });
        if (!Editing) return true;
        FDataLink->Modified();
        return false;
    }
    return FDataLink->ConsumesKey(Event);
}

bool TDBComboBox::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == lineEdit() && Event->type() == QEvent::KeyPress && FilterKey(static_cast<QKeyEvent*>(Event)))
        return true;
    return QComboBox::eventFilter(Watched, Event);
}

void TDBComboBox::keyPressEvent(QKeyEvent* Event) {
    if (FilterKey(Event)) {
        Event->accept();
        return;
    }
    QComboBox::keyPressEvent(Event);
}

void TDBComboBox::focusOutEvent(QFocusEvent* Event) {
    QComboBox::focusOutEvent(Event);
    // The drop-down list takes the focus for a moment: that is no leaving.
    if (view()->isVisible()) return;
    FDataLink->UpdateOnExit();
}

// ---------------------------------------------------------------- text and image

TDBText::TDBText(QWidget* AParent) : QLabel(AParent), FDataLink(std::make_unique<TFieldDataLink>(this)) {
    FDataLink->OnDataChange = [this] { setText(Field() ? Field()->DisplayText() : QString()); };
    setTextFormat(Qt::PlainText);
}

TDBText::~TDBText() { FDataLink.reset(); }

TDBImage::TDBImage(QWidget* AParent) : QLabel(AParent), FDataLink(std::make_unique<TFieldDataLink>(this)) {
    FDataLink->OnDataChange = [this] { DataChange(); };
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
}

TDBImage::~TDBImage() { FDataLink.reset(); }

void TDBImage::DataChange() {
    FPicture = Field() && !Field()->IsNull() ? QImage::fromData(Field()->AsBytes()) : QImage();
    setPixmap(QPixmap::fromImage(FPicture));
}

bool TDBImage::PasteFromClipboard() {
    const QImage Pasted = QGuiApplication::clipboard()->image();
    return !Pasted.isNull() && LoadPicture(Pasted);
}

void TDBImage::keyPressEvent(QKeyEvent* Event) {
    if (Event->matches(QKeySequence::Paste)) {
        PasteFromClipboard();
        Event->accept();
        return;
    }
    QLabel::keyPressEvent(Event);
}

bool TDBImage::LoadPicture(const QImage& Value) {
    if (!FDataLink->Edit()) return false;
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    Value.save(&Buffer, "PNG");
    Field()->SetValue(Data);
    return true;
}

}  // namespace platform::ui
