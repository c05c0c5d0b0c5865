#pragma once
// The customer package's reference lists, loaded into the lookup tables on
// the first start: equipment.dat, ocean_vessel.dat, port_of_loading.dat and
// port_of_discharge.dat, in code page 1252, one "code;name" or "name" a line.
// Each list is imported whole in one transaction together with the mark that
// it was imported, so it is never imported twice nor half. A corrupt list is
// reported and skipped (and tried again at the next start); the others go on.
// Also the equipment settings of nvocc_cfg.ini, kept in the database.
#include <QString>
#include <QStringList>
#include <map>
#include <string>
#include <vector>

namespace platform::data {
class TADOConnection;
}

namespace navitrex {

// Entry names in lower case, and their bytes.
using TPackageEntries = std::map<std::string, std::string>;

// Every entry of a package file; an archive that cannot be read raises.
TPackageEntries ReadPackageEntries(const std::string& PackageFile);

struct TListaItem {
    QString Codigo;  // empty for a "name" line
    QString Nome;
};

struct TListaLida {
    std::vector<TListaItem> Items;
    QString Problem;  // why the list is corrupt, naming the line; empty when it was read
};

// Reads one list; CodigoSize and NomeSize are the widths of the columns it fills.
TListaLida ReadLista(const std::string& Ansi, int CodigoSize, int NomeSize);

struct TImportacao {
    QStringList Importadas;  // the entries imported now
    QStringList Problemas;   // one message per list that was skipped
};

// Imports the lists of the package that were not imported yet.
TImportacao ImportPackageLists(platform::data::TADOConnection& Connection, const TPackageEntries& Entries);

// Equipment of a container item: required or not, and how it is checked. Rule 0: any equipment; 1: one of the
// equipment table; 2: that, and the container number must carry a valid check digit.
struct TRegrasEquipamento {
    bool Obrigatorio = false;
    int Regra = 0;
};
inline constexpr int kRegraLivre = 0;
inline constexpr int kRegraCadastrado = 1;
inline constexpr int kRegraConteinerValido = 2;

// From section "Config" of nvocc_cfg.ini (Equipment_Not_Null, Equipment_Rule); a rule outside 0..2 reads as 0.
TRegrasEquipamento ReadRegrasEquipamento(const std::string& IniText);
void StoreRegrasEquipamento(platform::data::TADOConnection& Connection, const TRegrasEquipamento& Regras);
TRegrasEquipamento LoadRegrasEquipamento(platform::data::TADOConnection& Connection);

// A container number: four letters (the last U, J or Z), six digits and the check digit computed from them.
bool IsValidContainerNumber(const QString& Number);

}  // namespace navitrex
