#include "channels/video_filter_text.h"

#include <QStringList>

namespace {
QString decimal(double value)
{
    return QString::number(value, 'f', 2);
}

QString joined(const QList<int>& values)
{
    QStringList parts;
    for (const int value : values)
        parts.append(QString::number(value));
    return parts.join(':');
}
} // namespace

QString rotationExpression(double angle)
{
    return decimal(angle) + QStringLiteral("*PI*t");
}

QString videoFilterText(const ClipSettings& c)
{
    QString text = QStringLiteral("hue=b=%1:s=%2:H=%3")
                       .arg(decimal(c.FBrightness), decimal(c.FSaturation), decimal(c.FHue));
    if (c.FCrop == 1)
        text += QStringLiteral(",crop=w=%1:h=%2:x=%3:y=%4")
                    .arg(c.FCropW - c.FCropX)
                    .arg(c.FCropH - c.FCropY)
                    .arg(c.FCropX)
                    .arg(c.FCropY);
    if (c.FPerspective == 1)
        text += ",perspective=" + joined({c.Fx0, c.Fy0, c.Fx1, c.Fy1, c.Fx2, c.Fy2, c.Fx3, c.Fy3}) +
                ":sense=1";
    if (c.FBlur == 1)
        text += QStringLiteral(",boxblur=lr=%1:lp=%2").arg(c.FCromaLR).arg(c.FCroma);
    if (c.FColor == 1)
        text +=
            QStringLiteral(",colorbalance=rs=%1:gs=%2:bs=%3:rm=%4:gm=%5:bm=%6:rh=%7:gh=%8:bh=%9")
                .arg(decimal(c.Frs), decimal(c.Fgs), decimal(c.Fbs), decimal(c.Frm), decimal(c.Fgm),
                     decimal(c.Fbm), decimal(c.Frh), decimal(c.Fgh), decimal(c.Fbh));
    if (c.FRotation == 1)
        text += QStringLiteral(",rotate=%1:bilinear=0").arg(rotationExpression(c.FAngle));
    if (c.FRuota != 4)
        text += QStringLiteral(",transpose=dir=%1").arg(c.FRuota);
    text += c.FFiltro;
    return text;
}
