#pragma once
// Named parameter conditions of a division: each item compares a field's
// column with a parameter ("<division>_<Nome>") whose value the application
// sets at run time. Items without a field, a name or a sign are ignored.
// Every change tells the owning division.
#include <QPointer>
#include <QString>
#include <QVariant>

#include "databound/ConditionOwner.h"
#include "databound/FiltroDivisao.h"
#include "platform/data/Field.h"
#include "platform/ui/Classes.h"

namespace databound {

class TDataSetParametros;

class TDataSetParametro : public platform::ui::TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;

    platform::data::TField* Field() const { return FField; }
    void SetField(platform::data::TField* Value);
    QString Nome() const { return FNome; }
    void SetNome(const QString& Value);
    QString Sinal() const { return FSinal; }
    void SetSinal(const QString& Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    TTipoLogica Logica() const { return FLogica; }
    void SetLogica(TTipoLogica Value);
    QVariant Valor() const { return FValor; }
    void SetValor(const QVariant& Value);

    // A field, a non-blank name and a non-blank sign.
    bool Valid() const;
    // "<division>_<Nome>".
    QString ParamName() const;
    // "<group> (<field> <sign> :<Nome>)", and the joining word but for the last item; empty when not valid.
    QString DisplayName() const;

private:
    TDataSetParametros& Parametros() const;

    QPointer<platform::data::TField> FField;  // cleared when the field goes away
    QString FNome;
    QString FSinal = "=";
    int FGroupIndex = 0;
    TTipoLogica FLogica = tlAnd;
    QVariant FValor;
};

class TDataSetParametros : public platform::ui::TOwnedCollection<TDataSetParametro> {
public:
    explicit TDataSetParametros(TConditionOwner* Owner);
    TConditionOwner* Owner() const { return FOwner; }
    // Groups in ascending GroupIndex joined by "and", each begun by a blank; empty without a valid item.
    QString BuildCondition() const;
    // The first item whose parameter name (Prefixed) or Nome equals Name ignoring case; nullptr when none.
    TDataSetParametro* FindByParamName(const QString& Name, bool Prefixed) const;

private:
    TConditionOwner* FOwner;
};

}  // namespace databound
