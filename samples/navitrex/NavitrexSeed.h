#pragma once
// Fills a database with many rows quickly, for tests, benchmarks and
// demonstrations: customers, vessels and bills (one container item each)
// spread over the days before a given date, in one transaction through
// prepared inserts. The keys are taken as one block from the key counters,
// so rows created afterwards by the application never collide with them;
// the seeded bills are numbered "I000001/YY", apart from the application's
// own "000001/YY". Database errors raise with nothing written.
#include <QDate>

namespace platform::data {
class TADOConnection;
}

namespace navitrex {

struct TSemeadura {
    int Clientes = 0;
    int Navios = 0;
    int Conhecimentos = 0;
    QDate Ultimo;  // the last bill's date; earlier bills go back one day every ConhecimentosPorDia bills
    int ConhecimentosPorDia = 1;
};

// Reserves Count consecutive keys of a table's key column from its counter; answers the first.
int ReserveKeys(platform::data::TADOConnection& Connection, const QString& Table, const QString& Key, int Count);

void Seed(platform::data::TADOConnection& Connection, const TSemeadura& Semeadura);

}  // namespace navitrex
