#pragma once
// A drop-down that stores a key and shows a text from another dataset: the
// list source's rows offer ListField, and choosing one writes its KeyField
// value to the data field (auto-edit first). The list is read through the
// list dataset's shown rows, so its cursor never moves.
#include <QComboBox>
#include <memory>

#include "platform/data/DB.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DBCtrls.h"

namespace platform::ui {

class TDBLookupComboBox : public QComboBox,
                          public TControlMembers<TDBLookupComboBox>,
                          public TDataControlMembers<TDBLookupComboBox> {
    Q_OBJECT
public:
    explicit TDBLookupComboBox(QWidget* AParent = nullptr);
    ~TDBLookupComboBox() override;

    platform::data::TDataSource* ListSource() const;
    void SetListSource(platform::data::TDataSource* Value);
    QString KeyField() const { return FKeyField; }
    void SetKeyField(const QString& Value);
    QString ListField() const { return FListField; }
    void SetListField(const QString& Value);
    // The key of the shown item; Null when none is shown.
    QVariant KeyValue() const;
    // The list text shown for the field's key.
    QString Text() const { return currentText(); }

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    friend class TDataControlMembers<TDBLookupComboBox>;
    class TListLink;
    void ReadList();
    void DataChange();
    void Chosen(int Index);

    std::unique_ptr<TFieldDataLink> FDataLink;
    std::unique_ptr<TListLink> FListLink;
    QString FKeyField;
    QString FListField;
};

}  // namespace platform::ui
