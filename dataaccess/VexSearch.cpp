#include "dataaccess/VexSearch.h"

#include "dataaccess/ModuleLookup.h"

namespace dataaccess {

namespace {

const QString kSearchCaption = QStringLiteral("Pesquisar...");

}  // namespace

int OpenSearch(const QString& Name, QStringList& ResultList, QStringList& FilterList, const QString& Division) {
    QObject* Main = Host() ? Host()->MainWindow() : nullptr;
    if (!Main) return 0;
    TSearchRequest Request{FindRelation(Name, Division, true, kSearchCaption), &ResultList, &FilterList};
    return static_cast<int>(
        platform::ui::SendMessage(Main, WM_SEARCHREQUEST, reinterpret_cast<platform::ui::WPARAM>(&Request), 0));
}

}  // namespace dataaccess
