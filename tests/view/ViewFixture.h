#pragma once
// A waveform view on a wave written to a temporary file, with helpers that
// read its pixels and send it real mouse events.

#include "document/WaveInfo.h"
#include "support/TestFiles.h"
#include "view/GraphImage.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <vector>

// Pixel values as the surface holds them (0xRRGGBB).
constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;
constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kShade = 0xE4ECF8; // a shaded range (SetShade)
constexpr QRgb kYellow = 0xFFFF00;
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kGreen = 0x00FF00;
// Marker colours as callers give them (0x00BBGGRR).
constexpr TBgrColor kRedMarker = TBgrColor::Rgb(255, 0, 0);
constexpr TBgrColor kGreenMarker = TBgrColor::Rgb(0, 255, 0);

inline TMarkerStatus Marker(int32_t position, TBgrColor color)
{
    TMarkerStatus m;
    m.Position = position;
    m.Color = color;
    return m;
}

class ViewTest : public testing::Test {
protected:
    TTempDir dir;
    TWaveInfo wave;
    TGraphImage view;

    // Shows samples over the whole width; with 100 samples on 100 columns
    // sample i is drawn in column i.
    void Show(const std::vector<int16_t>& samples, int width = 100, int height = 72)
    {
        const std::string path = dir.File("wave.wav");
        WriteWav(path, samples);
        wave.LoadFromFile(path);
        view.resize(width, height);
        view.SetWaveInfo(&wave);
        view.SetView(0, static_cast<int32_t>(samples.size()));
    }
    void ShowFlat(int count = 100) { Show(std::vector<int16_t>(static_cast<std::size_t>(count), 0)); }

    QRgb Px(int x, int y) const { return view.Surface().pixel(x, y) & 0xFFFFFF; }
    // True when every row of column x has colour c.
    bool ColumnIs(int x, QRgb c) const
    {
        for (int y = 0; y < view.Surface().height(); ++y)
            if (Px(x, y) != c)
                return false;
        return true;
    }

    void Mouse(QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QPointF at(x, 10);
        QMouseEvent event(type, at, view.mapToGlobal(at), button, held, mods);
        QApplication::sendEvent(&view, &event);
    }
    void Press(int x, Qt::MouseButton b = Qt::LeftButton) { Mouse(QEvent::MouseButtonPress, x, b, b); }
    void Move(int x, Qt::MouseButtons held = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        Mouse(QEvent::MouseMove, x, Qt::NoButton, held, mods);
    }
    void Release(int x, Qt::MouseButton b = Qt::LeftButton) { Mouse(QEvent::MouseButtonRelease, x, b, Qt::NoButton); }
};
