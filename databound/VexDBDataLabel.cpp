#include "databound/VexDBDataLabel.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "dataaccess/VexFieldValue.h"
#include "dataaccess/VexUtils.h"
#include "databound/BevelKind.h"
#include "databound/CamposDivisao.h"
#include "databound/CustomCombo.h"
#include "databound/VexDBCombo.h"
#include "databound/VexDivisao.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/ui/DBCtrls.h"

namespace databound {

using controls::TLabelButton;
using controls::TTipoBotao;
using platform::data::TField;

namespace {

const QString kClearHint = QStringLiteral("Apagar");
const QString kSearchHint = QStringLiteral("Pesquisar...");

bool IsDateTimeField(const TField& Field) {
    const auto Type = Field.DataType();
    return Type == platform::data::ftDate || Type == platform::data::ftTime || Type == platform::data::ftDateTime;
}

// The kind prefix of the names the label gives its control.
QString ClassPrefix(const QWidget* Control) {
    if (qobject_cast<const QPlainTextEdit*>(Control) || qobject_cast<const QTextEdit*>(Control)) return "mmo";
    if (qobject_cast<const QLineEdit*>(Control)) return "edt";
    if (qobject_cast<const QComboBox*>(Control)) return "cbx";
    if (qobject_cast<const QListView*>(Control)) return "lbx";
    return {};
}

bool HasOwnBorder(const QWidget* Control) {
    return qobject_cast<const QPlainTextEdit*>(Control) || qobject_cast<const QTextEdit*>(Control) ||
           qobject_cast<const QLineEdit*>(Control) || qobject_cast<const QListView*>(Control);
}

// A component of Control's window other than Except already carries Name (names ignore case).
bool NameTaken(const QWidget* Control, const QString& Name, const QObject* ExceptA, const QObject* ExceptB) {
    const QWidget* Window = Control->window();
    for (const QObject* Other : Window->findChildren<QObject*>())
        if (Other != ExceptA && Other != ExceptB && Other->objectName().compare(Name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

template <class TDataControl>
void BindDataControl(TDataControl& Control, platform::data::TDataSource* Source, const TField* Field) {
    if (!Control.DataSource()) Control.SetDataSource(Source);
    if (Field && Control.DataField().trimmed().isEmpty()) Control.SetDataField(Field->FieldName());
}

}  // namespace

TVexDBLabel::TVexDBLabel(QWidget* AOwner)
    : TCustomVexLabel(AOwner), FNotifier([this](QObject*) { Freed(); }) {}

TVexDBLabel::~TVexDBLabel() {
    if (FDivisao) FDivisao->UnregisterLabel(this);
}

void TVexDBLabel::Watch(QObject* Old, QObject* New) {
    if (Old) FNotifier.Remove(Old);
    if (New) FNotifier.Add(New);
}

void TVexDBLabel::Freed() {
    // The guarded pointer is already clear (a dead division keeps no list to leave); bind to what is left.
    Rebind();
}

void TVexDBLabel::SetAutoButtonSearch(bool Value) {
    if (Value == FAutoButtonSearch) return;
    FAutoButtonSearch = Value;
    Rebind();
}

void TVexDBLabel::SetAutoButtonClear(bool Value) {
    if (Value == FAutoButtonClear) return;
    FAutoButtonClear = Value;
    Rebind();
}

void TVexDBLabel::SetField(TField* Value) {
    if (Value == FField) return;
    Watch(FField, Value);
    FField = Value;
    Rebind();
}

void TVexDBLabel::SetDataSource(platform::data::TDataSource* Value) {
    if (Value == FDataSource) return;
    Watch(FDataSource, Value);
    FDataSource = Value;
    Rebind();
}

void TVexDBLabel::SetDivisao(TVexDBDivisao* Value) {
    if (Value == FDivisao) return;
    if (FDivisao) FDivisao->UnregisterLabel(this);
    Watch(FDivisao, Value);
    FDivisao = Value;
    if (FDivisao) FDivisao->RegisterLabel(this);
    Rebind();
}

QString TVexDBLabel::GetCaption() const {
    if (!Caption().trimmed().isEmpty()) return Caption();
    if (!FField) return TCustomVexLabel::GetCaption();
    QString Result = FField->DisplayLabel();
    // The handler may act on the label; asking for the caption does not change it.
    if (OnGetCaption) OnGetCaption(const_cast<TVexDBLabel*>(this), Result);
    return Result;
}

void TVexDBLabel::Rebind() {
    QWidget* Target = Control();
    if (!Target) return;
    BindControl(Target);
    if (FDivisao && FField) {
        if (NameAfterField(Target)) {
            SetBevelKind(Target, bkFlat);
            if (HasOwnBorder(Target)) RemoveBorder(Target);
        }
        KeepAutoButton(controls::tbClear, FAutoButtonClear && (IsReference() || IsDateTimeField(*FField)));
        KeepAutoButton(controls::tbSearch, FAutoButtonSearch && IsReference());
    }
    Invalidate();
}

void TVexDBLabel::BindControl(QWidget* Target) {
    if (auto* Edit = qobject_cast<platform::ui::TDBEdit*>(Target)) {
        BindDataControl(*Edit, FDataSource, FField);
    } else if (auto* Memo = qobject_cast<platform::ui::TDBMemo*>(Target)) {
        BindDataControl(*Memo, FDataSource, FField);
    } else if (auto* Combo = qobject_cast<platform::ui::TDBComboBox*>(Target)) {
        BindDataControl(*Combo, FDataSource, FField);
        FillComboItems(Combo);
    }
}

void TVexDBLabel::FillComboItems(QWidget* Target) {
    if (!FDivisao || !FField) return;
    const TConfigCampo* Item = FDivisao->Campos().Config().FindByField(FField);
    if (!Item || Item->Valor().Items.isEmpty()) return;
    static_cast<platform::ui::TDBComboBox*>(Target)->SetItems(Item->Valor().Items);
    auto* Named = qobject_cast<TVexDBComboBox*>(Target);
    if (Named && !Item->Valor().ItemsEx.isEmpty()) Named->SetItemsEx(Item->Valor().ItemsEx);
}

bool TVexDBLabel::NameAfterField(QWidget* Target) {
    const QString Prefixo = FDivisao->Campos().Prefixo();
    const QString Rest = FField->objectName().mid(Prefixo.size() + 3);
    const QString ControlName = ClassPrefix(Target) + Prefixo + Rest;
    const QString LabelName = "lbl" + Prefixo + Rest;
    if (Rest.isEmpty() || NameTaken(Target, ControlName, Target, this) || NameTaken(this, LabelName, Target, this))
        return false;
    Target->setObjectName(ControlName);
    setObjectName(LabelName);
    return true;
}

void TVexDBLabel::KeepAutoButton(TTipoBotao Tipo, bool Keep) {
    for (int I = 0; I < Buttons().Count(); ++I) {
        TLabelButton* Button = Buttons().Items(I);
        if (Button->Tipo() != Tipo || !Button->Auto()) continue;
        if (!Keep) Buttons().Delete(I);
        return;
    }
    if (!Keep) return;
    TLabelButton* Button = Buttons().Insert(0);
    Button->SetHint(Tipo == controls::tbClear ? kClearHint : kSearchHint);
    Button->SetAuto(true);
    Button->SetTipo(Tipo);
}

bool TVexDBLabel::CanEdit(bool RequireAutoEdit) const {
    platform::data::TDataSet* Data = FDataSource ? FDataSource->DataSet() : nullptr;
    if (!Data) return false;
    if (!RequireAutoEdit || FDataSource->AutoEdit()) return true;
    const auto State = Data->State();
    return State == platform::data::dsEdit || State == platform::data::dsInsert || State == platform::data::dsSetKey;
}

bool TVexDBLabel::IsReference() const {
    return FDivisao && FDivisao->Campos().Config().SearchesByItself(FField);
}

TField* TVexDBLabel::FieldToClear() const {
    if (!FDivisao || !FField) return FField;
    const TConfigCampos& Config = FDivisao->Campos().Config();
    const TConfigCampo* Item = Config.FindByField(FField);
    if (!Item || !Item->Is(tfJoin)) return FField;
    TField* Search = Item->JoinField().SearchField();
    return Search && Config.FindByField(Search) ? Search : FField.data();
}

bool TVexDBLabel::IsCompanionField() const {
    const TEspecializacao& Companions = FDivisao->Especializacao();
    for (int I = 0; I < Companions.Count(); ++I) {
        const auto& Mappings = Companions.Items(I)->Campos();
        for (int J = 0; J < Mappings.Count(); ++J)
            if (Mappings.Items(J)->Campo() == FField) return true;
    }
    return false;
}

void TVexDBLabel::DoButtonClick(TLabelButton* Button) {
    const QPointer<TVexDBLabel> Alive(this);
    if (FDivisao && FField && CanEdit(Button->Tipo() != controls::tbSearch) && Button->AutoClick()) {
        if (Button->Tipo() == controls::tbClear)
            dataaccess::ClearFieldValue(IsCompanionField() ? FField.data() : FieldToClear());
        else if (Button->Tipo() == controls::tbSearch)
            FDivisao->SearchByKey(*FField);
    }
    if (Alive) TCustomVexLabel::DoButtonClick(Button);
}

TLabelButton* TVexDBLabel::EnabledSearchButton() const {
    for (int I = 0; I < Buttons().Count(); ++I) {
        TLabelButton* Button = Buttons().Items(I);
        if (Button->Tipo() == controls::tbSearch && Button->Enabled()) return Button;
    }
    return nullptr;
}

bool TVexDBLabel::ControlEvent(QEvent* Event) {
    if (Event->type() != QEvent::KeyPress || !FField) return TCustomVexLabel::ControlEvent(Event);
    TLabelButton* Search = EnabledSearchButton();
    if (!Search || !CanEdit(true)) return TCustomVexLabel::ControlEvent(Event);
    auto* Key = static_cast<QKeyEvent*>(Event);
    const bool Enter = Key->key() == Qt::Key_Return || Key->key() == Qt::Key_Enter;
    if (Enter && (Key->modifiers() & Qt::ControlModifier)) {
        DoButtonClick(Search);
        return true;
    }
    const bool Typed = !Key->text().isEmpty() && IsSearchChar(Key->text().front()) && FField->ReadOnly();
    if ((Key->key() == Qt::Key_Down || Typed) && OpenSearch(Key)) return true;
    return TCustomVexLabel::ControlEvent(Event);
}

bool TVexDBLabel::OpenSearch(QKeyEvent* Key) {
    if (!FDivisao || !ShowSearchCombo(*FDivisao, *Control(), *FField, FAutoTab, Key->modifiers())) return false;
    ForwardToSearchEdit(*Key);
    return true;
}

void TVexDBLabel::LinkFromOwner() {
    QObject* Owner = parent();
    if (!Owner) return;
    const QList<QObject*> Components = Owner->findChildren<QObject*>();
    for (QObject* Component : Components) {
        if (!FDivisao)
            if (auto* Division = qobject_cast<TVexDBDivisao*>(Component)) SetDivisao(Division);
        if (!FDataSource)
            if (auto* Source = qobject_cast<platform::data::TDataSource*>(Component)) SetDataSource(Source);
    }
    for (QObject* Component : Components) {
        if (FField) break;
        auto* Candidate = qobject_cast<TField*>(Component);
        if (!Candidate || !Candidate->objectName().startsWith('f')) continue;
        const QString Name = Candidate->FieldName();
        if (Name == "Dados_Registro" || Name == "Ativo" || dataaccess::IsIdField(Name)) continue;
        bool Shown = false;
        for (QObject* Other : Components)
            if (auto* Label = qobject_cast<TVexDBLabel*>(Other); Label && Label != this && Label->Field() == Candidate)
                Shown = true;
        if (!Shown) SetField(Candidate);
    }
}

}  // namespace databound
