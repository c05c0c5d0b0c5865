#pragma once
// Data-aware controls bound to one field through a TFieldDataLink: edit,
// memo, check box, combo box, text label and image. Edits follow the field:
// read-only when it cannot change, its size as the maximum length, its
// display text while the control has no focus and its edit text while it has.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>
#include <memory>

#include "platform/data/DB.h"
#include "platform/ui/Controls.h"
#include "platform/ui/FieldDataLink.h"

namespace platform::ui {

// The binding every data-aware control has.
template <class Self>
class TDataControlMembers {
public:
    platform::data::TDataSource* DataSource() const { return Link().DataSource(); }
    void SetDataSource(platform::data::TDataSource* Value) { Link().SetDataSource(Value); }
    QString DataField() const { return Link().FieldName(); }
    void SetDataField(const QString& Value) { Link().SetFieldName(Value); }
    platform::data::TField* Field() const { return Link().Field(); }
    bool ReadOnly() const { return Link().ReadOnly(); }
    void SetReadOnly(bool Value) {
        Link().SetReadOnly(Value);
        Link().Reset();
    }

protected:
    ~TDataControlMembers() = default;

private:
    TFieldDataLink& Link() const { return *static_cast<const Self*>(this)->FDataLink; }
};

class TDBEdit : public QLineEdit, public TControlMembers<TDBEdit>, public TDataControlMembers<TDBEdit> {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget* AParent = nullptr);
    ~TDBEdit() override;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    friend class TDataControlMembers<TDBEdit>;
    void DataChange();
    std::unique_ptr<TFieldDataLink> FDataLink;
};

class TDBMemo : public QPlainTextEdit, public TControlMembers<TDBMemo>, public TDataControlMembers<TDBMemo> {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* AParent = nullptr);
    ~TDBMemo() override;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    friend class TDataControlMembers<TDBMemo>;
    void DataChange();
    // The text as the field keeps it.
    QString Lines() const;
    // A string field's size limits the text, as an edit's maximum length does.
    void LimitLength();
    std::unique_ptr<TFieldDataLink> FDataLink;
};

// Checked when the field's text is one of ValueChecked ("True" by default,
// several separated by ";"); writes the first of ValueChecked or
// ValueUnchecked. A Boolean field is read and written as such.
class TDBCheckBox : public QCheckBox, public TControlMembers<TDBCheckBox>, public TDataControlMembers<TDBCheckBox> {
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget* AParent = nullptr);
    ~TDBCheckBox() override;

    QString ValueChecked() const { return FValueChecked; }
    void SetValueChecked(const QString& Value);
    QString ValueUnchecked() const { return FValueUnchecked; }
    void SetValueUnchecked(const QString& Value);

protected:
    void nextCheckState() override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    friend class TDataControlMembers<TDBCheckBox>;
    void DataChange();
    void UpdateData();
    std::unique_ptr<TFieldDataLink> FDataLink;
    QString FValueChecked = QStringLiteral("True");
    QString FValueUnchecked = QStringLiteral("False");
};

// csOwnerDrawFixed: a drop-down list whose items the control draws (DrawItem).
enum class TComboBoxStyle { csDropDown, csDropDownList, csOwnerDrawFixed };

// The field stores the text the combo box shows. OnDrawItem draws the items
// of the list instead of the default drawing.
class TDBComboBox : public QComboBox, public TControlMembers<TDBComboBox>, public TDataControlMembers<TDBComboBox> {
    Q_OBJECT
public:
    explicit TDBComboBox(QWidget* AParent = nullptr);
    ~TDBComboBox() override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    QStringList Items() const;
    void SetItems(const QStringList& Value);
    // Lines the list shows before it scrolls.
    int DropDownCount() const { return maxVisibleItems(); }
    void SetDropDownCount(int Value) { setMaxVisibleItems(Value); }
    // The height of each line of an owner-drawn list.
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);

    std::function<void(TDBComboBox* Sender, int Index, const QRect& Rect, TCanvas& Canvas, bool Selected)> OnDrawItem;

protected:
    TFieldDataLink& DataLink() const { return *FDataLink; }
    // Draws item Index of the list; the default calls OnDrawItem, or fills and writes the item's text.
    virtual void DrawItem(int Index, const QRect& Rect, TCanvas& Canvas, bool Selected);
    // After the user chose an item: the dataset goes into edit, or the choice is taken back.
    virtual void Chosen();

    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    friend class TDataControlMembers<TDBComboBox>;
    class TItemPainter;
    void DataChange();
    bool FilterKey(QKeyEvent* Event);
    std::unique_ptr<TFieldDataLink> FDataLink;
    TComboBoxStyle FStyle = TComboBoxStyle::csDropDown;
    int FItemHeight = 16;
};

// The field's display text, read only.
class TDBText : public QLabel, public TControlMembers<TDBText>, public TDataControlMembers<TDBText> {
    Q_OBJECT
public:
    explicit TDBText(QWidget* AParent = nullptr);
    ~TDBText() override;

private:
    friend class TDataControlMembers<TDBText>;
    std::unique_ptr<TFieldDataLink> FDataLink;
};

// The picture held in a blob field (BMP, PNG, JPEG); Stretch scales it to the control.
class TDBImage : public QLabel, public TControlMembers<TDBImage>, public TDataControlMembers<TDBImage> {
    Q_OBJECT
public:
    explicit TDBImage(QWidget* AParent = nullptr);
    ~TDBImage() override;

    bool Stretch() const { return hasScaledContents(); }
    void SetStretch(bool Value) { setScaledContents(Value); }
    // The picture shown; null when the field is empty or holds no picture.
    QImage Picture() const { return FPicture; }
    // Stores Value in the field as PNG (auto-edit first); false when the field cannot change.
    bool LoadPicture(const QImage& Value);
    // Ctrl+V: the clipboard's picture into the field; false when it holds none or the field cannot change.
    bool PasteFromClipboard();

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    friend class TDataControlMembers<TDBImage>;
    void DataChange();
    std::unique_ptr<TFieldDataLink> FDataLink;
    QImage FPicture;
};

}  // namespace platform::ui
