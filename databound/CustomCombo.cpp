#include "databound/CustomCombo.h"

#include <QString>

namespace databound {

namespace {

// In the order the users know them; the acute accent is listed twice.
const QString& SearchChars() {
    static const QString kSearchChars = QString::fromUtf8(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
        "àâêôûãõáéíóúçüÀÂÊÔÛÃÕÁÉÍÓÚÇÜ0123456789"
        "´'\"!@#$%¨&*()-_=+´`[]{}~^<>,.:;/?\\|ªº°¹²³£¢§");
    return kSearchChars;
}

}  // namespace

bool ShowSearchCombo(TVexDBDivisao&, QWidget&, platform::data::TField&, bool, Qt::KeyboardModifiers) {
    return false;
}

bool IsSearchChar(QChar Ch) {
    return SearchChars().contains(Ch);
}

}  // namespace databound
