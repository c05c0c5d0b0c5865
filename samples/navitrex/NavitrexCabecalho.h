#pragma once
// The header of the current bill of lading: its shipper, consignee, vessel and
// ports, and its freight terms in a drop-down list (Prepaid or Collect). Each
// is a reference of the bills division to a lookup (the key column searches
// the lookup's module, offering only the rows of the reference's role; the
// name column is looked up through it) shown by name in an edit under a data
// label. In such an edit the Down key or a typed letter opens the lookup's
// search combo; choosing a row there (typing part of a name and Enter) fills
// the key and the name.
#include <QString>
#include <QWidget>

class QLineEdit;

namespace databound {
class TVexDBComboBox;
}

namespace navitrex {

class TFrameDivisao;

class TCabecalhoConhecimento : public QWidget {
    Q_OBJECT
public:
    // Configures the references on the bills division (before it is loaded) and lays out their labels and edits.
    TCabecalhoConhecimento(TFrameDivisao& Conhecimentos, QWidget* Parent = nullptr);

    // The edit showing the reference whose name column is Nome ("edtEmbarcador"); nullptr when none.
    QLineEdit* Edit(const QString& Nome) const;
    // The freight terms' combo, "cbxFrete".
    databound::TVexDBComboBox* Frete() const;
};

}  // namespace navitrex
