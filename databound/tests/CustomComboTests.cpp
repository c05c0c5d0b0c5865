#include <QString>
#include <gtest/gtest.h>

#include "databound/CustomCombo.h"

using namespace databound;

namespace {

TEST(SearchChars, LettersDigitsAndSignsStartASearchButBlanksAndControlsDoNot) {
    const QString Starting = QString::fromUtf8("aZçÇüÜ09'\"%*_[]\\|ª°³£¢§´¨");
    for (QChar Ch : Starting) {
        SCOPED_TRACE(QString(Ch).toStdString());
        EXPECT_TRUE(IsSearchChar(Ch));
    }
    const QString NotStarting = QString::fromUtf8(" \t\r\n\x1b\x7fñÑèÈìÿ¿¡«»©®µ·÷×");
    for (QChar Ch : NotStarting) {
        SCOPED_TRACE(int(Ch.unicode()));
        EXPECT_FALSE(IsSearchChar(Ch));
    }
}

TEST(SearchChars, ExactlyTheListedLatin1CharactersStartASearch) {
    int Count = 0;
    for (int Code = 0; Code < 256; ++Code) Count += IsSearchChar(QChar(Code)) ? 1 : 0;
    // 134 listed, the acute accent twice.
    EXPECT_EQ(Count, 133);
    EXPECT_FALSE(IsSearchChar(QChar(0x2019)));
}

}  // namespace
