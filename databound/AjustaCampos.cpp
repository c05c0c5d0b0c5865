#include "databound/AjustaCampos.h"

#include "controls/VexMessage.h"
#include "dataaccess/VexSqlText.h"
#include "dataaccess/VexUtils.h"
#include "databound/CamposDivisao.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DB.h"
#include "platform/data/Provider.h"
#include "platform/os/Files.h"
#include "platform/os/Text.h"

namespace databound {

using namespace platform::data;

namespace {

constexpr const char* kIdLabel = "ID. %1";
constexpr const char* kLogLine = "%1.%2 := %3";

void Inform(const QString& Text) {
    controls::ShowMessageDialog(Text, QString(), controls::dkInformation, controls::ButtonSet({controls::dbOK}), 0,
                                -1, platform::ui::mrOk);
}

QString Zeros(int Count) { return QString(qMax(Count, 0), '0'); }

// The adjustment of one dataset, with its log.
class TAdjustment {
public:
    TAdjustment(TVexDBDivisao& Division, const QStringList& Dictionary)
        : FDivision(Division), FCampos(Division.Campos()), FDictionary(Dictionary) {}

    void Adjust(TField& Field);
    const QStringList& Log() const { return FLog; }

private:
    void Change(const TField& Field, const char* Property, const QString& Value) {
        FLog << QString(kLogLine).arg(Field.FieldName(), Property, Value);
    }
    void Configure(TField& Field);
    TField* ProviderField(const QString& Name) const {
        TDataSet* Source = FDivision.GetProviderDataSet();
        return Source ? Source->FindField(Name) : nullptr;
    }

    TVexDBDivisao& FDivision;
    TAjustaCampos& FCampos;
    const QStringList& FDictionary;
    QStringList FLog;
};

void TAdjustment::Adjust(TField& Field) {
    const QString Name = "fld" + FCampos.Prefixo() + QString(Field.FieldName()).remove('_');
    if (Field.objectName() != Name) {
        Field.setObjectName(Name);
        Change(Field, "Name", Name);
    }
    if (Field.Alignment() != taLeftJustify) {
        Field.SetAlignment(taLeftJustify);
        Change(Field, "Alignment", "Left");
    }
    if (Field.DataType() == ftBCD || Field.DataType() == ftFMTBcd) {
        if (Field.DisplayFormat().isEmpty()) Field.SetDisplayFormat("#,0." + Zeros(Field.Size()));
        if (Field.EditFormat().isEmpty()) Field.SetEditFormat("0." + Zeros(Field.Size()));
    }
    if (Field.IsBlob() && Field.Visible()) {
        Field.SetVisible(false);
        Change(Field, "Visible", "False");
    }
    if (Field.DisplayLabel() == Field.FieldName()) {
        const QString Label = DictionaryLabel(Field.FieldName(), FDictionary);
        if (Label != Field.DisplayLabel()) {
            Field.SetDisplayLabel(Label);
            Change(Field, "DisplayLabel", Label);
        }
    }
    Configure(Field);
    if (Field.Origin().isEmpty()) {
        const QString Origin = QString("%1.%2").arg(FCampos.Prefixo(), Field.FieldName());
        Field.SetOrigin(Origin);
        Change(Field, "Origin", Origin);
    }
}

void TAdjustment::Configure(TField& Field) {
    const QString Name = Field.FieldName();
    const bool Wanted = dataaccess::IsIdField(Name) || Name.compare("Nome", Qt::CaseInsensitive) == 0 ||
                        Name.compare("Ativo", Qt::CaseInsensitive) == 0;
    if (!Wanted || FCampos.Config().FindByField(&Field)) return;
    TConfigCampo& Item = *FCampos.Config().Add();
    Item.SetField(&Field);
    if (Item.PrimaryKey()) {
        if (TField* Source = ProviderField(Name)) Source->SetProviderFlags(pfInUpdate | pfInKey);
        if (TDataSetProvider* Provider = FDivision.GetProvider()) Provider->SetUpdateMode(upWhereKeyOnly);
    }
    if (!Item.Is(tfSearch)) return;
    TField* Shown = Field.DataSet()->FindField(Item.SearchField().Divisao());
    if (!Shown || FCampos.Config().FindByField(Shown)) return;
    TConfigCampo& Join = *FCampos.Config().Add();
    Join.SetField(Shown);
    Join.JoinField().SetSearchField(&Field);
    Join.SetTipos(tfJoin);
    if (TField* Source = ProviderField(Shown->FieldName())) Source->SetProviderFlags(0);
}

}  // namespace

QString DictionaryLabel(const QString& FieldName, const QStringList& Dictionary) {
    QString Text = dataaccess::IsIdField(FieldName) ? QString(kIdLabel).arg(FieldName.mid(2)) : FieldName;
    Text = dataaccess::LowerCaseLatin1(Text).replace('_', ' ');
    for (const QString& Line : Dictionary) {
        const qsizetype Equals = Line.indexOf('=');
        if (Equals <= 0) continue;
        const QString Word = dataaccess::LowerCaseLatin1(Line.left(Equals));
        const qsizetype At = Text.indexOf(Word);
        if (At >= 0) Text.replace(At, Word.size(), Line.mid(Equals + 1));
    }
    if (!Text.isEmpty()) Text[0] = dataaccess::UpperCaseLatin1(Text.left(1))[0];
    return Text;
}

QStringList LoadDictionary() {
    QString Folder = dataaccess::GetDevResourcesPath();
    if (!Folder.endsWith('\\')) Folder += '\\';
    const QString Path = Folder + kDictionaryFile;
    const std::string WinPath = Path.toStdString();
    if (!platform::os::FileExists(WinPath))
        throw platform::os::Exception(QString(kDictionaryMissing).arg(Path).toStdString());
    const std::unique_ptr<platform::os::TFileStream> File =
        platform::os::OpenFileStream(WinPath, platform::os::fmOpenRead | platform::os::fmShareDenyWrite);
    std::string Bytes(static_cast<size_t>(File->Size()), '\0');
    if (!Bytes.empty()) File->ReadBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    QStringList Lines;
    for (const QString& Line : QString::fromStdString(platform::os::AnsiToUtf8(Bytes)).split('\n'))
        if (!Line.trimmed().isEmpty()) Lines << QString(Line).remove('\r');
    return Lines;
}

bool AdjustFields(TVexDBDivisao& Division) {
    const QStringList Dictionary = LoadDictionary();
    TDataSet* DataSet = Division.GetDataSet();
    const char* Missing = !DataSet                             ? kAdjustNoDataSet
                          : DataSet->FieldList().empty()       ? kAdjustNoFields
                          : Division.Campos().Tabela().isEmpty() ? kAdjustNoTabela
                          : Division.Campos().Prefixo().isEmpty() ? kAdjustNoPrefixo
                                                                   : nullptr;
    if (Missing) {
        Inform(Missing);
        return false;
    }
    TAdjustment Adjustment(Division, Dictionary);
    for (TField* Field : DataSet->FieldList()) Adjustment.Adjust(*Field);
    Inform(Adjustment.Log().isEmpty() ? QString(kNothingAdjusted)
                                      : QString(kAdjustedFields).arg(Adjustment.Log().join("\r\n")));
    return true;
}

}  // namespace databound
