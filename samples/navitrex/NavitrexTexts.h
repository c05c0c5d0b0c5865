#pragma once
// The stand-in application's texts.

namespace navitrex {

inline constexpr const char* kCaption = "Navitrex";
inline constexpr const char* kHeading = "Emissão de BL's para:";
inline constexpr const char* kNameLabel = "Nome:";
inline constexpr const char* kEmailLabel = "E-mail:";
inline constexpr const char* kSiteLabel = "Site:";
inline constexpr const char* kFileLabel = "Arquivo:";
inline constexpr const char* kNoCustomer =
    "O Navitrex deve ser iniciado pelo atalho do cliente (\"NVOCC=<nome do cliente>\").";
inline constexpr const char* kPackageMissing = "O pacote de configuração do cliente %s não foi encontrado em '%s'.";
inline constexpr const char* kPackageUnreadable = "Não foi possível ler o pacote de configuração '%s'.\r\n%s";

}  // namespace navitrex
