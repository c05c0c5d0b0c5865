#include "samples/navitrex/NavitrexLists.h"

#include <QSet>

#include "installlib/VxiStream.h"
#include "platform/data/ADODB.h"
#include "platform/os/Files.h"
#include "platform/os/IniFiles.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "databound/Numeracao.h"
#include "samples/navitrex/NavitrexSchema.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

using namespace platform::data;

namespace {

// One list of the package and the lookup table it fills; Flag, when given, is the Boolean column it sets.
struct TListaDef {
    const char* Entry;
    const char* Tabela;
    const char* Chave;
    int CodigoSize;
    const char* Flag;
};
const TListaDef kListas[] = {
    {"equipment.dat", kTabelaEquipamento, "IdEquipamento", 10, nullptr},
    {"ocean_vessel.dat", kTabelaNavio, "IdNavio", 20, nullptr},
    {"port_of_loading.dat", kTabelaPorto, "IdPorto", 10, "Embarque"},
    {"port_of_discharge.dat", kTabelaPorto, "IdPorto", 10, "Descarga"},
};
constexpr int kNomeSize = 60;
const char* const kMarcaLista = "Lista_%1";
const char* const kChaveObrigatorio = "Equipment_Not_Null";
const char* const kChaveRegra = "Equipment_Rule";

QString LineProblem(const QString& Line, const QStringList& Parts, int CodigoSize, int NomeSize) {
    for (const QChar C : Line)
        if (C.unicode() < 0x20 && C != '\t') return kListaCaracterInvalido;
    if (Parts.size() > 2) return kListaSeparadores;
    if (Parts.size() == 2 && Parts[0].trimmed().isEmpty()) return kListaSemCodigo;
    if (Parts.back().trimmed().isEmpty()) return kListaSemNome;
    if (Parts.size() == 2 && Parts[0].trimmed().size() > CodigoSize) return QString(kListaCodigoLongo).arg(CodigoSize);
    if (Parts.back().trimmed().size() > NomeSize) return QString(kListaNomeLongo).arg(NomeSize);
    return QString();
}

QVariant Config(TADOConnection& Connection, const QString& Chave) {
    TParameters Params;
    Params.CreateParameter("Chave", ftString, Chave);
    return Connection.SelectRow("Select Valor From Navitrex_Configuracao Where Chave = :Chave", &Params).value(0);
}

void SetConfig(TADOConnection& Connection, const QString& Chave, const QString& Valor) {
    TParameters Params;
    Params.CreateParameter("Chave", ftString, Chave);
    Connection.Execute("Delete From Navitrex_Configuracao Where Chave = :Chave", &Params);
    Params.CreateParameter("Valor", ftString, Valor);
    Connection.Execute("Insert Into Navitrex_Configuracao (Chave, Valor) Values (:Chave, :Valor)", &Params);
}

// The row a list line stands for: by code when it has one, else by name; 0 when there is none yet.
int ExistingRow(TADOConnection& Connection, const TListaDef& Def, const TListaItem& Item) {
    TParameters Params;
    const bool ByCode = !Item.Codigo.isEmpty();
    Params.CreateParameter("Valor", ftString, ByCode ? Item.Codigo : Item.Nome);
    const QString Sql =
        QString("Select %1 From %2 Where %3 = :Valor").arg(Def.Chave, Def.Tabela, ByCode ? "Codigo" : "Nome");
    return Connection.SelectRow(Sql, &Params).value(0).toInt();
}

void ImportLista(TADOConnection& Connection, const TListaDef& Def, const std::vector<TListaItem>& Items) {
    for (const TListaItem& Item : Items) {
        const int Existing = ExistingRow(Connection, Def, Item);
        if (Existing > 0 && !Def.Flag) continue;
        TParameters Params;
        const int Id = Existing > 0 ? Existing : databound::NextIncrement(Def.Tabela, Def.Chave, false, &Connection);
        Params.CreateParameter("Id", ftInteger, Id);
        if (Def.Flag) Params.CreateParameter("Sim", ftBoolean, true);
        if (Existing > 0) {
            Connection.Execute(QString("Update %1 Set %2 = :Sim Where %3 = :Id").arg(Def.Tabela, Def.Flag, Def.Chave),
                               &Params);
            continue;
        }
        Params.CreateParameter("Codigo", ftString, Item.Codigo.isEmpty() ? Null() : QVariant(Item.Codigo));
        Params.CreateParameter("Nome", ftString, Item.Nome);
        const QString Flag = Def.Flag ? QString(", ") + Def.Flag : QString();
        Connection.Execute(QString("Insert Into %1 (%2, Codigo, Nome%3) Values (:Id, :Codigo, :Nome%4)")
                               .arg(Def.Tabela, Def.Chave, Flag, Def.Flag ? ", :Sim" : ""),
                           &Params);
    }
}

}  // namespace

TPackageEntries ReadPackageEntries(const std::string& PackageFile) {
    using namespace platform::os;
    const auto File = OpenFileStream(PackageFile, fmOpenRead | fmShareDenyWrite);
    installlib::TVxiStream Archive(*File);
    TPackageEntries Entries;
    for (int Index = 0; Index < Archive.Count(); ++Index) {
        platform::os::TMemoryStream Entry;
        Archive.ExtractFile(Index, Entry);
        const std::vector<char>& Data = Entry.Data();
        Entries[platform::os::AnsiLowerCase(Archive.GetFileName(Index))] = std::string(Data.begin(), Data.end());
    }
    return Entries;
}

TListaLida ReadLista(const std::string& Ansi, int CodigoSize, int NomeSize) {
    TListaLida Lista;
    const QStringList Lines = QString::fromStdString(platform::os::AnsiToUtf8(Ansi)).split('\n');
    QSet<QString> Seen;
    for (int Index = 0; Index < Lines.size(); ++Index) {
        QString Line = Lines[Index];
        if (Line.endsWith('\r')) Line.chop(1);
        if (Line.trimmed().isEmpty()) continue;
        const QStringList Parts = Line.split(';');
        QString Problem = LineProblem(Line, Parts, CodigoSize, NomeSize);
        const TListaItem Item{Parts.size() == 2 ? Parts[0].trimmed() : QString(), Parts.back().trimmed()};
        const QString Key = (Item.Codigo.isEmpty() ? "N:" + Item.Nome : "C:" + Item.Codigo).toUpper();
        if (Problem.isEmpty() && Seen.contains(Key)) Problem = kListaRepetida;
        if (!Problem.isEmpty()) {
            Lista.Items.clear();
            Lista.Problem = QString(kListaLinha).arg(Index + 1).arg(Problem);
            return Lista;
        }
        Seen.insert(Key);
        Lista.Items.push_back(Item);
    }
    return Lista;
}

TImportacao ImportPackageLists(TADOConnection& Connection, const TPackageEntries& Entries) {
    TImportacao Result;
    for (const TListaDef& Def : kListas) {
        const auto Entry = Entries.find(Def.Entry);
        const QString Marca = QString(kMarcaLista).arg(Def.Entry);
        if (Entry == Entries.end() || !Config(Connection, Marca).isNull()) continue;
        const TListaLida Lista = ReadLista(Entry->second, Def.CodigoSize, kNomeSize);
        if (!Lista.Problem.isEmpty()) {
            Result.Problemas << QString(kListaCorrompida).arg(Def.Entry, Lista.Problem);
            continue;
        }
        Connection.BeginTrans();
        try {
            ImportLista(Connection, Def, Lista.Items);
            SetConfig(Connection, Marca, QString::number(Lista.Items.size()));
            Connection.CommitTrans();
        } catch (const platform::os::Exception& E) {
            Connection.RollbackTrans();
            Result.Problemas << QString(kListaCorrompida).arg(Def.Entry, QString::fromUtf8(E.what()));
            continue;
        }
        Result.Importadas << Def.Entry;
    }
    return Result;
}

TRegrasEquipamento ReadRegrasEquipamento(const std::string& IniText) {
    const platform::os::TMemIniFile Ini(IniText);
    TRegrasEquipamento Regras;
    Regras.Obrigatorio = Ini.ReadBool("Config", kChaveObrigatorio, false);
    Regras.Regra = Ini.ReadInteger("Config", kChaveRegra, kRegraLivre);
    if (Regras.Regra < kRegraLivre || Regras.Regra > kRegraConteinerValido) Regras.Regra = kRegraLivre;
    return Regras;
}

void StoreRegrasEquipamento(TADOConnection& Connection, const TRegrasEquipamento& Regras) {
    Connection.BeginTrans();
    try {
        SetConfig(Connection, kChaveObrigatorio, Regras.Obrigatorio ? "1" : "0");
        SetConfig(Connection, kChaveRegra, QString::number(Regras.Regra));
        Connection.CommitTrans();
    } catch (...) {
        Connection.RollbackTrans();
        throw;
    }
}

TRegrasEquipamento LoadRegrasEquipamento(TADOConnection& Connection) {
    TRegrasEquipamento Regras;
    Regras.Obrigatorio = Config(Connection, kChaveObrigatorio).toString() == "1";
    Regras.Regra = Config(Connection, kChaveRegra).toInt();
    return Regras;
}

bool IsValidContainerNumber(const QString& Number) {
    if (Number.size() != 11) return false;
    int Sum = 0;
    for (int Index = 0; Index < 10; ++Index) {
        const QChar C = Number[Index];
        int Value = 0;
        if (Index < 4) {
            if (C < 'A' || C > 'Z') return false;
            // Letters count from 10 upwards, skipping the multiples of 11.
            Value = 10 + (C.unicode() - 'A');
            Value += (Value - 1) / 10;
        } else {
            if (!C.isDigit()) return false;
            Value = C.digitValue();
        }
        Sum += Value << Index;
    }
    const QChar Category = Number[3];
    return (Category == 'U' || Category == 'J' || Category == 'Z') && Number[10].isDigit() &&
           Number[10].digitValue() == Sum % 11 % 10;
}

}  // namespace navitrex
