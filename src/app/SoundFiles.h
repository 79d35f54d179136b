#pragma once
// The files the window takes, by suffix: list files, and the sound files the
// wave reader converts (WAV, AIFF, FLAC). Drop, the add dialog and the
// command line all go by this one list.

#include <QFileInfo>
#include <QStringList>

inline const QStringList& SoundFileSuffixes()
{
    static const QStringList suffixes = {"wav", "aif", "aiff", "aifc", "flac"};
    return suffixes;
}

inline bool IsListFile(const QString& Path)
{
    return QFileInfo(Path).suffix().compare("ksd", Qt::CaseInsensitive) == 0;
}

inline bool IsSoundFile(const QString& Path) { return SoundFileSuffixes().contains(QFileInfo(Path).suffix().toLower()); }

// The add dialog's filters: every sound file first, then WAV files alone,
// then all files.
inline QString SoundFileFilter(const QString& SoundCaption, const QString& WaveCaption, const QString& AllCaption)
{
    QStringList patterns;
    for (const QString& suffix : SoundFileSuffixes())
        patterns << "*." + suffix;
    return QStringLiteral("%1(%2);;%3(*.wav);;%4(*)").arg(SoundCaption, patterns.join(' '), WaveCaption, AllCaption);
}
