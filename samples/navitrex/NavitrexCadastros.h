#pragma once
// The divisions of the lookup tables: customers (shippers and consignees),
// vessels, ports and equipment, each a frame with its table class and grid,
// ordered by name (equipment by code) and limited in rows where a table
// grows large. Each lookup is also a module that hands its division to the
// search combos of the screens that refer to it.
#include <QObject>
#include <QString>
#include <QWidget>

#include "dataaccess/DivisionProvider.h"

namespace navitrex {

class TFrameDivisao;

inline constexpr int kLimiteClientes = 1000;

enum TCadastro { cdClientes, cdNavios, cdPortos, cdEquipamentos };
inline constexpr TCadastro kCadastros[] = {cdClientes, cdNavios, cdPortos, cdEquipamentos};

// A new frame of the lookup, set up and loaded, not opened.
TFrameDivisao* CreateCadastro(TCadastro Cadastro, QWidget* Parent = nullptr);
// The name of the module window that shows the lookup, as search requests name it ("Clientes").
QString NomeCadastro(TCadastro Cadastro);
QString CaptionCadastro(TCadastro Cadastro);
// The lookup's table and its key column ("Cliente", "IdCliente").
QString TabelaCadastro(TCadastro Cadastro);
QString ChaveCadastro(TCadastro Cadastro);

// Makes Chave of Frame's division a reference to the lookup (its search combo opens the lookup's module) and Nome
// the column looked up through it (the lookup's name, the equipment's code). A missing required reference is
// told by Nome's label. With a Papel (a Boolean column of the lookup, "Embarcador") the search offers only the
// rows that have it set.
void ConfigurarReferencia(TFrameDivisao& Frame, const QString& Chave, const QString& Nome, TCadastro Cadastro,
                          bool Obrigatorio, const QString& Papel = {});

// The module named after the lookup ("Clientes"): a search combo over the lookup gets a new hidden frame of it. The
// customers' combo waits for the typed words before it reads (the table is large); the others list every row at once.
class TModuloCadastro : public QObject, public dataaccess::IDivisionProvider {
    Q_OBJECT
public:
    explicit TModuloCadastro(TCadastro Cadastro, QObject* Parent = nullptr);
    QObject* ProvideDivision(QObject* Owner) override;

private:
    TCadastro FCadastro;
};

}  // namespace navitrex
