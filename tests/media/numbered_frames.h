#pragma once

#include <QImage>
#include <cmath>
#include <optional>

// The pictures of the numbered test clips are each one flat colour that tells the clip and
// the picture's number: red 40 + 50 × (clip − 1), green 20 + 20 × (number mod 10), blue
// 20 + 20 × (number ÷ 10). tests/media/make_test_media.sh and bench/chain_seams.sh make them.
struct PictureNumber {
    int clip = 0;   // from 1
    int number = 0; // from 0
    bool operator==(const PictureNumber&) const = default;
};

// The numbered picture of this colour; none for any other colour (the stage's, black).
inline std::optional<PictureNumber> readPictureNumber(QRgb colour)
{
    const auto step = [](int value, int base, int size) {
        const int k = int(std::lround(double(value - base) / size));
        return k >= 0 && std::abs(value - base - k * size) <= 8 ? k : -1;
    };
    const int clip = step(qRed(colour), 40, 50);
    const int ones = step(qGreen(colour), 20, 20);
    const int tens = step(qBlue(colour), 20, 20);
    if (clip < 0 || ones < 0 || ones > 9 || tens < 0 || tens > 9)
        return std::nullopt;
    return PictureNumber{clip + 1, tens * 10 + ones};
}

// The numbered picture in the middle of this image.
inline std::optional<PictureNumber> readPictureNumber(const QImage& picture)
{
    if (picture.isNull())
        return std::nullopt;
    return readPictureNumber(picture.pixel(picture.width() / 2, picture.height() / 2));
}
