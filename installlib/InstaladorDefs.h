#pragma once
// Declarations the setup program, the uninstaller and the installation
// library share: the string table, registry names, the product code of the
// older edition, the application's file names and the installation log kinds.
#include <string>

namespace installlib {

// The string table of the setup program and the uninstaller.
enum : int {
    // The uninstaller.
    SUninstConfirm = 65152,
    SUninstDone = 65153,
    SUninstNoCustomer = 65154,
    SUninstUnknownCustomer = 65155,
    SUninstLogMissing = 65156,
    SUninstLogUnreadable = 65157,
    SUninstLogForeign = 65158,
    SUninstFailed = 65159,
    SUninstDatabaseKept = 65160,
    // The setup program.
    SInvalidInstallFolder = 65168,
    SFinishCaption = 65169,
    SNextCaption = 65170,
    SSelectInstallFolder = 65171,
    SFirstInstallation = 65172,
    SPreviousInstallation = 65173,
    SReviewFolder = 65174,
    SReviewShortcuts = 65175,
    SReviewCustomer = 65176,
    SInterruptedInstallation = 65177,
    SPackageUnreadable = 65178,
    SInvalidCustomer = 65179,
    SConfirmCancel = 65190,
    SRegistryUpdateFailed = 65192,
    SLogHeader = 65193,
    SCannotCreateFolder = 65194,
    SErrorCode = 65195,
    SInstallFileNotFound = 65196,
    SCannotWriteFile = 65197,
    SOldVersionFound = 65198,
    SInstallationFailed = 65199,
};

// The text of a string table entry; empty for an identifier the table lacks.
std::string LoadResString(int Id);

// Registry, local machine hive.
inline constexpr const char* kNavitrexKey = "Software\\Ostrevan\\Navitrex";
inline constexpr const char* kPathValue = "Path";
inline constexpr const char* kPackageListValue = "NVOCC";
inline constexpr const char* kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr const char* kProgramFilesValue = "ProgramFilesDir";
inline constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kUninstallEntryName = "Navitrex: %s";
inline constexpr const char* kDisplayNameValue = "DisplayName";
inline constexpr const char* kUninstallStringValue = "UnInstallString";

// The older edition, installed by the platform's installer service.
inline constexpr const char* kOldVersionProductCode = "{1338D3B2-A7F5-4300-B9B8-ADCDEF64CFF4}";
inline constexpr const char* kOldVersionUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{1338D3B2-A7F5-4300-B9B8-ADCDEF64CFF4}";
inline constexpr const char* kOldVersionRemoveCommand = "MsiExec.exe /quiet /X{1338D3B2-A7F5-4300-B9B8-ADCDEF64CFF4}";

// Files of the application. The first three are shared by every customer
// package; the runtime library goes to the system folder and is never removed.
inline constexpr const char* kAppFileName = "Navitrex.exe";
inline constexpr const char* kUninstFileName = "Uninst.exe";
inline constexpr const char* kIconFileName = "bldfile.ico";
inline constexpr const char* kRuntimeFileName = "midas.dll";
inline constexpr const char* kSharedAppFiles[] = {kAppFileName, kUninstFileName, kIconFileName};

// The bill-of-lading document type.
inline constexpr const char* kDocumentExt = "bld";
inline constexpr const char* kDocumentDescription = "Ostrevan Navitrex Bill Lading File";

// Kinds of installation log lines ("kind=value").
inline constexpr const char* kLogDir = "dir";
inline constexpr const char* kLogFile = "file";
inline constexpr const char* kLogRegValue = "regvalue";
inline constexpr const char* kLogRegItem = "regitem";
inline constexpr const char* kLogProgram = "program";
inline constexpr const char* kLogExt = "ext";

}  // namespace installlib
