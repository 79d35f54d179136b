#include "app/SeamWords.h"

#include <QCoreApplication>

QString SeamQualityWord(TSeamQuality Quality)
{
    const auto tr = [](const char* Text) { return QCoreApplication::translate("TLoopEditController", Text); };
    switch (Quality) {
    case TSeamQuality::Good:
        return tr("良好");
    case TSeamQuality::Fair:
        return tr("可");
    case TSeamQuality::Poor:
        break;
    }
    return tr("不良");
}
