#include "core/preferences_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
// A list in a box of its caption; `list` is set to the list.
QGroupBox* choice(const char* name, const QString& caption, const QStringList& items,
                  QWidget* parent, QComboBox*& list)
{
    auto* box = new QGroupBox(caption, parent);
    list = new QComboBox(box);
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(items);
    (new QVBoxLayout(box))->addWidget(list);
    return box;
}
} // namespace

PreferencesPage::PreferencesPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("Preferences");
    auto* loading = new QVBoxLayout;
    const char* checks[][2] = {{"chkLoadAspectRatio", "Load aspect ratio"},
                               {"chkLoadSpeedValue", "Load speed value"},
                               {"chkLoadFilters", "Load filters"},
                               {"chkLoadVolumeValue", "Load volume value"},
                               {"chkLoadStage", "Load stage"},
                               {"chkActionActivated", "Action activated"}};
    QList<QCheckBox*> made;
    for (const auto& [name, caption] : checks) {
        auto* check = new QCheckBox(QString::fromLatin1(caption), this);
        made.append(check);
        check->setObjectName(QString::fromLatin1(name));
        check->setChecked(true);
        connect(check, &QCheckBox::clicked, this, &PreferencesPage::handBackFocus);
        loading->addWidget(check);
    }
    m_checks = {made[0], made[1], made[2], made[3], made[4], made[5]};
    loading->addStretch();

    auto* server = new QGroupBox("  Listen TCP Server   ", this);
    auto* port = m_port = new QLineEdit("1717", server);
    port->setObjectName("txtPort");
    port->setValidator(new QIntValidator(1, 65535, port));
    auto* active = m_serverActive = new QCheckBox("Server active", server);
    active->setObjectName("chkServerActive");
    m_localIp = new QLabel("255.255.255.255", server);
    m_localIp->setObjectName("txtLocalIP");
    auto* serverForm = new QFormLayout(server);
    serverForm->addRow("Port", port);
    serverForm->addRow(active);
    serverForm->addRow(m_localIp);

    auto* defaults = new QVBoxLayout;
    defaults->addWidget(choice("chkDefaultStatus", "  Default end status  ",
                               {"LAST FRAME", "LOOP", "BLACK", "NEXT CLIP"}, this, m_status));
    defaults->addWidget(choice("chkDefaultAspectRatio", "  Default aspect ratio  ",
                               {"Original", "Fit", "4:3", "16:9", "1.85:1", "2.35:1"}, this,
                               m_aspect));
    defaults->addWidget(choice("chkConvert", "  Convert resolution  ",
                               {"Original", "720x576", "1280x720", "1440x1080", "1920x1080"}, this,
                               m_convert));
    defaults->addWidget(server);
    defaults->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(loading);
    layout->addLayout(defaults);
}

void PreferencesPage::showLocalAddress(const QString& address)
{
    m_localIp->setText(address);
}

QString PreferencesPage::defaultAspect() const
{
    return m_aspect->currentText();
}

QString PreferencesPage::convertResolution() const
{
    return m_convert->currentText();
}

QString PreferencesPage::defaultStatus() const
{
    return m_status->currentText();
}
