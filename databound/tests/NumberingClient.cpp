// One client of the numbering harness: "NumberingClient FILE ALLOCATOR COUNT".
#include <QCoreApplication>
#include <cstdio>

#include "NumberingHarness.h"

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FILE ALLOCATOR COUNT\n", argv[0]);
        return 2;
    }
    const auto Allocator = static_cast<databound::testing::TAllocator>(QString(argv[2]).toInt());
    return databound::testing::RunClient(QString::fromLocal8Bit(argv[1]), Allocator, QString(argv[3]).toInt());
}
