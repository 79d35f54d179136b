#include "app/SeamWords.h"

#include <QCoreApplication>

QString SeamQualityWord(TSeamQuality Quality)
{
    const char* word = QT_TRANSLATE_NOOP("TSeamWords", "不良");
    switch (Quality) {
    case TSeamQuality::Good:
        word = QT_TRANSLATE_NOOP("TSeamWords", "良好");
        break;
    case TSeamQuality::Fair:
        word = QT_TRANSLATE_NOOP("TSeamWords", "可");
        break;
    case TSeamQuality::Poor:
        break;
    }
    return QCoreApplication::translate("TSeamWords", word);
}
