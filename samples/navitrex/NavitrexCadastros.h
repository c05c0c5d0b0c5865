#pragma once
// The divisions of the lookup tables: customers (shippers and consignees),
// vessels, ports and equipment, each a frame with its table class and grid,
// ordered by name (equipment by code) and limited in rows where a table
// grows large.
#include <QString>
#include <QWidget>

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

}  // namespace navitrex
