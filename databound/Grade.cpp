#include "databound/Grade.h"

#include <QPointer>
#include <QStatusBar>
#include <memory>
#include <vector>

#include "controls/VexMessage.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/Fonts.h"

namespace databound {

using platform::data::TDataSet;
using platform::data::TField;

namespace {

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 420;
constexpr int kNavigatorHeight = 25;

// Read-only fields of a dataset made writable for as long as the object lives.
class TWritableFields {
public:
    explicit TWritableFields(TDataSet* DataSet) {
        if (!DataSet) return;
        for (TField* Field : DataSet->FieldList())
            if (Field->ReadOnly()) {
                FFields.emplace_back(Field);
                Field->SetReadOnly(false);
            }
    }
    ~TWritableFields() {
        for (const QPointer<TField>& Field : FFields)
            if (Field) Field->SetReadOnly(true);
    }
    TWritableFields(const TWritableFields&) = delete;
    TWritableFields& operator=(const TWritableFields&) = delete;

private:
    std::vector<QPointer<TField>> FFields;
};

}  // namespace

TfrmGrade::TfrmGrade(TVexDBGrid& Source, QWidget* AOwner) : TCustomForm(AOwner) {
    setObjectName(QStringLiteral("frmGrade"));
    SetCaption(kGradeCaption);
    SetFont(platform::ui::TFont(platform::ui::DefaultFont()));
    SetPosition(platform::ui::TPosition::poScreenCenter);
    SetClientSize(kClientWidth, kClientHeight);

    nav = new platform::ui::TDBNavigator(this);
    nav->setObjectName(QStringLiteral("nav"));
    nav->SetAlign(platform::ui::TAlign::alTop);
    nav->resize(kClientWidth, kNavigatorHeight);
    stb = new QStatusBar(this);
    stb->setObjectName(QStringLiteral("stb"));
    stb->setSizeGripEnabled(false);
    platform::ui::SetAlign(stb, platform::ui::TAlign::alBottom);
    grd = new TVexDBGrid(this);
    grd->setObjectName(QStringLiteral("grd"));
    grd->SetAlign(platform::ui::TAlign::alClient);

    nav->SetDataSource(Source.DataSource());
    grd->SetDivisao(Source.Divisao());
    grd->SetDataSource(Source.DataSource());
    CreateColumns(Source);
}

void TfrmGrade::CreateColumns(const TVexDBGrid& Source) {
    TDataSet* Data = Source.DataSet();
    if (!Data) return;
    platform::ui::TDBGridColumns& Columns = grd->Columns();
    for (TField* Field : Data->FieldList()) {
        platform::ui::TColumn* Column = Columns.Add();
        Column->SetFieldName(Field->FieldName());
        Column->SetVisible(false);
    }
    for (int I = 0; I < Source.Columns().Count(); ++I) {
        const platform::ui::TColumn* Shown = Source.Columns()[I];
        if (!Shown->Field()) continue;
        const int Index = Columns.IndexOfField(Shown->Field()->FieldName());
        if (Index < 0) continue;
        Columns[Index]->SetVisible(true);
        Columns[Index]->SetWidth(Shown->Width());
    }
}

int TfrmGrade::Execute() {
    const TWritableFields Writable(grd->DataSet());
    return ShowModal();
}

int ShowFullGrid(TVexDBGrid& Grid) {
    const std::unique_ptr<TfrmGrade, controls::TFormReleaser> Form(new TfrmGrade(Grid));
    return Form->Execute();
}

}  // namespace databound
