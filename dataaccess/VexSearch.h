#pragma once
// Asking the host's main window to open a search window. The window is the
// one a loaded module declares under the name, or a new one added to the
// first module on the fly. Without a host main window the request answers 0
// and nothing is shown or added.
#include <QString>
#include <QStringList>

#include "dataaccess/VexHost.h"
#include "dataaccess/VexModulo.h"

namespace dataaccess {

// What WM_SEARCHREQUEST carries, by address, as its first parameter. The
// main window puts the chosen row's values in ResultList.
struct TSearchRequest {
    TRelacaoModulo* Relacao;
    QStringList* ResultList;
    QStringList* FilterList;
};

// The main window's answer: non-zero when a row was chosen.
int OpenSearch(const QString& Name, QStringList& ResultList, QStringList& FilterList, const QString& Division);

}  // namespace dataaccess
