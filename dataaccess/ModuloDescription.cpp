#include "dataaccess/ModuloDescription.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include "platform/os/Exceptions.h"

namespace dataaccess {

namespace {

using platform::os::EStreamError;
using platform::ui::TImageList;

const QStringList kTiposRequisito = {"trCampos", "trCriaTabela"};
const QStringList kTiposJanela = {"tjNormal", "tjMenu", "tjDados", "tjConsulta", "tjAssistente",
                                  "tjConsultaDinamica"};
const QStringList kAcessos = {"arInserir", "arEditar", "arExcluir"};
const QStringList kAtalhoOptions = {"aoCadastros",      "aoMovimentacoes",      "aoFerramentas", "aoDesktop", "aoQuick",
                                    "aoPainelControle", "aoConsultasDinamicas", "aoRecent"};
const QString kBadValue = QStringLiteral("Invalid property value '%1' for %2");

[[noreturn]] void BadValue(const QJsonValue& Value, const QString& Property) {
    const QString Text = Value.isString()
                             ? Value.toString()
                             : QString::fromUtf8(QJsonDocument(QJsonArray{Value}).toJson(QJsonDocument::Compact));
    throw EStreamError(kBadValue.arg(Text, Property).toStdString());
}

// Writing: only what differs from the default.
class TWriter {
public:
    QJsonObject Json;

    void Text(const char* Name, const QString& Value, const QString& Default = QString()) {
        if (Value != Default) Json[Name] = Value;
    }
    void Int(const char* Name, int Value, int Default) {
        if (Value != Default) Json[Name] = Value;
    }
    void Bool(const char* Name, bool Value, bool Default) {
        if (Value != Default) Json[Name] = Value;
    }
    void Lines(const char* Name, const QStringList& Value) {
        if (!Value.isEmpty()) Json[Name] = QJsonArray::fromStringList(Value);
    }
    void Enum(const char* Name, int Value, int Default, const QStringList& Names) {
        if (Value != Default) Json[Name] = Names.at(Value);
    }
    void Set(const char* Name, unsigned Value, unsigned Default, const QStringList& Names) {
        if (Value == Default) return;
        QJsonArray Members;
        for (int I = 0; I < Names.size(); ++I)
            if (Value & (1u << I)) Members.append(Names[I]);
        Json[Name] = Members;
    }
    void Image(const char* Name, const TImageList* Value) {
        if (Value) Json[Name] = Value->objectName();
    }
};

// Reading: every property absent from the description takes its default.
class TReader {
public:
    TReader(const QJsonObject& Json, const QString& Where) : FJson(Json), FWhere(Where) {}

    QString Text(const char* Name, const QString& Default = QString()) const {
        const QJsonValue V = FJson.value(Name);
        if (V.isUndefined()) return Default;
        if (!V.isString()) BadValue(V, Property(Name));
        return V.toString();
    }
    int Int(const char* Name, int Default) const {
        const QJsonValue V = FJson.value(Name);
        if (V.isUndefined()) return Default;
        if (!V.isDouble() || V.toDouble() != V.toInt()) BadValue(V, Property(Name));
        return V.toInt();
    }
    bool Bool(const char* Name, bool Default) const {
        const QJsonValue V = FJson.value(Name);
        if (V.isUndefined()) return Default;
        if (!V.isBool()) BadValue(V, Property(Name));
        return V.toBool();
    }
    QStringList Lines(const char* Name) const {
        QStringList Result;
        for (const QJsonValue& Line : Array(Name)) {
            if (!Line.isString()) BadValue(Line, Property(Name));
            Result.append(Line.toString());
        }
        return Result;
    }
    int Enum(const char* Name, int Default, const QStringList& Names) const {
        const QJsonValue V = FJson.value(Name);
        if (V.isUndefined()) return Default;
        return NameIndex(V, Name, Names);
    }
    unsigned Set(const char* Name, unsigned Default, const QStringList& Names) const {
        if (FJson.value(Name).isUndefined()) return Default;
        unsigned Value = 0;
        for (const QJsonValue& Member : Array(Name)) Value |= 1u << NameIndex(Member, Name, Names);
        return Value;
    }
    QJsonArray Array(const char* Name) const {
        const QJsonValue V = FJson.value(Name);
        if (V.isUndefined()) return QJsonArray();
        if (!V.isArray()) BadValue(V, Property(Name));
        return V.toArray();
    }
    QJsonObject Object(const char* Name) const {
        const QJsonValue V = FJson.value(Name);
        if (V.isUndefined()) return QJsonObject();
        if (!V.isObject()) BadValue(V, Property(Name));
        return V.toObject();
    }
    // The items of a collection, each an object.
    std::vector<TReader> Items(const char* Name) const {
        std::vector<TReader> Result;
        const QJsonArray List = Array(Name);
        for (int I = 0; I < List.size(); ++I) {
            if (!List[I].isObject()) BadValue(List[I], Property(Name));
            Result.emplace_back(List[I].toObject(), QStringLiteral("%1[%2]").arg(Property(Name)).arg(I));
        }
        return Result;
    }
    TReader Nested(const char* Name) const { return TReader(Object(Name), Property(Name)); }

private:
    QString Property(const char* Name) const {
        return FWhere.isEmpty() ? QString::fromLatin1(Name) : FWhere + '.' + QString::fromLatin1(Name);
    }
    int NameIndex(const QJsonValue& V, const char* Name, const QStringList& Names) const {
        const int Index = V.isString() ? static_cast<int>(Names.indexOf(V.toString())) : -1;
        if (Index < 0) BadValue(V, Property(Name));
        return Index;
    }

    QJsonObject FJson;
    QString FWhere;
};

QJsonObject CampoToJson(const TRequisitoCampo& Campo) {
    TWriter W;
    W.Text("Nome", Campo.Nome);
    W.Int("Tamanho", Campo.Tamanho, 0);
    W.Text("Tipo", Campo.Tipo);
    return W.Json;
}

QJsonObject RequisitoToJson(const TRequisitoModulo& Requisito) {
    TWriter W;
    W.Text("Tabela", Requisito.Tabela);
    W.Lines("CreateSql", Requisito.CreateSql);
    QJsonArray Campos;
    for (int I = 0; I < Requisito.Campos().Count(); ++I) Campos.append(CampoToJson(*Requisito.Campos().Items(I)));
    if (!Campos.isEmpty()) W.Json["Campos"] = Campos;
    W.Enum("Tipo", Requisito.Tipo, trCampos, kTiposRequisito);
    return W.Json;
}

QJsonObject AtalhoToJson(const TRelacaoAtalho& Atalho) {
    const TRelacaoAtalho Default;
    TWriter W;
    W.Text("MenuPath", Atalho.MenuPath);
    W.Set("Options", Atalho.Options, Default.Options, kAtalhoOptions);
    W.Bool("Enabled", Atalho.Enabled, Default.Enabled);
    W.Text("Hint", Atalho.Hint);
    W.Int("GroupIndex", Atalho.GroupIndex, Default.GroupIndex);
    W.Bool("ExibirRecentes", Atalho.ExibirRecentes, Default.ExibirRecentes);
    return W.Json;
}

QJsonObject RelacaoToJson(const TRelacaoModulo& Relacao) {
    TWriter W;
    W.Text("Nome", Relacao.Nome);
    W.Lines("Divisoes", Relacao.Divisoes);
    W.Lines("Disposicao", Relacao.Disposicao);
    W.Enum("TipoJanela", Relacao.TipoJanela, tjDados, kTiposJanela);
    W.Text("Caption", Relacao.Caption);
    W.Int("ImageIndex", Relacao.ImageIndex, -1);
    if (const QJsonObject Atalho = AtalhoToJson(Relacao.Atalho); !Atalho.isEmpty()) W.Json["Atalho"] = Atalho;
    W.Bool("ReadOnly", Relacao.ReadOnly, false);
    W.Set("Acessos", Relacao.Acessos, kTodosAcessos, kAcessos);
    W.Lines("Permissoes", Relacao.Permissoes);
    return W.Json;
}

QJsonObject AcaoToJson(const TAcaoModulo& Acao) {
    TWriter W;
    W.Text("Caption", Acao.Caption);
    W.Text("Category", Acao.Category);
    W.Int("ImageIndex", Acao.ImageIndex, -1);
    W.Lines("Tabelas", Acao.Tabelas);
    W.Lines("Divisoes", Acao.Divisoes);
    W.Lines("Relacoes", Acao.Relacoes);
    return W.Json;
}

// Data has no fixed default, so it is always written.
QJsonObject HistoricoToJson(const THistoricoItem& Item) {
    TWriter W;
    W.Text("Versao", Item.Versao, QStringLiteral("0.0.0.0"));
    W.Json["Data"] = Item.Data.toString(Qt::ISODateWithMs);
    W.Lines("Detalhes", Item.Detalhes);
    return W.Json;
}

template <class TItem>
QJsonArray ListToJson(const TOwnedList<TItem>& List, QJsonObject (*ToJson)(const TItem&)) {
    QJsonArray Result;
    for (int I = 0; I < List.Count(); ++I) Result.append(ToJson(*List.Items(I)));
    return Result;
}

void ReadRequisito(TRequisitoModulo& Requisito, const TReader& R) {
    Requisito.Tabela = R.Text("Tabela");
    Requisito.CreateSql = R.Lines("CreateSql");
    for (const TReader& C : R.Items("Campos")) {
        TRequisitoCampo* Campo = Requisito.Campos().Add();
        Campo->Nome = C.Text("Nome");
        Campo->Tamanho = C.Int("Tamanho", 0);
        Campo->Tipo = C.Text("Tipo");
    }
    Requisito.Tipo = static_cast<TTipoRequisito>(R.Enum("Tipo", trCampos, kTiposRequisito));
}

void ReadRelacao(TRelacaoModulo& Relacao, const TReader& R) {
    Relacao.Nome = R.Text("Nome");
    Relacao.Divisoes = R.Lines("Divisoes");
    Relacao.Disposicao = R.Lines("Disposicao");
    Relacao.TipoJanela = static_cast<TTipoJanela>(R.Enum("TipoJanela", tjDados, kTiposJanela));
    Relacao.Caption = R.Text("Caption");
    Relacao.ImageIndex = R.Int("ImageIndex", -1);
    const TReader A = R.Nested("Atalho");
    const TRelacaoAtalho Default;
    Relacao.Atalho.MenuPath = A.Text("MenuPath");
    Relacao.Atalho.Options = A.Set("Options", Default.Options, kAtalhoOptions);
    Relacao.Atalho.Enabled = A.Bool("Enabled", Default.Enabled);
    Relacao.Atalho.Hint = A.Text("Hint");
    Relacao.Atalho.GroupIndex = A.Int("GroupIndex", Default.GroupIndex);
    Relacao.Atalho.ExibirRecentes = A.Bool("ExibirRecentes", Default.ExibirRecentes);
    Relacao.ReadOnly = R.Bool("ReadOnly", false);
    Relacao.Acessos = R.Set("Acessos", kTodosAcessos, kAcessos);
    Relacao.Permissoes = R.Lines("Permissoes");
}

void ReadAcao(TAcaoModulo& Acao, const TReader& R) {
    Acao.Caption = R.Text("Caption");
    Acao.Category = R.Text("Category");
    Acao.ImageIndex = R.Int("ImageIndex", -1);
    Acao.Tabelas = R.Lines("Tabelas");
    Acao.Divisoes = R.Lines("Divisoes");
    Acao.Relacoes = R.Lines("Relacoes");
}

void ReadHistorico(THistoricoItem& Item, const TReader& R) {
    Item.Versao = R.Text("Versao", QStringLiteral("0.0.0.0"));
    const QString Data = R.Text("Data");
    if (!Data.isEmpty()) Item.Data = QDateTime::fromString(Data, Qt::ISODateWithMs);
    if (!Item.Data.isValid()) BadValue(Data, QStringLiteral("%1.Data").arg(Item.Versao));
    Item.Detalhes = R.Lines("Detalhes");
}

template <class TItem>
void ReadList(TOwnedList<TItem>& List, const TReader& R, const char* Name, void (*Read)(TItem&, const TReader&)) {
    for (const TReader& Item : R.Items(Name)) Read(*List.Add(), Item);
}

QPointer<TImageList> ImageNamed(const TVexModulo& Modulo, const TReader& R, const char* Name) {
    const QString ListName = R.Text(Name);
    if (ListName.isEmpty()) return nullptr;
    QObject* Owner = Modulo.parent();
    TImageList* List = Owner ? Owner->findChild<TImageList*>(ListName) : nullptr;
    if (!List) BadValue(ListName, QStringLiteral("Images.%1").arg(Name));
    return List;
}

}  // namespace

QJsonObject ModuloToJson(const TVexModulo& Modulo) {
    QJsonObject Json;
    if (Modulo.Requisitos().Count() > 0) Json["Requisitos"] = ListToJson(Modulo.Requisitos(), RequisitoToJson);
    Json["Relacoes"] = ListToJson(Modulo.Relacoes(), RelacaoToJson);
    TWriter Images;
    Images.Image("Small", Modulo.Images().Small);
    Images.Image("Medium", Modulo.Images().Medium);
    Images.Image("Large", Modulo.Images().Large);
    Images.Image("ExtraLarge", Modulo.Images().ExtraLarge);
    Images.Image("Actions", Modulo.Images().Actions);
    if (!Images.Json.isEmpty()) Json["Images"] = Images.Json;
    Json["Historico"] = ListToJson(Modulo.Historico(), HistoricoToJson);
    Json["Acoes"] = ListToJson(Modulo.Acoes(), AcaoToJson);
    return Json;
}

void ModuloFromJson(TVexModulo& Modulo, const QJsonObject& Json) {
    // Read into a scratch descriptor first, so that a bad description changes nothing.
    TVexModulo Read;
    const TReader R(Json, QString());
    ReadList(Read.Requisitos(), R, "Requisitos", ReadRequisito);
    ReadList(Read.Relacoes(), R, "Relacoes", ReadRelacao);
    const TReader Images = R.Nested("Images");
    TModuloImages& I = Read.Images();
    I.Small = ImageNamed(Modulo, Images, "Small");
    I.Medium = ImageNamed(Modulo, Images, "Medium");
    I.Large = ImageNamed(Modulo, Images, "Large");
    I.ExtraLarge = ImageNamed(Modulo, Images, "ExtraLarge");
    I.Actions = ImageNamed(Modulo, Images, "Actions");
    ReadList(Read.Historico(), R, "Historico", ReadHistorico);
    ReadList(Read.Acoes(), R, "Acoes", ReadAcao);
    Modulo.SetRequisitos(Read.Requisitos());
    Modulo.SetRelacoes(Read.Relacoes());
    Modulo.SetImages(Read.Images());
    Modulo.SetHistorico(Read.Historico());
    Modulo.SetAcoes(Read.Acoes());
}

QByteArray SaveModuloDescription(const TVexModulo& Modulo) {
    return QJsonDocument(ModuloToJson(Modulo)).toJson(QJsonDocument::Indented);
}

void LoadModuloDescription(TVexModulo& Modulo, const QByteArray& Text) {
    QJsonParseError Error;
    const QJsonDocument Document = QJsonDocument::fromJson(Text, &Error);
    if (Document.isNull()) throw EStreamError(Error.errorString().toStdString());
    if (!Document.isObject()) throw EStreamError("A module description is a JSON object");
    ModuloFromJson(Modulo, Document.object());
}

}  // namespace dataaccess
