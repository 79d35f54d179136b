#include "app/WaveRowCells.h"

#include "app/SeamWords.h"
#include "document/WaveInfo.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QPalette>
#include <QStyle>

namespace {

// The texts keep the context of the list widget they were first written for.
QString CellText(const TWaveInfo& Wave, const TLoopState& Loop, const std::optional<TSeamMeasure>& Seam, int Column)
{
    const auto number = [&Wave](auto Value) { return Wave.IsMissing() ? QString("-") : QString::number(Value); };
    switch (Column) {
    case colName: {
        // A converted file says what it held, e.g. "a.wav (24-bit 2ch から変換)".
        QString name = QString::fromStdString(Wave.WaveName());
        if (!Wave.ConvertedFrom().empty())
            name += QCoreApplication::translate("TWaveTable", " (%1 から変換)")
                        .arg(QString::fromStdString(Wave.ConvertedFrom()));
        // A wave kept as missing has no sound to describe.
        if (Wave.IsMissing())
            name += QCoreApplication::translate("TWaveTable", " (見つかりません)");
        return name;
    }
    case colRate:
        return number(Wave.SamplesPerSec());
    case colLength:
        return number(Wave.LengthMSec());
    case colSamples:
        return number(Wave.SampleCount());
    case colLoopStart:
        return Loop.StartShown ? QString::number(Loop.Start) : "-";
    case colLoopEnd:
        return Loop.EndShown ? QString::number(Loop.End) : "-";
    case colSeam:
        return Seam ? SeamQualityWord(Seam->Quality) : "-";
    }
    return {};
}

// The whole path, and what a file shorter than its header claims held.
QString ToolTip(const TWaveInfo& Wave)
{
    QString tip = QString::fromStdString(Wave.FilePath());
    if (Wave.Truncated())
        tip += "\n" + QCoreApplication::translate(
                           "TWaveTable", "ファイルがヘッダの示す長さより短いため、%1 サンプルのうち %2 サンプルだけを読み込みました")
                           .arg(Wave.DeclaredSampleCount())
                           .arg(Wave.SampleCount());
    return tip;
}

} // namespace

QVariant WaveCell(const TWaveInfo& Wave, const TLoopState& Loop, const std::optional<TSeamMeasure>& Seam, int Column,
                  int Role)
{
    switch (Role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return CellText(Wave, Loop, Seam, Column);
    case Qt::ToolTipRole:
        return ToolTip(Wave);
    case Qt::DecorationRole:
        if (Column == colName && Wave.Truncated())
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        return {};
    case Qt::ForegroundRole:
        return QPalette().brush(Wave.IsMissing() ? QPalette::Disabled : QPalette::Active, QPalette::Text);
    }
    return {};
}
