#pragma once
// Readable texts in test failures, for every suite that compares QStrings.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }
