#pragma once
// Asking the host's main window to open a search window. The window is the
// one a loaded module declares under the name, or a new one added to the
// first module on the fly. Without a main window the request answers 0 and
// nothing is shown or added.
#include <QString>
#include <QStringList>

#include "dataaccess/VexModulo.h"
#include "platform/ui/Messages.h"

namespace dataaccess {

// Sent to the main window with the address of a TSearchRequest as first
// parameter; non-zero when a row was chosen, its values in ResultList.
inline constexpr platform::ui::UINT WM_SEARCHREQUEST = platform::ui::WM_APP + 39;

struct TSearchRequest {
    TRelacaoModulo* Relacao;
    QStringList* ResultList;
    QStringList* FilterList;
};

int OpenSearch(const QString& Name, QStringList& ResultList, QStringList& FilterList, const QString& Division);

}  // namespace dataaccess
