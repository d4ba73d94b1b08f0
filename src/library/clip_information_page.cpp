#include "library/clip_information_page.h"

#include "data/read_dataset.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace {
// Caption of each box and the clip column it shows.
const std::pair<const char*, const char*> boxes[] = {
    {"  Id number   ", "codice"},
    {"  Title  ", "titolo"},
    {"  Title  ", "file"},
    {"  Type  ", "tipo"},
    {"  Duration  ", "t1"},
    {"  Start point  ", "infoStart"},
    {"  Aspect ratio  ", "aspectratio"},
    {"  End Status  ", "status"},
    {"  Resolution  ", "risoluzione"},
    {"  Volume  ", "volume"},
    {"  Icon  ", "frame"},
    {"  Load stage  ", "infoMonitor"},
    {"  Stage name  ", "nomelayout"},
    {"  Crop  ", "infoCrop"},
    {"  Start action  ", "infoAzioneIniziale"},
    {"  End action  ", "infoAzioneFinale"},
    {" Color balance  ", "infoColor"},
    {"  Blur  ", "infoBlur"},
    {"  Perspective  ", "infoPerspective"},
    {"  Rotation  ", "infoRotation"},
    {"  Alpha  ", "opacity"},
    {"  Speed  ", "speed"},
    {"  Vertical Flip  ", "infoVFlip"},
    {"  Deinterlace  ", "infoDeinterlace"},
    {"  Trx time  ", "trxtime"},
    {"  Filter Script  ", "filtro"},
    {"  Id start action   ", "azione_iniziale"},
    {"  Id end action   ", "azione_finale"},
};
} // namespace

ClipInformationPage::ClipInformationPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("pInfo");
    auto* layout = new QGridLayout(this);
    int index = 0;
    for (const auto& [caption, column] : boxes) {
        auto* box = new QGroupBox(QString::fromLatin1(caption), this);
        auto* value = new QLabel(box);
        value->setObjectName(QStringLiteral("info_%1").arg(QString::fromLatin1(column)));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        (new QVBoxLayout(box))->addWidget(value);
        if (QByteArray(column) == "frame") {
            value->setFixedSize(127, 77);
            m_icon = value;
        } else {
            m_fields.append({QString::fromLatin1(column), value});
        }
        const bool wide = QByteArray(column) == "titolo" || QByteArray(column) == "file" ||
                          QByteArray(column) == "filtro";
        const int row = index / 4;
        const int at = index % 4;
        layout->addWidget(box, row, at, 1, wide ? 4 - at : 1);
        index += wide ? 4 - at : 1;
    }
}

void ClipInformationPage::showClip(const ReadDataset& clips)
{
    const bool any = !clips.isEmpty();
    for (const auto& [column, value] : m_fields)
        value->setText(any ? clips.text(column) : QString());
    QPixmap icon;
    if (any)
        icon.loadFromData(clips.value("frame").toByteArray());
    m_icon->setPixmap(icon);
}
