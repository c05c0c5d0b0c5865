#pragma once
// The hand-written baseline of the update benchmarks: Rows updates of the
// table Item, prepared once, in one transaction.
#include <QSqlDatabase>
#include <QSqlQuery>

inline void RunPreparedUpdates(QSqlDatabase Db, int Rows, int Round) {
    Db.transaction();
    QSqlQuery Q(Db);
    Q.prepare("Update Item Set Valor = ? Where Id = ?");
    for (int I = 1; I <= Rows; ++I) {
        Q.bindValue(0, I * 2.5 + Round);
        Q.bindValue(1, I);
        Q.exec();
    }
    Db.commit();
}
