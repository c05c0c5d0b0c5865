#pragma once
// A data-aware drop-down list that stores one text and shows another: Items
// holds what goes into the field, ItemsEx what the user reads ("2" stored,
// "Mensal" shown). The control draws its items, widens its list to the
// longest text, clears its field on Delete when the field may be edited, and
// with ImmediatePost writes a chosen item into the field at once.
#include <QStringList>

#include "databound/BevelKind.h"
#include "platform/ui/DBCtrls.h"

namespace databound {

class TVexDBComboBox : public platform::ui::TDBComboBox {
    Q_OBJECT
public:
    explicit TVexDBComboBox(QWidget* AOwner = nullptr);
    ~TVexDBComboBox() override;

    // Display texts by the index of Items; assigning copies the lines.
    const QStringList& ItemsEx() const { return FItemsEx; }
    void SetItemsEx(const QStringList& Value);
    TBevelKind BevelKind() const { return GetBevelKind(this); }
    void SetBevelKind(TBevelKind Value);
    bool DrawEx() const { return FDrawEx; }
    void SetDrawEx(bool Value);
    bool ImmediatePost() const { return FImmediatePost; }
    void SetImmediatePost(bool Value) { FImmediatePost = Value; }

    // Items[Index] alone, the ItemsEx line alone, or with DrawEx both joined by " - ".
    QString DisplayText(int Index) const;
    // The width the list takes when it drops down; the combo's own width until it was widened.
    int DroppedWidth() const { return FDroppedWidth; }

    void showPopup() override;

protected:
    void DrawItem(int Index, const QRect& Rect, platform::ui::TCanvas& Canvas, bool Selected) override;
    void Chosen() override;

    void paintEvent(QPaintEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    // The combo's width, or more when a display text needs it (with the scroll bar when the list scrolls).
    int ContentWidth() const;

    QStringList FItemsEx;
    bool FDrawEx = false;
    bool FImmediatePost = false;
    int FDroppedWidth = 0;
};

}  // namespace databound
